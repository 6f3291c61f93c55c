#include "text/encoding.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace text {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr quint16 kNoCode = 0xFFFF; // 0xFF is never a trail byte
constexpr quint64 kHighBits8 = 0x8080808080808080ULL;
constexpr const char* kCodecName = "windows-31j";

bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The CP932 conversion tables, read once from the codec: one decoder per code, because the decoder's
// error flag stays set once raised and an unassigned code would spoil every later one. Bytes below
// 0x80 are ASCII as they stand; the codec swaps 0x1A, 0x1C and 0x7F around, which no CP932 file means.
struct Cp932Tables {
    std::array<char16_t, 256> single{};       // characters of one byte 0x80-0xFF; 0 = none
    std::array<bool, 256> lead{};             // first bytes of the two-byte codes
    std::array<char16_t, 0x10000> pair{};     // by lead << 8 | trail; 0 = no character
    std::array<quint16, 0x10000> encode{};    // character -> the code the encoder writes, or kNoCode
    std::array<bool, 0x10000> hasAlternate{}; // the character also has a code the encoder never writes

    Cp932Tables();
    char16_t decode(quint16 code) const {
        return code < 0x80 ? code : code < 0x100 ? single[code] : pair[code];
    }
};

QString codecDecode(QByteArrayView bytes, bool& ok) {
    QStringDecoder decoder(kCodecName);
    const QString s = decoder.decode(bytes);
    ok = !decoder.hasError();
    return s;
}

Cp932Tables::Cp932Tables() {
    if (!QStringDecoder(kCodecName).isValid() || !QStringEncoder(kCodecName).isValid())
        qFatal("The %s codec is missing: Qt was built without ICU", kCodecName);
    bool ok = false;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char byte = char(b);
        const QString s = codecDecode(QByteArrayView(&byte, 1), ok);
        if (ok && s.size() == 1) single[b] = s[0].unicode();
        lead[b] = ok && s.isEmpty(); // the decoder waits for the second byte
    }
    for (int l = 0x81; l <= 0xFF; ++l) {
        if (!lead[l]) continue;
        for (int t = 0x40; t <= 0xFC; ++t) {
            if (!isTrailByte(uchar(t))) continue;
            const char bytes[2] = {char(l), char(t)};
            const QString s = codecDecode(QByteArrayView(bytes, 2), ok);
            if (ok && s.size() == 1 && !s[0].isSurrogate()) pair[l << 8 | t] = s[0].unicode();
        }
    }

    encode.fill(kNoCode);
    for (char16_t c = 0; c < 0x80; ++c)
        encode[c] = c;
    // Codes in ascending order, so a character the encoder cannot write back keeps its first code.
    for (int code = 0x80; code < 0x10000; ++code) {
        const char16_t c = decode(quint16(code));
        if (c == 0 || encode[c] != kNoCode) continue;
        QStringEncoder encoder(kCodecName);
        const QByteArray bytes = encoder.encode(QStringView(&c, 1));
        quint16 chosen = quint16(code);
        if (!encoder.hasError() && (bytes.size() == 1 || bytes.size() == 2)) {
            const quint16 written =
                bytes.size() == 1 ? uchar(bytes[0]) : quint16(uchar(bytes[0]) << 8 | uchar(bytes[1]));
            if (decode(written) == c) chosen = written;
        }
        encode[c] = chosen;
    }
    for (int code = 0x80; code < 0x10000; ++code) {
        const char16_t c = decode(quint16(code));
        if (c != 0 && encode[c] != code) hasAlternate[c] = true;
    }
}

const Cp932Tables& cp932() {
    static const Cp932Tables tables;
    return tables;
}

const uchar* bytesOf(QByteArrayView v) {
    return reinterpret_cast<const uchar*>(v.data());
}

bool hasCrLf(QByteArrayView bytes) {
    const char* const data = bytes.data();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const void* cr = std::memchr(data + i, '\r', size_t(size - i));
        if (!cr) return false;
        i = static_cast<const char*>(cr) - data + 1;
        if (i < size && data[i] == '\n') return true;
    }
    return false;
}

