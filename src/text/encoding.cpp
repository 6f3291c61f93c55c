#include "text/encoding.h"

#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace text {
namespace {

constexpr quint16 kNoCode = 0xFFFF; // 0xFF is never a trail byte
constexpr quint64 kHighBits8 = 0x8080808080808080ULL;
constexpr const char* kCodecName = "windows-31j";
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

constexpr std::pair<uchar, char16_t> kExtraSingles[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};
// Characters with no code of their own in the Japanese encodings that stand for one: what input methods
// commit for a wave dash, and a few look-alikes. They are written one way, as the code of the character
// beside them, as the desktop's converters write them (〜 as ～, and so on). The EUC-JP codec reads the
// standard character's JIS X 0208 code as the look-alike that CP932 has; Unix files and converters mean
// the standard character by it (〜, not ～), and have JIS X 0212 codes for the look-alikes.
struct LookAlike {
    char16_t standard, lookAlike;
    quint16 jisCode; // in EUC-JP form
};
constexpr LookAlike kLookAlikes[] = {
    {u'\u301C', u'\uFF5E', 0xA1C1}, // 〜 wave dash
    {u'\u2016', u'\u2225', 0xA1C2}, // ‖
    {u'\u2212', u'\uFF0D', 0xA1DD}, // − minus sign
    {u'\u00A2', u'\uFFE0', 0xA1F1}, // ¢
    {u'\u00A3', u'\uFFE1', 0xA1F2}, // £
    {u'\u00AC', u'\uFFE2', 0xA2CC}, // ¬
    {u'\u2014', u'\u2015', 0xA1BD}, // — em dash
};

// One code read by a codec: its character, or 0 for none (or more than one).
char16_t decodeOne(const char* codec, QByteArrayView bytes) {
    QStringDecoder decoder(codec);
    const QString s = decoder.decode(bytes);
    return !decoder.hasError() && s.size() == 1 && !s[0].isSurrogate() ? s[0].unicode() : 0;
}

// The code a codec writes a character in, big-endian, or 0 for none.
quint32 encodeOne(const char* codec, char16_t c) {
    QStringEncoder encoder(codec);
    const QByteArray bytes = encoder.encode(QStringView(&c, 1));
    quint32 code = 0;
    for (const char b : bytes)
        code = code << 8 | uchar(b);
    return encoder.hasError() ? 0 : code;
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

Cp932Tables::Cp932Tables() {
    if (!QStringDecoder(kCodecName).isValid() || !QStringEncoder(kCodecName).isValid())
        qFatal("The %s codec is missing: Qt was built without ICU", kCodecName);
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char byte = char(b);
        QStringDecoder decoder(kCodecName);
        const QString s = decoder.decode(QByteArrayView(&byte, 1));
        if (!decoder.hasError() && s.size() == 1) single[b] = s[0].unicode();
        lead[b] = !decoder.hasError() && s.isEmpty(); // the decoder waits for the second byte
    }
    // Single bytes the codec refuses, read as the desktop's converters read them, so they come back.
    for (const auto& [byte, c] : kExtraSingles)
        if (!single[byte] && !lead[byte]) single[byte] = c;
    for (int l = 0x81; l <= 0xFF; ++l) {
        if (!lead[l]) continue;
        for (int t = 0x40; t <= 0xFC; ++t) {
            if (!isTrailByte(uchar(t))) continue;
            const char bytes[2] = {char(l), char(t)};
            pair[l << 8 | t] = decodeOne(kCodecName, QByteArrayView(bytes, 2));
        }
    }

    encode.fill(kNoCode);
    for (char16_t c = 0; c < 0x80; ++c)
        encode[c] = c;
    // Codes in ascending order, so a character the encoder cannot write back keeps its first code.
    for (int code = 0x80; code < 0x10000; ++code) {
        const char16_t c = decode(quint16(code));
        if (c == 0 || encode[c] != kNoCode) continue;
        const quint32 written = encodeOne(kCodecName, c);
        encode[c] = written != 0 && written <= 0xFFFF && decode(quint16(written)) == c ? written : code;
    }
    for (int code = 0x80; code < 0x10000; ++code) {
        const char16_t c = decode(quint16(code));
        if (c != 0 && encode[c] != code) hasAlternate[c] = true;
    }
    for (const LookAlike& l : kLookAlikes)
        if (encode[l.standard] == kNoCode) encode[l.standard] = encode[l.lookAlike];
}

const Cp932Tables& cp932() {
    static const Cp932Tables tables;
    return tables;
}

// The EUC-JP conversion tables, read once from the codec as the CP932 ones are: JIS X 0208 (two bytes
// 0xA1-0xFE), half-width katakana (0x8E and one byte) and JIS X 0212 (0x8F and two bytes). ISO-2022-JP
// writes the same JIS X 0208 codes with the high bits cleared.
constexpr int kJisRows = 94;
constexpr quint32 kNoEucCode = 0;

// The length of the EUC-JP sequence at p by its shape (two bytes 0xA1-0xFE, 0x8E and a katakana byte,
// 0x8F and two bytes 0xA1-0xFE), or 0.
int eucSequenceLength(const uchar* p, const uchar* end) {
    auto isEucByte = [](uchar b) { return b >= 0xA1 && b <= 0xFE; };
    if (p[0] == 0x8E) return end - p >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF ? 2 : 0;
    if (p[0] == 0x8F) return end - p >= 3 && isEucByte(p[1]) && isEucByte(p[2]) ? 3 : 0;
    return isEucByte(p[0]) && end - p >= 2 && isEucByte(p[1]) ? 2 : 0;
}

// Whether a number is an EUC-JP code by its shape: the tables are read only with one.
bool isEucCode(quint32 code) {
    const uchar bytes[3] = {uchar(code >> 16), uchar(code >> 8), uchar(code)};
    const int length = code > 0xFFFF ? 3 : 2;
    return code <= 0xFFFFFF && eucSequenceLength(bytes + 3 - length, bytes + 3) == length;
}

struct EucTables {
    std::array<char16_t, kJisRows * kJisRows> jis0208{}; // by cell(first, second)
    std::array<char16_t, kJisRows * kJisRows> jis0212{};
    std::array<char16_t, 0xE0 - 0xA1> kana{}; // by byte - 0xA1
    std::array<quint32, 0x10000> encode{};    // character -> its EUC-JP code, or kNoEucCode
    std::array<quint16, 0x10000> encodeJis{}; // character -> its JIS X 0208 code in EUC form, or 0
    std::array<bool, 0x10000> hasAlternate{}; // the character has more than one code

