// The decoders: bytes in one encoding to the editor's text, with stand-ins for the bytes that are no
// character. ASCII is widened eight bytes at a time; each decoder reads only the other characters.
#include "text/encoding_internal.h"

namespace text::detail {
namespace {

// A CR LF pair becomes '\n' when `join` is set; a CR on its own stays.
inline void takeCr(const uchar*& p, const uchar* end, char16_t*& d, bool join) {
    const bool pair = join && end - p >= 2 && p[1] == '\n';
    *d++ = pair ? u'\n' : u'\r';
    p += pair ? 2 : 1;
}

// Decodes bytes: ASCII as it stands (a CR LF pair joined into '\n' when `joinCrLf`), every other character
// through `decodeOne(p, end, d)`, which reads one character or one byte that is none, and returns false to
// end the decoding there.
template <typename DecodeOne>
QString decodeBytes(QByteArrayView bytes, bool joinCrLf, const PassedBytes* passed, DecodeOne decodeOne) {
    QString out(bytes.size(), Qt::Uninitialized); // no encoding makes more characters than bytes
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    Passing passing(passed, p);
    while (p < end) {
        passing.at(p);
        widenAsciiRun(p, end, d);
        if (p == end) break;
        if (*p == '\r') {
            takeCr(p, end, d, joinCrLf);
            continue;
        }
        // Non-ASCII characters tend to come in runs.
        do
            if (!decodeOne(p, end, d)) {
                out.truncate(d - begin);
                return out;
            }
        while (p < end && *p >= 0x80);
    }
    out.truncate(d - begin);
    return out;
}

} // namespace

Utf8Result decodeUtf8(QByteArrayView bytes, bool joinCrLf, bool lossy, int& undecodable,
                      const PassedBytes* passed) {
    Utf8Result result;
    result.text = decodeBytes(bytes, joinCrLf, passed, [&](const uchar*& p, const uchar* end, char16_t*& d) {
        const int length = utf8SequenceLength(p, end);
        if (length == 0) {
            if (!lossy) return result.valid = false;
            *d++ = standInFor(*p++);
            ++undecodable;
            return true;
        }
        result.nonAscii = true;
        char32_t ucs = *p & (0xFF >> (length + 1));
        for (int i = 1; i < length; ++i)
            ucs = ucs << 6 | (p[i] & 0x3F);
        if (QChar::requiresSurrogates(ucs)) {
            *d++ = QChar::highSurrogate(ucs);
            *d++ = QChar::lowSurrogate(ucs);
        } else {
            *d++ = char16_t(ucs);
        }
        p += length;
        return true;
    });
    return result;
}

QString decodeCp932Bytes(QByteArrayView bytes, bool joinCrLf, FormRecord* forms, int& undecodable,
                         const PassedBytes* passed) {
    const Cp932Tables& t = cp932();
    return decodeBytes(bytes, joinCrLf, passed, [&](const uchar*& p, const uchar* end, char16_t*& d) {
        const uchar b = *p;
        if (const char16_t c = t.single[b]) {
            *d++ = c;
            ++p;
            return true;
        }
        if (t.lead[b] && end - p >= 2) {
            const quint16 code = quint16(b << 8 | p[1]);
            if (const char16_t c = t.pair[code]) {
                *d++ = c;
                p += 2;
                if (forms && t.hasAlternate[c]) forms->note(c, code, t.encode[c]);
                return true;
            }
        }
        *d++ = standInFor(b);
        ++undecodable;
        ++p;
        return true;
    });
}

QString decodeEucJpBytes(QByteArrayView bytes, bool joinCrLf, FormRecord& forms, int& undecodable,
                         const PassedBytes* passed) {
    const EucTables& t = eucJp();
    return decodeBytes(bytes, joinCrLf, passed, [&](const uchar*& p, const uchar* end, char16_t*& d) {
        const int length = eucSequenceLength(p, end);
        quint32 code = 0;
        for (int i = 0; i < length; ++i)
            code = code << 8 | p[i];
        if (const char16_t c = length ? t.decode(code) : 0) {
            *d++ = c;
            p += length;
            if (t.hasAlternate[c]) forms.note(c, code, t.encode[c]);
        } else {
            *d++ = standInFor(*p++);
            ++undecodable;
        }
        return true;
    });
}

QString decodeIso2022JpBytes(QByteArrayView bytes, bool joinCrLf, TextFormat& format, FormRecord& forms,
                             int& undecodable, const PassedBytes* passed) {
    const EucTables& t = eucJp();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    auto isJisByte = [](uchar b) { return b >= 0x21 && b <= 0x7E; };
    bool kanji = false;
    bool newKanji = false, oldKanji = false, ascii = false, roman = false;
    Passing passing(passed, p);
    while (p < end) {
        passing.at(p);
        const QByteArrayView rest(p, end - p);
        if (*p == 0x1B && rest.size() >= 3) {
            const QByteArrayView escape = rest.first(3);
            if (escape == kJisKanjiEscape || escape == kJisOldKanjiEscape) {
                kanji = true;
                (escape == kJisKanjiEscape ? newKanji : oldKanji) = true;
                p += 3;
                continue;
            }
            if (escape == kJisAsciiEscape || escape == kJisRomanEscape) {
                kanji = false;
                (escape == kJisAsciiEscape ? ascii : roman) = true;
                p += 3;
                continue;
            }
        }
        if (*p == 0x1B) {
            // An escape the editor does not know stays in the text as it stands: ESC, its intermediate
            // bytes and its final byte.
            *d++ = *p++;
            while (p < end && *p >= 0x20 && *p <= 0x2F)
                *d++ = *p++;
            if (p < end && *p >= 0x30 && *p <= 0x7E) *d++ = *p++;
            continue;
        }
        if (*p == '\r') {
            takeCr(p, end, d, joinCrLf);
        } else if (kanji && isJisByte(*p) && end - p >= 2 && isJisByte(p[1])) {
            const quint16 code = quint16((p[0] | 0x80) << 8 | (p[1] | 0x80));
            if (const char16_t c = t.decode(code)) {
                *d++ = c;
                if (t.hasAlternate[c]) forms.note(c, code, t.encodeJis[c]);
            } else {
                *d++ = standInFor(p[0]);
                *d++ = standInFor(p[1]);
                undecodable += 2;
            }
            p += 2;
        } else if (kanji && isJisByte(*p)) {
            *d++ = standInFor(*p++); // half a pair
            ++undecodable;
        } else {
            *d++ = *p++;
        }
    }
    format.jisOldKanjiEscape = oldKanji && !newKanji;
    format.jisRomanEscape = roman && !ascii;
    out.truncate(d - begin);
    return out;
}

LineEnds normaliseLineBreaks(QString& text, LineBreak usual, bool crlfJoined) {
    LineEnds ends;
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    const char16_t* s = begin;
    const char16_t* const end = s + text.size();
    char16_t* d = begin;
    int line = 0;
    while (s < end) {
        LineBreak kind;
        switch (*s) {
        case u'\r':
            kind = s + 1 < end && s[1] == u'\n' ? LineBreak::CrLf : LineBreak::Cr;
            s += kind == LineBreak::CrLf ? 2 : 1;
            break;
        case u'\n':
            kind = crlfJoined ? LineBreak::CrLf : LineBreak::Lf;
            ++s;
            break;
        case u'\u2029':
            kind = LineBreak::Char2029;
            ++s;
            break;
        case u'\uFDD0':
            kind = LineBreak::CharFDD0;
            ++s;
            break;
        case u'\uFDD1':
            kind = LineBreak::CharFDD1;
            ++s;
            break;
        default:
            *d++ = *s++;
            continue;
        }
        *d++ = u'\n';
        if (kind != usual) ends.append({line, kind});
        ++line;
    }
    text.truncate(d - begin);
    return ends;
}

} // namespace text::detail