// Marks the zero bytes (lanes) of a word; the lowest mark is always exact.
constexpr quint64 zeroBytes(quint64 x) {
    return (x - 0x0101010101010101ULL) & ~x & kHighBits8;
}
constexpr quint64 zeroLanes16(quint64 x) {
    return (x - 0x0001000100010001ULL) & ~x & 0x8000800080008000ULL;
}

// Widens the ASCII bytes at p up to the next byte that needs a look: a CR or a byte from 0x80. Eight
// characters are written at a time, past the run's end too: the output is never longer than the
// bytes read, so that stays inside the buffer.
inline void widenAsciiRun(const uchar*& p, const uchar* end, char16_t*& d) {
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        for (int i = 0; i < 8; ++i)
            d[i] = p[i];
        const quint64 stops = (word & kHighBits8) | zeroBytes(word ^ 0x0D0D0D0D0D0D0D0DULL);
        if (stops) {
            const int n = std::countr_zero(stops) / 8;
            p += n;
            d += n;
            return;
        }
        p += 8;
        d += 8;
    }
    while (p < end && *p < 0x80 && *p != '\r')
        *d++ = *p++;
}

// A CR LF pair becomes '\n' when `join` is set; a CR on its own stays.
inline void takeCr(const uchar*& p, const uchar* end, char16_t*& d, bool join = true) {
    const bool pair = join && end - p >= 2 && p[1] == '\n';
    *d++ = pair ? u'\n' : u'\r';
    p += pair ? 2 : 1;
}

// The length of the well-formed UTF-8 sequence at p (no overlong forms, no surrogates, nothing past
// U+10FFFF), or 0.
int utf8SequenceLength(const uchar* p, const uchar* end) {
    const uchar b = *p;
    int length;
    uchar min = 0x80, max = 0xBF; // bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF)
        length = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            min = 0xA0;
        else if (b == 0xED)
            max = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            min = 0x90;
        else if (b == 0xF4)
            max = 0x8F;
    } else
        return 0;
    if (end - p < length || p[1] < min || p[1] > max) return 0;
    for (int i = 2; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return length;
}

struct Utf8Result {
    QString text;
    bool valid = true;
    bool nonAscii = false;
};