    EucTables();
    static int cell(uchar first, uchar second) { return (first - 0xA1) * kJisRows + (second - 0xA1); }
    char16_t decode(quint32 code) const {
        if (code > 0xFFFF) return jis0212[cell(uchar(code >> 8), uchar(code))];
        if (code >> 8 == 0x8E) return kana[(code & 0xFF) - 0xA1];
        return jis0208[cell(uchar(code >> 8), uchar(code))];
    }
};

EucTables::EucTables() {
    constexpr const char* codec = "EUC-JP";
    if (!QStringDecoder(codec).isValid()) qFatal("The %s codec is missing: Qt was built without ICU", codec);
    QList<quint32> codes; // in the order a character is best written: JIS X 0208, katakana, JIS X 0212
    for (int first = 0xA1; first <= 0xFE; ++first)
        for (int second = 0xA1; second <= 0xFE; ++second) {
            const char bytes[2] = {char(first), char(second)};
            jis0208[cell(uchar(first), uchar(second))] = decodeOne(codec, QByteArrayView(bytes, 2));
            codes.append(quint32(first << 8 | second));
        }
    for (int b = 0xA1; b < 0xE0; ++b) {
        const char bytes[2] = {char(0x8E), char(b)};
        kana[b - 0xA1] = decodeOne(codec, QByteArrayView(bytes, 2));
        codes.append(quint32(0x8E00 | b));
    }
    for (int first = 0xA1; first <= 0xFE; ++first)
        for (int second = 0xA1; second <= 0xFE; ++second) {
            const char bytes[3] = {char(0x8F), char(first), char(second)};
            jis0212[cell(uchar(first), uchar(second))] = decodeOne(codec, QByteArrayView(bytes, 3));
            codes.append(quint32(0x8F0000 | first << 8 | second));
        }
    for (const LookAlike& l : kLookAlikes)
        jis0208[cell(uchar(l.jisCode >> 8), uchar(l.jisCode))] = l.standard;

    // A character's first code is its own unless the codec's encoder writes another that reads back as it.
    for (const quint32 code : codes) {
        const char16_t c = decode(code);
        if (c == 0 || encode[c] != kNoEucCode) continue;
        const quint32 written = encodeOne(codec, c);
        encode[c] = isEucCode(written) && decode(written) == c ? written : code;
    }
    for (const quint32 code : codes) {
        const char16_t c = decode(code);
        if (c != 0 && code <= 0xFEFE && code >= 0xA1A1 && (encodeJis[c] == 0 || encode[c] == code))
            encodeJis[c] = quint16(code);
    }
    // CP932's look-alikes (what a Shift-JIS document holds for 〜 and the rest) are written as the JIS X 0208
    // code of the standard character, even where the codec has a code of its own for them elsewhere (JIS X
    // 0212, or the IBM rows), which Japanese TeX does not read; a file that uses such a code keeps it.
    for (const LookAlike& l : kLookAlikes) {
        encode[l.lookAlike] = encode[l.standard];
        encodeJis[l.lookAlike] = encodeJis[l.standard];
    }
    for (const quint32 code : codes)
        if (const char16_t c = decode(code); c != 0 && encode[c] != code) hasAlternate[c] = true;
}

const EucTables& eucJp() {
    static const EucTables tables;
    return tables;
}

const uchar* bytesOf(QByteArrayView v) {
    return reinterpret_cast<const uchar*>(v.data());
}

// How often each line end occurs. CR and LF are ASCII in both encodings: no trail byte takes their values.
struct LineBreakCounts {
    qsizetype crlf = 0, lf = 0, cr = 0;

