// The CP932 and EUC-JP conversion tables, read once from the codecs, and the look-alike characters that
// both encodings write as one code. The tables' layout is in encoding_internal.h.
#include "text/encoding_internal.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace text::detail {
namespace {

constexpr const char* kCodecName = "windows-31j";

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

} // namespace

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

} // namespace text::detail
