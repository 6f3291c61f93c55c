#pragma once
// Reading and writing document bytes. The editor holds QString with '\n' between lines; files keep the
// encoding and line-break style they came with, so an unedited open + save gives back the same bytes.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

namespace text {

enum class Encoding { Cp932, Utf8 };
enum class LineBreak { CrLf, Lf };

// How a text is laid out in its file.
struct TextFormat {
    Encoding encoding = Encoding::Cp932;
    bool byteOrderMark = false; // UTF-8 only
    LineBreak lineBreak = LineBreak::CrLf;
    // CP932 characters with two byte forms (the NEC and IBM extension rows) that the file wrote in the
    // form the encoder does not choose by itself: character -> the two bytes the file used.
    QHash<char16_t, quint16> alternateForms;

    bool operator==(const TextFormat&) const = default;
};

// A new document: CP932 with CR LF.
inline TextFormat defaultFormat() {
    return {};
}

struct DecodedText {
    QString text; // lines separated by '\n' (CR LF pairs become '\n')
    TextFormat format;
    int undecodableBytes = 0; // bytes valid in neither encoding; each became U+FFFD
    // Characters of two byte forms that the file wrote in both: one form is kept per character, so
    // these occurrences will be written in the other.
    int rewrittenCharacters = 0;
};

// A UTF-8 byte-order mark, or valid UTF-8 with non-ASCII bytes, means UTF-8; anything else is CP932.
// The line-break style is CR LF unless the text has LF line ends and no CR LF at all.
DecodedText decodeText(QByteArrayView bytes);

struct EncodedText {
    QByteArray bytes;
    QString unencodable; // the distinct characters the encoding cannot hold, in order of first use
    bool ok() const { return unencodable.isEmpty(); }
};

// Writes '\n' as the format's line break. Characters the encoding cannot hold are collected in
// `unencodable` (bytes is then not to be written), except U+FFFD when `replacementAsQuestionMark` is
// set: it stands for a byte that could not be read and is written as "?".
EncodedText encodeText(QStringView text, const TextFormat& format, bool replacementAsQuestionMark = false);

// CP932 conversions of short texts (no line-break handling, undecodable bytes become U+FFFD).
QString decodeCp932(QByteArrayView bytes);
QByteArray encodeCp932(QStringView text);

} // namespace text
