#pragma once
// What the parts of the encoding code share: the shared constants, the codec tables' layout, the
// per-byte and word-at-a-time helpers that the decoders' and encoders' loops inline, and the scans,
// decoders and encoders that detection (encoding.cpp) calls. Only src/text/encoding*.cpp include it.
#include "text/encoding.h"

#include <QHash>
#include <QSet>

#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace text::detail {

constexpr quint16 kNoCode = 0xFFFF; // 0xFF is never a trail byte
constexpr quint32 kNoEucCode = 0;
constexpr quint64 kHighBits8 = 0x8080808080808080ULL;
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";
constexpr QByteArrayView kJisKanjiEscape = "\x1B$B", kJisOldKanjiEscape = "\x1B$@";
constexpr QByteArrayView kJisAsciiEscape = "\x1B(B", kJisRomanEscape = "\x1B(J";

inline const uchar* bytesOf(QByteArrayView v) {
    return reinterpret_cast<const uchar*>(v.data());
}

// ---- Codec tables (encoding_tables.cpp) ----

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

inline const Cp932Tables& cp932() {
    static const Cp932Tables tables;
    return tables;
}

// The EUC-JP conversion tables, read once from the codec as the CP932 ones are: JIS X 0208 (two bytes
// 0xA1-0xFE), half-width katakana (0x8E and one byte) and JIS X 0212 (0x8F and two bytes). ISO-2022-JP
// writes the same JIS X 0208 codes with the high bits cleared.
constexpr int kJisRows = 94;

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

inline const EucTables& eucJp() {
    static const EucTables tables;
    return tables;
}

// The length of the EUC-JP sequence at p by its shape (two bytes 0xA1-0xFE, 0x8E and a katakana byte,
// 0x8F and two bytes 0xA1-0xFE), or 0.
inline int eucSequenceLength(const uchar* p, const uchar* end) {
    auto isEucByte = [](uchar b) { return b >= 0xA1 && b <= 0xFE; };
    if (p[0] == 0x8E) return end - p >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF ? 2 : 0;
    if (p[0] == 0x8F) return end - p >= 3 && isEucByte(p[1]) && isEucByte(p[2]) ? 3 : 0;
    return isEucByte(p[0]) && end - p >= 2 && isEucByte(p[1]) ? 2 : 0;
}

// Whether a number is an EUC-JP code by its shape: the tables are read only with one.
inline bool isEucCode(quint32 code) {
    const uchar bytes[3] = {uchar(code >> 16), uchar(code >> 8), uchar(code)};
    const int length = code > 0xFFFF ? 3 : 2;
    return code <= 0xFFFFFF && eucSequenceLength(bytes + 3 - length, bytes + 3) == length;
}

