#pragma once
// Reading a document file into the editor's text and writing it back in the layout it came with.
#include "text/encoding.h"
#include "text/search.h"

#include <QString>
#include <QStringList>

namespace document {

// How the open document's file is laid out; a new document is CP932 with CR LF.
struct DocumentFormat {
    text::TextFormat text;
};

struct LoadedDocument {
    QString text;
    DocumentFormat format;
    text::LineEnds lineEnds;  // the lines that end otherwise than the file's usual line end
    int undecodableBytes = 0; // bytes that are no character (now stand-ins, which saving writes back)
    // Characters written in both of their CP932 byte forms; saving writes them in one.
    int rewrittenCharacters = 0;
    // EUC-JP, ISO-2022-JP: saving unedited would not give back the same bytes.
    bool reencodingDiffers = false;
};

// The file on disk as the document last read or wrote it: another program that writes the file changes
// its size or its modification time.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStamp(const QString& path);

// Throws base::Failure "ファイル %s は開けません".
LoadedDocument loadDocumentFile(const QString& path);
// The document a file's bytes hold.
LoadedDocument decodeDocument(QByteArrayView bytes);
// What an open tells the user: bytes that are no character, characters that saving will write in their
// other byte form, bytes that saving writes otherwise. Empty when the file comes back byte for byte.
QString openWarning(const QString& path, const LoadedDocument& document);

// The bytes of the text in the document's format, or the characters the format cannot hold.
text::EncodedText encodeDocument(QStringView text, const DocumentFormat& format,
                                 const text::LineEnds& lineEnds = {});
// The question asked when the document holds characters its encoding cannot hold.
QString unencodableQuestion(const QString& characters, text::Encoding encoding);
// The same layout in UTF-8 (line breaks kept, no byte-order mark).
DocumentFormat asUtf8(const DocumentFormat& format);

// The text that appends `lines` after the last line of a document: each line ends with a line break,
// and a last line that has none yet gets one first.
QString textToAppend(const QStringList& lines, bool lastLineUnended);

// A file with lines appended, as the editor's append and save give it for a file that comes back byte for
// byte: its bytes unchanged, then the lines in its encoding and usual line break. When its encoding cannot
// hold them, `orUtf8` writes the whole file in UTF-8 (as the editor's save offers); without it `bytes` is
// not ok and names the characters.
struct AppendedFile {
    text::EncodedText bytes;
    QString text; // the document's text after the append
};
// `bytes` is the file as it is (empty for a new document), `document` what decodeDocument made of them.
AppendedFile appendToFile(const QByteArray& bytes, const LoadedDocument& document, const QStringList& lines,
                          bool orUtf8);

// A file with edits of its text (sorted, apart from each other), as the editor's edit and save give it: the
// lines before the first edited line and after the last keep their bytes (where the file's encoding gives
// them back as they are), the edited lines are written in the file's encoding and line ends. A line an
// edit makes ends as the line it was split from; where an edit joins lines, the line keeps the end of the
// last. When the encoding cannot hold the new text, `orUtf8` writes the whole file in UTF-8; without it
// `bytes` is not ok and names the characters.
struct EditedFile {
    text::EncodedText bytes;
    QString text; // the document's text after the edits
};
EditedFile editFile(const QByteArray& bytes, const LoadedDocument& document,
                    const QList<text::TextEdit>& edits, bool orUtf8);
// The line ends of `text` (lineEnds: those that differ from the usual one) once `edits` are made.
text::LineEnds editedLineEnds(QStringView text, const text::LineEnds& lineEnds,
                              const QList<text::TextEdit>& edits);

} // namespace document
