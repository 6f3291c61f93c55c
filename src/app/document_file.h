#pragma once
// Reading a document file into the editor's text and writing it back in the layout it came with.
#include "text/encoding.h"

#include <QString>
#include <QStringList>

namespace app {

// How the open document's file is laid out; a new document is CP932 with CR LF.
struct DocumentFormat {
    text::TextFormat text;
    int undecodableBytes = 0; // bytes valid in neither encoding when it was opened (now U+FFFD)
};

struct LoadedDocument {
    QString text;
    DocumentFormat format;
    // Line ends the editor cannot keep as they were: a CR alone, an LF alone in a CR LF file, and the
    // characters the editor itself takes for line breaks. Saving writes them in the file's style.
    int rewrittenLineEnds = 0;
    // Characters written in both of their CP932 byte forms; saving writes them in one.
    int rewrittenCharacters = 0;
};

// Throws ui::Failure "ファイル %s は開けません".
LoadedDocument loadDocumentFile(const QString& path);
// What an open tells the user before anything is lost: undecodable bytes and line ends that saving
// will write differently. Empty when the file comes back byte for byte.
QString openWarning(const QString& path, const LoadedDocument& document);

// The bytes of the text in the document's format, or the characters the format cannot hold.
text::EncodedText encodeDocument(QStringView text, const DocumentFormat& format);
// The question asked when the document holds characters its encoding cannot hold.
QString unencodableQuestion(const QString& characters);
// The same layout in UTF-8 (line breaks kept, no byte-order mark).
DocumentFormat asUtf8(const DocumentFormat& format);

// The text that appends `lines` after the last line of a document: each line ends with a line break,
// and a last line that has none yet gets one first.
QString textToAppend(const QStringList& lines, bool lastLineUnended);

} // namespace app