// Lossy: each byte that does not start a valid sequence becomes one U+FFFD. Otherwise the decoding
// stops at the first such byte with `valid` false.
Utf8Result decodeUtf8(QByteArrayView bytes, bool lossy, int& undecodable) {
    Utf8Result result;
    QString& out = result.text = QString(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    while (p < end) {
        widenAsciiRun(p, end, d);
        if (p == end) break;
        if (*p == '\r') {
            takeCr(p, end, d);
            continue;
        }
        do {
            const int length = utf8SequenceLength(p, end);
            if (length == 0) {
                if (!lossy) {
                    result.valid = false;
                    return result;
                }
                *d++ = kReplacement;
                ++undecodable;
                ++p;
                continue;
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
        } while (p < end && *p >= 0x80);
    }
    out.truncate(d - begin);
    return result;
}

// Each byte that is no character becomes one U+FFFD. A lead byte without a valid second byte is one
// such byte: what follows it is read again, so a lost byte costs one character.
// With `forms` given, records the byte form of every character that has two: the first alternate form
// seen goes into `forms->alternates`, and every form is counted.
struct FormRecord {
    QHash<char16_t, quint16>& alternates;
    QHash<quint32, int> counts; // character << 16 | code -> occurrences
};

QString decodeCp932Bytes(QByteArrayView bytes, bool joinCrLf, FormRecord* forms, int& undecodable) {
    const Cp932Tables& t = cp932();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    while (p < end) {
        widenAsciiRun(p, end, d);
        if (p == end) break;
        if (*p == '\r') {
            takeCr(p, end, d, joinCrLf);
            continue;
        }
        // Non-ASCII characters tend to come in runs.
        do {
            const uchar b = *p;
            if (const char16_t c = t.single[b]) {
                *d++ = c;
                ++p;
                continue;
            }
            if (t.lead[b] && end - p >= 2) {
                const quint16 code = quint16(b << 8 | p[1]);
                if (const char16_t c = t.pair[code]) {
                    *d++ = c;
                    p += 2;
                    if (forms && t.hasAlternate[c]) {
                        ++forms->counts[quint32(c) << 16 | code];
                        if (t.encode[c] != code && !forms->alternates.contains(c))
                            forms->alternates.insert(c, code);
                    }
                    continue;
                }
            }
            *d++ = kReplacement;
            ++undecodable;
            ++p;
        } while (p < end && *p >= 0x80);
    }
    out.truncate(d - begin);
    return out;
}

// The distinct characters without a byte form, a surrogate pair counting as one character.
class Unencodable {
public:
    void add(QStringView ch) {
        const char32_t ucs = ch.size() == 2 ? QChar::surrogateToUcs4(ch[0], ch[1]) : ch[0].unicode();
        if (!seen_.contains(ucs)) {
            seen_.insert(ucs);
            text_.append(ch);
        }
    }
    QString take() { return std::move(text_); }

private:
    QSet<char32_t> seen_;
    QString text_;
};

// Narrows the ASCII characters at s up to the next one that needs a look: non-ASCII, or '\n' when it
// becomes CR LF. Four bytes are written at a time, past the run's end too: every character may take
// at least one byte, so that stays inside the buffer.
inline void narrowAsciiRun(const char16_t*& s, const char16_t* end, char*& d, bool crlf) {
    const quint64 lf = crlf ? 0x000A000A000A000AULL : 0;
    while (end - s >= 4) {
        quint64 word;
        std::memcpy(&word, s, 8);
        for (int i = 0; i < 4; ++i)
            d[i] = char(s[i]);
        const quint64 stops = (word & 0xFF80FF80FF80FF80ULL) | (crlf ? zeroLanes16(word ^ lf) : 0);
        if (stops) {
            const int n = std::countr_zero(stops) / 16;
            s += n;
            d += n;
            return;
        }
        s += 4;
        d += 4;
    }
    while (s < end && *s < 0x80 && !(crlf && *s == u'\n'))
        *d++ = char(*s++);
}

// Writes the text with '\n' as CR LF when asked; `putOther` writes one character from U+0080 (and
// may take a surrogate pair), each UTF-16 unit taking at most `maxBytesPerUnit` bytes.
template <typename PutOther>
QByteArray encodeChars(QStringView text, bool crlf, int maxBytesPerUnit, QByteArrayView prefix,
                       PutOther putOther) {
    QByteArray out(prefix.size() + text.size() * maxBytesPerUnit, Qt::Uninitialized);
    char* const begin = out.data();
    if (!prefix.isEmpty()) std::memcpy(begin, prefix.data(), size_t(prefix.size()));
    char* d = begin + prefix.size();
    const char16_t* s = text.utf16();
    const char16_t* const end = s + text.size();
    while (s < end) {
        narrowAsciiRun(s, end, d, crlf);
        if (s == end) break;
        if (*s == u'\n') {
            *d++ = '\r';
            *d++ = '\n';
            ++s;
            continue;
        }
        do
            putOther(s, end, d);
        while (s < end && *s >= 0x80);
    }
    out.truncate(d - begin);
    return out;
}

qsizetype characterLength(const char16_t* s, const char16_t* end) {
    return QChar::isHighSurrogate(s[0]) && end - s >= 2 && QChar::isLowSurrogate(s[1]) ? 2 : 1;
}

// `unencodable` null: every character without a byte form is written as '?' and not reported.
QByteArray encodeCp932Chars(QStringView text, const QHash<char16_t, quint16>& alternates, bool crlf,
                            bool replacementAsQuestionMark, Unencodable* unencodable) {
    const Cp932Tables& t = cp932();
    return encodeChars(text, crlf, 2, {}, [&](const char16_t*& s, const char16_t* end, char*& d) {
        const char16_t c = *s;
        quint16 code = t.encode[c];
        if (t.hasAlternate[c] && !alternates.isEmpty()) {
            const auto it = alternates.constFind(c);
            if (it != alternates.cend() && t.decode(*it) == c) code = *it;
        }
        if (code != kNoCode) {
            if (code >= 0x100) *d++ = char(code >> 8);
            *d++ = char(code & 0xFF);
            ++s;
            return;
        }
        const qsizetype length = characterLength(s, end);
        if (unencodable && !(c == kReplacement && replacementAsQuestionMark))
            unencodable->add(QStringView(s, length));
        *d++ = '?';
        s += length;
    });
}

EncodedText encodeUtf8Text(QStringView text, const TextFormat& format, bool replacementAsQuestionMark) {
    Unencodable unencodable;
    const QByteArrayView bom = format.byteOrderMark ? QByteArrayView("\xEF\xBB\xBF") : QByteArrayView();
    const bool crlf = format.lineBreak == LineBreak::CrLf;
    EncodedText result;
    result.bytes = encodeChars(text, crlf, 3, bom, [&](const char16_t*& s, const char16_t* end, char*& d) {
        const char16_t c = *s;
        if (c < 0x800) {
            *d++ = char(0xC0 | c >> 6);
            *d++ = char(0x80 | (c & 0x3F));
            ++s;
        } else if (QChar::isSurrogate(c)) {
            if (characterLength(s, end) == 2) {
                const char32_t ucs = QChar::surrogateToUcs4(s[0], s[1]);
                *d++ = char(0xF0 | ucs >> 18);
                *d++ = char(0x80 | (ucs >> 12 & 0x3F));
                *d++ = char(0x80 | (ucs >> 6 & 0x3F));
                *d++ = char(0x80 | (ucs & 0x3F));
                s += 2;
            } else {
                unencodable.add(QStringView(s, 1));
                *d++ = '?';
                ++s;
            }
        } else if (c == kReplacement && replacementAsQuestionMark) {
            *d++ = '?';
            ++s;
        } else {
            *d++ = char(0xE0 | c >> 12);
            *d++ = char(0x80 | (c >> 6 & 0x3F));
            *d++ = char(0x80 | (c & 0x3F));
            ++s;
        }
    });
    result.unencodable = unencodable.take();
    return result;
}

} // namespace

DecodedText decodeText(QByteArrayView bytes) {
    DecodedText result;
    TextFormat& format = result.format;
    format.lineBreak = hasCrLf(bytes) || !bytes.contains('\n') ? LineBreak::CrLf : LineBreak::Lf;
    format.byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = format.byteOrderMark ? bytes.sliced(3) : bytes;

    // ASCII reads the same in both encodings, so a text that turns out to be ASCII is kept as read.
    Utf8Result utf8 = decodeUtf8(body, format.byteOrderMark, result.undecodableBytes);
    if (utf8.valid && (utf8.nonAscii || format.byteOrderMark)) {
        format.encoding = Encoding::Utf8;
        result.text = std::move(utf8.text);
    } else {
        format.encoding = Encoding::Cp932;
        if (utf8.valid) {
            result.text = std::move(utf8.text);
            return result;
        }
        FormRecord forms{format.alternateForms, {}};
        result.text = decodeCp932Bytes(body, true, &forms, result.undecodableBytes);
        // One form is kept per character: occurrences in the other form will be written in this one.
        const Cp932Tables& t = cp932();
        for (auto it = forms.counts.cbegin(); it != forms.counts.cend(); ++it) {
            const char16_t c = char16_t(it.key() >> 16);
            if (quint16(it.key()) != format.alternateForms.value(c, t.encode[c]))
                result.rewrittenCharacters += it.value();
        }
    }
    return result;
}

EncodedText encodeText(QStringView text, const TextFormat& format, bool replacementAsQuestionMark) {
    if (format.encoding == Encoding::Utf8) return encodeUtf8Text(text, format, replacementAsQuestionMark);
    EncodedText result;
    Unencodable unencodable;
    result.bytes = encodeCp932Chars(text, format.alternateForms, format.lineBreak == LineBreak::CrLf,
                                    replacementAsQuestionMark, &unencodable);
    result.unencodable = unencodable.take();
    return result;
}

QString decodeCp932(QByteArrayView bytes) {
    int undecodable = 0;
    return decodeCp932Bytes(bytes, false, nullptr, undecodable);
}

QByteArray encodeCp932(QStringView text) {
    return encodeCp932Chars(text, {}, false, true, nullptr);
}

} // namespace text
