// The encoders: the editor's text to bytes in one encoding, with the file's line ends, the codes the file
// wrote its characters in, and the characters the encoding cannot hold collected. ASCII is narrowed
// four characters at a time; each encoder writes only the other characters.
#include "text/encoding_internal.h"

#include <algorithm>

namespace text::detail {
namespace {

QByteArrayView lineBreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::CrLf:
        return "\r\n";
    case LineBreak::Cr:
        return "\r";
    default:
        return "\n";
    }
}

constexpr char16_t lineBreakCharacter(LineBreak lineBreak) {
    return lineBreak == LineBreak::Char2029   ? u'\u2029'
           : lineBreak == LineBreak::CharFDD0 ? u'\uFDD0'
                                              : u'\uFDD1';
}

qsizetype characterLength(const char16_t* s, const char16_t* end) {
    return QChar::isHighSurrogate(s[0]) && end - s >= 2 && QChar::isLowSurrogate(s[1]) ? 2 : 1;
}

// Writes the text through one encoding, '\n' as the usual line end and each line listed in `lineEnds`
// with its own. `putOther` writes one character from U+0080 (and may take a surrogate pair), each
// UTF-16 unit taking at most `maxBytesPerUnit` bytes.
template <typename PutOther> class Writer {
public:
    Writer(qsizetype capacity, int maxBytesPerUnit, PutOther putOther)
        : maxBytesPerUnit_(maxBytesPerUnit), putOther_(putOther) {
        out_.reserve(capacity);
    }

    void append(QByteArrayView bytes) { out_.append(bytes); }

    void appendText(QStringView text, LineBreak lineBreak) {
        const QByteArrayView breakBytes = lineBreakBytes(lineBreak);
        const bool translate = breakBytes != "\n";
        const qsizetype start = out_.size();
        out_.resize(start + text.size() * std::max<qsizetype>(maxBytesPerUnit_, breakBytes.size()));
        char* const begin = out_.data();
        char* d = begin + start;
        const char16_t* s = text.utf16();
        const char16_t* const end = s + text.size();
        while (s < end) {
            narrowAsciiRun(s, end, d, translate);
            if (s == end) break;
            if (*s == u'\n') {
                std::memcpy(d, breakBytes.data(), size_t(breakBytes.size()));
                d += breakBytes.size();
                ++s;
                continue;
            }
            do
                putOther_(s, end, d);
            while (s < end && *s >= 0x80);
        }
        out_.truncate(d - begin);
    }

    void appendLineBreak(LineBreak lineBreak) {
        if (lineBreak == LineBreak::CrLf || lineBreak == LineBreak::Lf || lineBreak == LineBreak::Cr) {
            out_.append(lineBreakBytes(lineBreak));
            return;
        }
        const char16_t c = lineBreakCharacter(lineBreak);
        appendText(QStringView(&c, 1), LineBreak::Lf);
    }

    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
    int maxBytesPerUnit_;
    PutOther putOther_;
};

// The whole text, line ends as `lineEnds` and the usual line break say.
template <typename PutOther>
QByteArray encodeLines(QStringView text, LineBreak usual, const LineEnds& lineEnds, int maxBytesPerUnit,
                       QByteArrayView prefix, PutOther putOther) {
    Writer<PutOther> writer(prefix.size() + text.size() * std::max(maxBytesPerUnit, 2), maxBytesPerUnit,
                            putOther);
    writer.append(prefix);
    qsizetype segment = 0; // start of the text not written yet
    qsizetype lineStart = 0;
    int line = 0;
    for (const LineEnd& own : lineEnds) {
        for (; line < own.line && lineStart >= 0; ++line) {
            const qsizetype lf = text.indexOf(u'\n', lineStart);
            lineStart = lf < 0 ? -1 : lf + 1;
        }
        const qsizetype lf = lineStart < 0 ? -1 : text.indexOf(u'\n', lineStart);
        if (lf < 0) break; // the last line has no line end
        writer.appendText(text.sliced(segment, lf - segment), usual);
        writer.appendLineBreak(own.lineBreak);
        segment = lineStart = lf + 1;
        line = own.line + 1;
    }
    writer.appendText(text.sliced(segment), usual);
    return writer.take();
}

// A character the encoding has no code for: a stand-in gives back its byte; anything else is collected as
// unencodable (when `unencodable` is given) and written as "?", which is never saved.
void writeWithoutCode(const char16_t*& s, const char16_t* end, char*& d, Unencodable* unencodable) {
    const qsizetype length = characterLength(s, end);
    if (length == 1 && isStandIn(*s)) {
        *d++ = char(*s++ & 0xFF);
        return;
    }
    if (unencodable) unencodable->add(QStringView(s, length));
    *d++ = '?';
    s += length;
}

// The code a character is written in: the one the file wrote it in (TextFormat::alternateForms) when that
// is a code of the encoding (`isCode`) that reads as the character, else `code`, the encoder's own. The
// forms may come from a damaged recovery record.
template <typename Tables, typename IsCode>
quint32 writtenCode(const Tables& t, const QHash<char16_t, quint32>& alternates, char16_t c, quint32 code,
                    IsCode isCode) {
    if (!t.hasAlternate[c] || alternates.isEmpty()) return code;
    const auto it = alternates.constFind(c);
    return it != alternates.cend() && isCode(*it) && t.decode(*it) == c ? *it : code;
}