    LineBreak usual() const {
        if (lf > crlf && lf >= cr) return LineBreak::Lf;
        if (cr > crlf && cr > lf) return LineBreak::Cr;
        return LineBreak::CrLf;
    }
    bool mixed() const { return (crlf > 0) + (lf > 0) + (cr > 0) > 1; }
};

// Marks exactly the zero bytes (lanes) of a word, each with its high bit.
constexpr quint64 exactZeroBytes(quint64 x) {
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((x & low7) + low7) | x | low7);
}
// The number of lanes marked (by multiplication: the build does not assume a popcount instruction).
constexpr int markedLanes(quint64 marks) {
    return int(((marks >> 7) * 0x0101010101010101ULL) >> 56);
}

LineBreakCounts countLineBreaks(QByteArrayView bytes) {
    LineBreakCounts counts;
    const uchar* const p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype lf = 0, cr = 0, pairs = 0, i = 0;
    // Eight bytes at a time, with the word one byte further on for the LF that follows a CR.
    for (; i + 9 <= size; i += 8) {
        quint64 word, next;
        std::memcpy(&word, p + i, 8);
        std::memcpy(&next, p + i + 1, 8);
        const quint64 crs = exactZeroBytes(word ^ 0x0D0D0D0D0D0D0D0DULL);
        lf += markedLanes(exactZeroBytes(word ^ 0x0A0A0A0A0A0A0A0AULL));
        cr += markedLanes(crs);
        pairs += markedLanes(crs & exactZeroBytes(next ^ 0x0A0A0A0A0A0A0A0AULL));
    }
    for (; i < size; ++i) {
        lf += p[i] == '\n';
        cr += p[i] == '\r';
        pairs += p[i] == '\r' && i + 1 < size && p[i + 1] == '\n';
    }
    counts.crlf = pairs;
    counts.cr = cr - pairs;
    counts.lf = lf - pairs;
    return counts;
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
inline void takeCr(const uchar*& p, const uchar* end, char16_t*& d, bool join) {
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

// Decodes bytes: ASCII as it stands (a CR LF pair joined into '\n' when `joinCrLf`), every other character
// through `decodeOne(p, end, d)`, which reads one character or one byte that is none, and returns false to
// end the decoding there.
template <typename DecodeOne> QString decodeBytes(QByteArrayView bytes, bool joinCrLf, DecodeOne decodeOne) {
    QString out(bytes.size(), Qt::Uninitialized); // no encoding makes more characters than bytes
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

// Lossy: each byte that does not start a valid sequence becomes its stand-in. Otherwise the decoding
// stops at the first such byte with `valid` false.
Utf8Result decodeUtf8(QByteArrayView bytes, bool joinCrLf, bool lossy, int& undecodable) {
    Utf8Result result;
    result.text = decodeBytes(bytes, joinCrLf, [&](const uchar*& p, const uchar* end, char16_t*& d) {
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

// The whole multi-byte UTF-8 sequences in the bytes.
qsizetype utf8Sequences(QByteArrayView bytes) {
    qsizetype sequences = 0;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    while (p < end) {
        const int length = utf8SequenceLength(p, end);
        sequences += length > 0;
        p += std::max(length, 1);
    }
    return sequences;
}

// Characters that Japanese text is full of and that bytes of another encoding rarely make when read as
// CP932: kana, Japanese punctuation and the full-width forms.
qsizetype japaneseCharacters(QStringView text) {
    qsizetype n = 0;
    for (QChar c : text)
        n += (c.unicode() >= 0x3000 && c.unicode() <= 0x30FF) ||
             (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E);
    return n;
}

// Each byte that is no character becomes its stand-in. A lead byte without a valid second byte is one
// such byte: what follows it is read again, so a lost byte costs one character.
// With `forms` given, a decoder records the code of every character that has two: the first alternate
// code seen goes into `alternates`, and every code is counted.
struct FormRecord {
    QHash<char16_t, quint32>& alternates;
    QHash<quint64, int> counts; // character << 32 | code -> occurrences

    void note(char16_t c, quint32 code, quint32 preferred) {
        ++counts[quint64(c) << 32 | code];
        if (code != preferred && !alternates.contains(c)) alternates.insert(c, code);
    }
    // The occurrences written in a code that saving will not use: one code is kept per character.
    template <typename Preferred> int rewritten(Preferred preferred) const {
        int n = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            const char16_t c = char16_t(it.key() >> 32);
            if (quint32(it.key()) != alternates.value(c, preferred(c))) n += it.value();
        }
        return n;
    }
};

QString decodeCp932Bytes(QByteArrayView bytes, bool joinCrLf, FormRecord* forms, int& undecodable) {
    const Cp932Tables& t = cp932();
    return decodeBytes(bytes, joinCrLf, [&](const uchar*& p, const uchar* end, char16_t*& d) {
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

// Whether the bytes could be EUC-JP at all: every byte from 0x80 starts a sequence of the right shape.
// CP932 text fails at its first kanji (lead bytes 0x81-0x9F), so this ends early for it.
bool hasEucJpShape(QByteArrayView bytes) {
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    bool nonAscii = false;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        nonAscii = true;
        const int length = eucSequenceLength(p, end);
        if (length == 0) return false;
        p += length;
    }
    return nonAscii;
}

// Each byte that is no character becomes its stand-in, and what follows it is read again.
QString decodeEucJpBytes(QByteArrayView bytes, bool joinCrLf, FormRecord& forms, int& undecodable) {
    const EucTables& t = eucJp();
    return decodeBytes(bytes, joinCrLf, [&](const uchar*& p, const uchar* end, char16_t*& d) {
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

constexpr QByteArrayView kJisKanjiEscape = "\x1B$B", kJisOldKanjiEscape = "\x1B$@";
constexpr QByteArrayView kJisAsciiEscape = "\x1B(B", kJisRomanEscape = "\x1B(J";

bool hasJisKanjiEscape(QByteArrayView bytes) {
    return bytes.indexOf(kJisKanjiEscape) >= 0 || bytes.indexOf(kJisOldKanjiEscape) >= 0;
}

// 7-bit JIS: the four escapes switch between ASCII (JIS X 0201 Roman read as ASCII) and JIS X 0208 pairs.
// Any other escape stays in the text as it stands. A pair that is no character becomes two stand-ins.
// Records which escapes the file used, so that saving uses the same ones.
QString decodeIso2022JpBytes(QByteArrayView bytes, bool joinCrLf, TextFormat& format, FormRecord& forms,
                             int& undecodable) {
    const EucTables& t = eucJp();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    auto isJisByte = [](uchar b) { return b >= 0x21 && b <= 0x7E; };
    bool kanji = false;
    bool newKanji = false, oldKanji = false, ascii = false, roman = false;
    while (p < end) {
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

// Turns every line end of the decoded text into '\n' and lists the lines that end otherwise than
// `usual`. A CR LF pair is still two characters here unless `crlfJoined`, in which case every '\n' stands
// for one.
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
// is written otherwise. Four bytes are written at a time, past the run's end too: every character may
// take at least one byte, so that stays inside the buffer.
inline void narrowAsciiRun(const char16_t*& s, const char16_t* end, char*& d, bool stopAtLf) {
    while (end - s >= 4) {
        quint64 word;
        std::memcpy(&word, s, 8);
        for (int i = 0; i < 4; ++i)
            d[i] = char(s[i]);
        const quint64 stops =
            (word & 0xFF80FF80FF80FF80ULL) | (stopAtLf ? zeroLanes16(word ^ 0x000A000A000A000AULL) : 0);
        if (stops) {
            const int n = std::countr_zero(stops) / 16;
            s += n;
            d += n;
            return;
        }
        s += 4;
        d += 4;
    }
    while (s < end && *s < 0x80 && !(stopAtLf && *s == u'\n'))
        *d++ = char(*s++);
}

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

// Bytes that read as both EUC-JP and CP932 (short texts do): EUC-JP only on clear evidence, measured on
// the corpus's Japanese files and on random runs of their lines converted to both encodings. The
// detector must call it EUC-JP, and the EUC-JP reading must hold at least two kana or Japanese
// punctuation marks and more than twice as many as the CP932 reading (which makes half-width katakana
// of EUC-JP's kana). No CP932 sample was ever taken for EUC-JP; EUC-JP samples of one line were taken
// for it in 4 of 5 cases, of three lines or more in 99%; the rest, kanji only, stay CP932.
bool clearlyEucJp(QByteArrayView bytes, QStringView asEucJp, QStringView asCp932) {
    const qsizetype euc = japaneseCharacters(asEucJp);
    if (euc < 2 || euc <= 2 * japaneseCharacters(asCp932)) return false;
    uchardet_t detector = uchardet_new();
    const bool handled = uchardet_handle_data(detector, bytes.data(), size_t(bytes.size())) == 0;
    uchardet_data_end(detector);
    const bool eucJp = handled && qstrcmp(uchardet_get_charset(detector), "EUC-JP") == 0;
    uchardet_delete(detector);
    return eucJp;
}

bool hasLineBreakCharacters(QStringView text) {
    return text.contains(u'\u2029') || text.contains(u'\uFDD0') || text.contains(u'\uFDD1');
}

} // namespace

DecodedText decodeText(QByteArrayView bytes) {
    DecodedText result;
    TextFormat& format = result.format;
    format.byteOrderMark = bytes.startsWith(kByteOrderMark);
    const QByteArrayView body = format.byteOrderMark ? bytes.sliced(kByteOrderMark.size()) : bytes;
    const LineBreakCounts breaks = countLineBreaks(body);
    format.lineBreak = breaks.usual();
    // CR LF pairs become '\n' while decoding when every line ends so; otherwise each line end is sorted
    // out afterwards.
    const bool joinCrLf = !breaks.mixed();

    // ASCII reads the same in CP932 and UTF-8, so a text that turns out to be ASCII is kept as read.
    Utf8Result utf8 = decodeUtf8(body, joinCrLf, format.byteOrderMark, result.undecodableBytes);
    if (utf8.valid && (utf8.nonAscii || format.byteOrderMark)) {
        format.encoding = Encoding::Utf8;
        result.text = std::move(utf8.text);
    } else if (utf8.valid && hasJisKanjiEscape(body)) {
        format.encoding = Encoding::Iso2022Jp;
        FormRecord forms{format.alternateForms, {}};
        result.text = decodeIso2022JpBytes(body, joinCrLf, format, forms, result.undecodableBytes);
        result.rewrittenCharacters = forms.rewritten([](char16_t c) { return eucJp().encodeJis[c]; });
    } else if (utf8.valid) {
        format.encoding = Encoding::Cp932;
        result.text = std::move(utf8.text);
    } else {
        format.encoding = Encoding::Cp932;
        FormRecord forms{format.alternateForms, {}};
        result.text = decodeCp932Bytes(body, joinCrLf, &forms, result.undecodableBytes);
        QHash<char16_t, quint32> eucForms;
        FormRecord eucRecord{eucForms, {}};
        int eucUndecodable = 0;
        QString euc =
            hasEucJpShape(body) ? decodeEucJpBytes(body, joinCrLf, eucRecord, eucUndecodable) : QString();
        if (!euc.isNull() && eucUndecodable == 0 &&
            (result.undecodableBytes > 0 || clearlyEucJp(body, euc, result.text))) {
            format.encoding = Encoding::EucJp;
            format.alternateForms = std::move(eucForms);
            result.text = std::move(euc);
            result.undecodableBytes = 0;
            result.rewrittenCharacters = eucRecord.rewritten([](char16_t c) { return eucJp().encode[c]; });
        } else if (result.undecodableBytes > 0 && utf8Sequences(body) > japaneseCharacters(result.text)) {
            // Neither encoding reads the bytes cleanly: UTF-8 with a few Latin-1 bytes has whole UTF-8
            // sequences and no kana; a damaged CP932 file the other way round.
            format.encoding = Encoding::Utf8;
            format.alternateForms.clear();
            result.undecodableBytes = 0;
            result.text = decodeUtf8(body, joinCrLf, true, result.undecodableBytes).text;
        } else {
            result.rewrittenCharacters =
                forms.rewritten([](char16_t c) { return quint32(cp932().encode[c]); });
        }
    }
    const bool lineBreakCharacters = format.encoding == Encoding::Utf8 && hasLineBreakCharacters(result.text);
    if (breaks.mixed() || breaks.cr > 0 || lineBreakCharacters)
        result.lineEnds = normaliseLineBreaks(result.text, format.lineBreak, joinCrLf && breaks.crlf > 0);
    // The two encodings with more than one way to write the same text: the open warning says so when
    // saving would not give back the same bytes.
    if ((format.encoding == Encoding::EucJp || format.encoding == Encoding::Iso2022Jp) &&
        result.rewrittenCharacters == 0)
        result.reencodingDiffers = encodeText(result.text, format, result.lineEnds).bytes != bytes;
    return result;
}

DecodedText decodeTextAs(QByteArrayView bytes, const TextFormat& format) {
    DecodedText result;
    result.format = format;
    const QByteArrayView body =
        format.encoding == Encoding::Utf8 && format.byteOrderMark && bytes.startsWith(kByteOrderMark)
            ? bytes.sliced(kByteOrderMark.size())
            : bytes;
    // The forms and escapes the bytes use are the format's already: what the decoders note is dropped.
    QHash<char16_t, quint32> forms;
    FormRecord record{forms, {}};
    TextFormat escapes = format;
    switch (format.encoding) {
    case Encoding::Utf8:
        result.text = decodeUtf8(body, false, true, result.undecodableBytes).text;
        break;
    case Encoding::Cp932:
        result.text = decodeCp932Bytes(body, false, nullptr, result.undecodableBytes);
        break;
    case Encoding::EucJp:
        result.text = decodeEucJpBytes(body, false, record, result.undecodableBytes);
        break;
    case Encoding::Iso2022Jp:
        result.text = decodeIso2022JpBytes(body, false, escapes, record, result.undecodableBytes);
        break;
    }
    // Every line end is sorted out against the format's usual one, which need not be the most frequent
    // in these bytes.
    result.lineEnds = normaliseLineBreaks(result.text, format.lineBreak, false);
    return result;
}

EncodedText encodeText(QStringView text, const TextFormat& format, const LineEnds& lineEnds) {
    EncodedText result;
    Unencodable unencodable;
    switch (format.encoding) {
    case Encoding::Utf8:
        result.bytes = encodeUtf8Text(text, format, lineEnds, unencodable);
        break;
    case Encoding::Cp932:
        result.bytes = encodeCp932Text(text, format.alternateForms, format.lineBreak, lineEnds, &unencodable);
        break;
    case Encoding::EucJp:
        result.bytes = encodeEucJpText(text, format, lineEnds, unencodable);
        break;
    case Encoding::Iso2022Jp:
        result.bytes = encodeIso2022JpText(text, format, lineEnds, unencodable);
        break;
    }
    result.unencodable = unencodable.take();
    return result;
}

QString encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Cp932:
        return QStringLiteral("Shift-JIS");
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::EucJp:
        return QStringLiteral("EUC-JP");
    case Encoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    }
    return {};
}

QString decodeCp932(QByteArrayView bytes) {
    int undecodable = 0;
    return decodeCp932Bytes(bytes, false, nullptr, undecodable);
}

QByteArray encodeCp932(QStringView text) {
    return encodeCp932Text(text, {}, LineBreak::Lf, {}, nullptr);
}

} // namespace text
