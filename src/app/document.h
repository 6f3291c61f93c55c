#pragma once
// The one document: the text of the main window's editor, with what its file needs to get it back byte
// for byte (encoding, line ends) and what the other windows ask of it (entry count, label check).
#include "app/document_file.h"
#include "text/search.h"

#include <QString>
#include <QStringList>

class QPlainTextEdit;

namespace app {

class DocumentIndex;

class Document {
public:
    explicit Document(QPlainTextEdit* editor);

    // Lines separated by '\n'.
    QString text() const;
    bool isEmpty() const;
    bool isModified() const;
    void setModified(bool modified);
    const DocumentFormat& format() const { return format_; }
    void setFormat(DocumentFormat format) { format_ = std::move(format); }

    // Replaces the text with a file's, as one change; the undo history starts afresh. Raises no text
    // change of its own: the caller runs the text-change handling once.
    void load(LoadedDocument loaded);
    // Empties the document; it becomes a new CP932 document with CR LF.
    void clear();
    // The bytes of the text, every line with its own line end, in `format` (the document's own, or another
    // the user chose).
    text::EncodedText encode(const DocumentFormat& format) const;

    // Appends the lines after the last line, as one change (one undo step).
    void appendLines(const QStringList& lines);
    // Makes sorted, non-overlapping edits of the current text as one change (one undo step, one text
    // change), without setting the whole text, so every line keeps what the index knows of it.
    void applyEdits(const QList<text::TextEdit>& edits);
    int entryCount() const;
    // Whether "{" + label + "," occurs anywhere in the text, A-Z and a-z alike.
    bool labelInUse(const QString& label) const;

private:
    void replaceText(const QString& text, const text::LineEnds& lineEnds);

    QPlainTextEdit* editor_;
    DocumentIndex* index_;
    DocumentFormat format_;
};

} // namespace app