// The length of the well-formed UTF-8 sequence at p (no overlong forms, no surrogates, nothing past
// U+10FFFF), or 0.
inline int utf8SequenceLength(const uchar* p, const uchar* end) {
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

// ---- Word at a time: eight bytes (or four UTF-16 units) in one 64-bit word ----

// Marks exactly the zero bytes (lanes) of a word, each with its high bit.
constexpr quint64 exactZeroBytes(quint64 x) {
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((x & low7) + low7) | x | low7);
}
// The number of lanes marked (by multiplication: the build does not assume a popcount instruction).
constexpr int markedLanes(quint64 marks) {
    return int(((marks >> 7) * 0x0101010101010101ULL) >> 56);
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

// ---- Passes over a file's bytes ----

// How far a pass goes between two reports to PassedBytes.
constexpr qsizetype kPassStretch = qsizetype(1) << 20;

// Tells a pass's PassedBytes (none: nothing) where the pass has come to, once per stretch; at() is
// cheap enough to ask in a decoder's loop.
class Passing {
public:
    Passing(const PassedBytes* passed, const uchar* from)
        : passed_(passed && *passed ? passed : nullptr),
          next_(passed_ ? quintptr(from) + kPassStretch : ~quintptr(0)) {}
    void at(const uchar* p) {
        if (quintptr(p) >= next_) [[unlikely]] {
            (*passed_)(reinterpret_cast<const char*>(p));
            next_ = quintptr(p) + kPassStretch;
        }
    }

private:
    const PassedBytes* passed_;
    quintptr next_;
};

// ---- Scans of the whole bytes or text, for detection (encoding_scan.cpp) ----

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

LineBreakCounts countLineBreaks(QByteArrayView bytes, const PassedBytes* passed = nullptr);
// The whole multi-byte UTF-8 sequences in the bytes.
qsizetype utf8Sequences(QByteArrayView bytes, const PassedBytes* passed = nullptr);
// Whether the bytes could be EUC-JP at all: every byte from 0x80 starts a sequence of the right shape.
bool hasEucJpShape(QByteArrayView bytes, const PassedBytes* passed = nullptr);
bool hasJisKanjiEscape(QByteArrayView bytes, const PassedBytes* passed = nullptr);
// Characters that Japanese text is full of and that bytes of another encoding rarely make when read as
// CP932: kana, Japanese punctuation and the full-width forms.
qsizetype japaneseCharacters(QStringView text);
// U+2029, U+FDD0 or U+FDD1: characters the editor shows as line breaks.
bool hasLineBreakCharacters(QStringView text);

// ---- Decoders (encoding_decode.cpp) ----

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

struct Utf8Result {
    QString text;
    bool valid = true;
    bool nonAscii = false;
};

// Each decoder joins a CR LF pair into '\n' when `joinCrLf` is set, and counts in `undecodable` the bytes
// that became stand-ins.

// Lossy: each byte that does not start a valid sequence becomes its stand-in. Otherwise the decoding
// stops at the first such byte with `valid` false.
Utf8Result decodeUtf8(QByteArrayView bytes, bool joinCrLf, bool lossy, int& undecodable,
                      const PassedBytes* passed = nullptr);
// Each byte that is no character becomes its stand-in. A lead byte without a valid second byte is one
// such byte: what follows it is read again, so a lost byte costs one character. `forms` may be null.
QString decodeCp932Bytes(QByteArrayView bytes, bool joinCrLf, FormRecord* forms, int& undecodable,
                         const PassedBytes* passed = nullptr);
// Each byte that is no character becomes its stand-in, and what follows it is read again.
QString decodeEucJpBytes(QByteArrayView bytes, bool joinCrLf, FormRecord& forms, int& undecodable,
                         const PassedBytes* passed = nullptr);
// 7-bit JIS: the four escapes switch between ASCII (JIS X 0201 Roman read as ASCII) and JIS X 0208 pairs.
// Any other escape stays in the text as it stands. A pair that is no character becomes two stand-ins.
// Records which escapes the file used, so that saving uses the same ones.
QString decodeIso2022JpBytes(QByteArrayView bytes, bool joinCrLf, TextFormat& format, FormRecord& forms,
                             int& undecodable, const PassedBytes* passed = nullptr);
// Turns every line end of the decoded text into '\n' and lists the lines that end otherwise than
// `usual`. A CR LF pair is still two characters here unless `crlfJoined`, in which case every '\n' stands
// for one.
LineEnds normaliseLineBreaks(QString& text, LineBreak usual, bool crlfJoined);

// ---- Encoders (encoding_encode.cpp) ----

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

// Each encoder writes '\n' as the usual line break and each line listed in `lineEnds` with its own, and
// collects the characters it has no code for. `unencodable` may be null for CP932 only.
QByteArray encodeCp932Text(QStringView text, const QHash<char16_t, quint32>& alternates, LineBreak usual,
                           const LineEnds& lineEnds, Unencodable* unencodable);
QByteArray encodeUtf8Text(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                          Unencodable& unencodable);
QByteArray encodeEucJpText(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                           Unencodable& unencodable);
QByteArray encodeIso2022JpText(QStringView text, const TextFormat& format, const LineEnds& lineEnds,
                               Unencodable& unencodable);

} // namespace text::detail
