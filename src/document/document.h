#pragma once
// The one document: a text document (QTextDocument) with what its file needs to get it back byte for byte
// (encoding, line ends) and what the other windows ask of it (entry count, label check). It knows no view:
// it says when its text document is replaced, when it replaces the text itself and when a line too long
// for word wrapping appears; the window's editor follows (view::followDocument).
#include "document/document_file.h"
#include "document/label_matches.h"
#include "text/search.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTextBlock;
class QTextDocument;

namespace document {

class DocumentIndex;

// How a load that takes several turns of the event loop shows itself: from the first lines on the
// screen to the last (or to its cancellation). The view keeps its own state through it: read-only while
// the load runs, and the place the user was at in the previous text put back on a cancel.
class LoadFeedback {
public:
    virtual ~LoadFeedback() = default;
    // Before the text document is replaced; `total` characters (0: not known yet).
    virtual void loadStarted(qsizetype total) = 0;
    // The first piece is in the new text document: its start is to be seen at once.
    virtual void loadShowsFirstPiece() = 0;
    virtual void loadProgress(qsizetype done) = 0;
    // The previous text document is back (textDocumentReplaced said so first), at once, so that
    // whatever runs next (a close request) finds it as the user left it.
    virtual void loadCancelled() = 0;
    virtual void loadFinished() = 0;
};

// A text document's raw text (QTextDocument::toRawText(), U+2029 between lines) with '\n' between lines.
QString linesOfRawText(QString rawText);

// The caption of a document at `path`, as the main window shows it and a recovery record keeps it: the
// full path, or the untitled name for a document with no file.
QString captionOfPath(const QString& path);
// The path a caption stands for: none for the untitled name.
QString pathOfCaption(const QString& caption);

class Document : public QObject {
    Q_OBJECT
public:
    // The text document lives on the heap: a load in pieces puts a new one of its own making in its place
    // (a child of the same parent, or of the Document when it has none) and deletes the one it replaced.
    explicit Document(QTextDocument* textDocument);

    // The current text document; textDocumentReplaced says when another takes its place.
    QTextDocument* textDocument() const { return textDocument_; }
    // Whether the text has a line longer than DocumentIndex::kLongLine: as it was loaded, or since a
    // change made one (word wrapping such a line would cost seconds a keystroke).
    bool hasLongLine() const { return longLine_; }

    // The file the document was last read from or written to; empty for a document that has none yet.
    const QString& path() const { return path_; }
    void setPath(const QString& path);

    // Lines separated by '\n'.
    QString text() const;
    // What writing the text takes from the text document, in its thread: its raw text (linesOfRawText
    // makes the lines of it) and each line's own line end. The rest can be done in another thread.
    struct Snapshot {
        QString rawText;
        text::LineEnds lineEnds;
    };
    Snapshot snapshot() const;
    bool isEmpty() const;
    bool isModified() const;
    void setModified(bool modified);
    const DocumentFormat& format() const { return format_; }
    void setFormat(DocumentFormat format) { format_ = std::move(format); }

    // Replaces the text with a file's, as one change; the undo history starts afresh (wholeTextReplaced).
    // A text of up to kLoadAtOnce characters goes in at once. A longer one goes in piece by piece, a piece
    // per turn of the event loop, into a new text document (textDocumentReplaced) that shows from its
    // first piece on while `feedback` shows how far it got; the call returns when the last piece is in.
    // Returns false when cancelLoad() ended the load: the previous text document, undo history and all,
    // is then back as it was. Raises no text change of its own (replacingText): the caller runs the
    // text-change handling.
    bool load(LoadedDocument loaded, LoadFeedback* feedback = nullptr);
    bool isLoading() const { return loading_ != nullptr; }
    // Ends a load in pieces at once, putting the previous document back; nothing without one.
    void cancelLoad();

    // Texts up to this many characters load at once: about 60 ms for setting the text, measured on the
    // benchmark document (0.13 s a megabyte), within the first screen's 0.1 s.
    static constexpr qsizetype kLoadAtOnce = 512 * 1024;
    // A piece of a longer text: a turn of the event loop stays within a few tens of milliseconds. The first
    // piece only fills the first screen, so that it shows within 0.1 s of the read.
    static constexpr qsizetype kPieceSize = 256 * 1024;
    static constexpr qsizetype kFirstPieceSize = 16 * 1024;
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
    // text::findNext on text(). The text is read once for as long as it stays unchanged, so Find Next
    // pressed again costs only the text it passes over.
    qsizetype findNext(QStringView needle, qsizetype from) const;
    int entryCount() const;
    // Whether "{" + label + "," occurs anywhere in the text, A-Z and a-z alike.
    bool labelInUse(const QString& label) const;
    // The labels of the entry heads, each with its label key ("{" + label + "," with A-Z lower-cased) and
    // as written, in the order of the keys; the index's own, kept up to date with every change.
    const HeadLabels& headLabels() const;
    // The first head line of the entry with this label, A-Z and a-z alike: the index's, else the first
    // line of the entry entry::entryOfLabel finds in the text; invalid when there is none.
    QTextBlock entryHead(const QString& label) const;
    static bool isEntryHead(const QTextBlock& line);

Q_SIGNALS:
    void pathChanged(const QString& path);
    // Another text document holds the text: a load in pieces made a new one, or its cancel put the
    // previous one back.
    void textDocumentReplaced(QTextDocument* textDocument);
    void longLineChanged(bool hasLongLine);
    // From true to false around each change the document makes itself (a whole text, a piece of a load):
    // no edit, so whoever follows the text's changes holds back meanwhile.
    void replacingText(bool underway);
    // The whole text is new (a load, a clear): a view shows it from its start.
    void wholeTextReplaced();

private:
    struct Loading;
    DocumentIndex* attach(QTextDocument* textDocument);
    void setLongLine(bool longLine);
    void replaceText(const QString& text, const text::LineEnds& lineEnds);
    bool loadInPieces(LoadedDocument& loaded, LoadFeedback* feedback, bool longLine);

    QTextDocument* textDocument_;
    DocumentIndex* index_;
    bool longLine_ = false;
    bool clearingModified_ = false; // setModified(false) at work, not Qt's undo
    DocumentFormat format_;
    Loading* loading_ = nullptr; // while a load in pieces runs
    QString path_;
};

} // namespace document