// A code of one to three bytes, big-endian.
void putCode(char*& d, quint32 code) {
    if (code > 0xFFFF) *d++ = char(code >> 16);
    if (code > 0xFF) *d++ = char(code >> 8);
    *d++ = char(code & 0xFF);
}

} // namespace

QByteArray encodeCp932Text(QStringView text, const QHash<char16_t, quint32>& alternates, LineBreak usual,
                           const LineEnds& lineEnds, Unencodable* unencodable) {
    const Cp932Tables& t = cp932();
    auto isCp932Code = [](quint32 code) { return code <= 0xFFFF; };
    return encodeLines(text, usual, lineEnds, 2, {}, [&](const char16_t*& s, const char16_t* end, char*& d) {
        const quint32 code = writtenCode(t, alternates, *s, t.encode[*s], isCp932Code);
        if (code == kNoCode) return writeWithoutCode(s, end, d, unencodable);
        putCode(d, code);
        ++s;
    });
}

QByteArray encodeUtf8Text(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                          Unencodable& unencodable) {
    const QByteArrayView bom = format.byteOrderMark ? kByteOrderMark : QByteArrayView();
    return encodeLines(text, format.lineBreak, lineEnds, 3, bom,
                       [&](const char16_t*& s, const char16_t* end, char*& d) {
                           const char16_t c = *s;
                           if (c < 0x800) {
                               *d++ = char(0xC0 | c >> 6);
                               *d++ = char(0x80 | (c & 0x3F));
                               ++s;
                           } else if (!QChar::isSurrogate(c)) {
                               *d++ = char(0xE0 | c >> 12);
                               *d++ = char(0x80 | (c >> 6 & 0x3F));
                               *d++ = char(0x80 | (c & 0x3F));
                               ++s;
                           } else if (characterLength(s, end) == 2) {
                               const char32_t ucs = QChar::surrogateToUcs4(s[0], s[1]);
                               *d++ = char(0xF0 | ucs >> 18);
                               *d++ = char(0x80 | (ucs >> 12 & 0x3F));
                               *d++ = char(0x80 | (ucs >> 6 & 0x3F));
                               *d++ = char(0x80 | (ucs & 0x3F));
                               s += 2;
                           } else {
                               writeWithoutCode(s, end, d, &unencodable); // a lone surrogate
                           }
                       });
}

QByteArray encodeEucJpText(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                           Unencodable& unencodable) {
    const EucTables& t = eucJp();
    return encodeLines(
        text, format.lineBreak, lineEnds, 3, {}, [&](const char16_t*& s, const char16_t* end, char*& d) {
            const quint32 code = writtenCode(t, format.alternateForms, *s, t.encode[*s], isEucCode);
            if (code == kNoEucCode) return writeWithoutCode(s, end, d, &unencodable);
            putCode(d, code);
            ++s;
        });
}

// ISO-2022-JP as it is usually written: an escape into JIS X 0208 before a run of double-byte characters,
// and back to ASCII before each line end and at the end of the text.
QByteArray encodeIso2022JpText(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                               Unencodable& unencodable) {
    const EucTables& t = eucJp();
    const QByteArrayView kanjiIn = format.jisOldKanjiEscape ? kJisOldKanjiEscape : kJisKanjiEscape;
    const QByteArrayView asciiIn = format.jisRomanEscape ? kJisRomanEscape : kJisAsciiEscape;
    QByteArray out;
    out.reserve(text.size() * 2);
    bool kanji = false;
    auto switchTo = [&](bool toKanji) {
        if (kanji != toKanji) out.append(toKanji ? kanjiIn : asciiIn);
        kanji = toKanji;
    };
    auto own = lineEnds.cbegin();
    int line = 0;
    const char16_t* s = text.utf16();
    const char16_t* const end = s + text.size();
    while (s < end) {
        const char16_t c = *s;
        if (c == u'\n') {
            switchTo(false);
            LineBreak lineBreak = format.lineBreak;
            if (own != lineEnds.cend() && own->line == line) lineBreak = (own++)->lineBreak;
            if (lineBreak == LineBreak::CrLf || lineBreak == LineBreak::Lf || lineBreak == LineBreak::Cr)
                out.append(lineBreakBytes(lineBreak));
            else {
                const char16_t character = lineBreakCharacter(lineBreak);
                unencodable.add(QStringView(&character, 1));
            }
            ++line;
            ++s;
        } else if (c < 0x80) {
            switchTo(false);
            out.append(char(c));
            ++s;
        } else if (const quint16 own = t.encodeJis[c]) {
            auto isJisCode = [](quint32 code) { return code <= 0xFEFE && isEucCode(code); };
            const quint32 code = writtenCode(t, format.alternateForms, c, own, isJisCode) & 0x7F7F;
            switchTo(true);
            out.append(char(code >> 8)).append(char(code & 0xFF));
            ++s;
        } else if (isStandIn(c) && characterLength(s, end) == 1) {
            // A 7-bit stand-in was half of a pair inside a run of double-byte characters.
            if (c < 0xDC80) switchTo(true);
            out.append(char(c & 0xFF));
            ++s;
        } else {
            const qsizetype length = characterLength(s, end);
            unencodable.add(QStringView(s, length));
            s += length;
        }
    }
    switchTo(false);
    return out;
}

} // namespace text::detail
