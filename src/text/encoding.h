#pragma once
// Reading and writing document bytes. The editor holds QString with '\n' between lines; files keep the
// encoding and the line ends they came with, so an unedited open + save gives back the same bytes.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

namespace text {

enum class Encoding { Cp932, Utf8, EucJp, Iso2022Jp };

// The name the user reads: "Shift-JIS", "UTF-8", "EUC-JP", "ISO-2022-JP".
QString encodingName(Encoding encoding);

// How a line ends in its file. The last three are characters that the editor shows as line breaks.
enum class LineBreak : quint8 { CrLf, Lf, Cr, Char2029, CharFDD0, CharFDD1 };

// A line whose end differs from the file's usual one: line `line` (0-based) ends with `lineBreak`.
struct LineEnd {
    int line = 0;
    LineBreak lineBreak = LineBreak::CrLf;
    bool operator==(const LineEnd&) const = default;
};
using LineEnds = QList<LineEnd>; // ascending by line

// How a text is laid out in its file.
struct TextFormat {
    Encoding encoding = Encoding::Cp932;
    bool byteOrderMark = false; // UTF-8 only
    // ISO-2022-JP only: the file switches to JIS X 0208 with ESC $ @ (else ESC $ B), and back with
    // ESC ( J (else ESC ( B).
    bool jisOldKanjiEscape = false;
    bool jisRomanEscape = false;
    // The usual line end (CR LF, LF or CR): the most frequent in the file, CR LF for a file without any.
    LineBreak lineBreak = LineBreak::CrLf;
    // Characters with two codes (CP932's NEC and IBM extension rows; EUC-JP's JIS X 0208 and JIS X 0212
    // forms of one character) that the file wrote in the code the encoder does not choose by itself:
    // character -> the code's bytes, big-endian.
    QHash<char16_t, quint32> alternateForms;

    bool operator==(const TextFormat&) const = default;
};

// A new document: CP932 with CR LF.
inline TextFormat defaultFormat() {
    return {};
}

// A byte that is no character of the file's encoding stands in the text as a lone low surrogate,
// U+DC00 + the byte (bytes below 0x80 only in ISO-2022-JP, inside a run of double-byte characters).
// Nothing a user types or pastes arrives as a lone surrogate, and saving writes the byte back.
constexpr bool isStandIn(char16_t c) {
    return c >= 0xDC00 && c <= 0xDCFF;
}
constexpr char16_t standInFor(uchar byte) {
    return char16_t(0xDC00 + byte);
}

struct DecodedText {
    QString text; // lines separated by '\n'
    TextFormat format;
    LineEnds lineEnds;        // the lines that end otherwise than format.lineBreak
    int undecodableBytes = 0; // bytes that are no character; each became a stand-in
    // Characters of two byte forms that the file wrote in both: one form is kept per character, so
    // these occurrences will be written in the other.
    int rewrittenCharacters = 0;
    // EUC-JP and ISO-2022-JP: saving the text unedited would not give back the same bytes (an unusual
    // escape convention, a character with two codes, ...).
    bool reencodingDiffers = false;
};

// In this order: UTF-8 when the bytes start with its byte-order mark or are valid UTF-8 with non-ASCII
// bytes; ISO-2022-JP for 7-bit bytes with an escape into JIS X 0208; EUC-JP for valid EUC-JP that CP932
// cannot read, or that a character-set detector calls EUC-JP with clearly more kana read as EUC-JP than as
// CP932; CP932 when it reads the bytes cleanly; UTF-8 again when neither reads them and they hold more
// UTF-8 sequences than kana read as CP932 (UTF-8 with some Latin-1 bytes in it). Anything else is CP932.
//
// `passed`, when given, is told every megabyte or so where a pass over the bytes has come to: that pass
// reads nothing before that point again (a later pass may start again from the first byte), so a file's
// mapped pages can be given back behind each pass.
using PassedBytes = std::function<void(const char* upTo)>;
DecodedText decodeText(QByteArrayView bytes, const PassedBytes& passed = {});
// Bytes known to be in `format` (written by encodeText with it): read in its encoding, with no detection,
// and each line whose end is not the format's usual one listed. The result's format is `format`.
DecodedText decodeTextAs(QByteArrayView bytes, const TextFormat& format);

struct EncodedText {
    QByteArray bytes;
    QString unencodable; // the distinct characters the encoding cannot hold, in order of first use
    bool ok() const { return unencodable.isEmpty(); }
};

// Writes '\n' as the format's line break, or as `lineEnds` says for the lines listed there. Characters
// the encoding cannot hold are collected in `unencodable` (bytes is then not to be written).
EncodedText encodeText(QStringView text, const TextFormat& format, const LineEnds& lineEnds = {});

// CP932 conversions of short texts (no line-break handling; unreadable bytes become stand-ins,
// characters without a byte form "?").
QString decodeCp932(QByteArrayView bytes);
QByteArray encodeCp932(QStringView text);

} // namespace text
