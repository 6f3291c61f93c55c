#pragma once
// The one document: its text store and edit history, with what its file needs to get it back byte for byte
// (encoding, line ends) and what the other windows ask of it (entry count, label check). It knows no view:
// it says when a load or a clear puts a new store in place and when a line too long for word wrapping
// appears; the window's view follows.
#include "document/document_file.h"
#include "document/edit_history.h"
#include "document/label_matches.h"
#include "document/text_store.h"
#include "text/search.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace document {

// How a load that takes a while shows itself (a large file read and made ready in a thread of its own):
// from its start to its end or its cancellation. The view is read-only meanwhile.
class LoadFeedback {
public:
    virtual ~LoadFeedback() = default;
    // `total` bytes or characters (0: not known yet).
    virtual void loadStarted(qsizetype total) = 0;
    virtual void loadProgress(qsizetype done) = 0;
    virtual void loadCancelled() = 0;
    virtual void loadFinished() = 0;
};

// The caption of a document at `path`, as the main window shows it and a recovery record keeps it: the
// full path, or the untitled name for a document with no file.
QString captionOfPath(const QString& path);
// The path a caption stands for: none for the untitled name.
QString pathOfCaption(const QString& caption);

// Whether a line this long makes the view wrap anywhere rather than at word boundaries (word wrapping such
// a line would cost seconds a keystroke).
constexpr qsizetype kLongLine = 100'000;

// A file's text made ready to be shown: its store built (line table, entry index) from the decoded text,
// whose storage it takes over. Made in any thread (a large file's in the reading thread); the document
// adopts it at once.
struct PreparedDocument {
    std::unique_ptr<TextStore> store;
    DocumentFormat format;
    bool longLine = false; // a line of kLongLine characters or more
};
PreparedDocument prepareDocument(LoadedDocument loaded);

class Document : public QObject {
    Q_OBJECT
public:
    // An empty, unmodified CP932 document with CR LF.
    Document();
    ~Document() override;

    // The current store and its history; storeReplaced says when others take their place.
    TextStore& store() const { return *store_; }
    EditHistory& history() const { return *history_; }
    // Whether the text has a line of kLongLine characters or more: as it was loaded, or since a change
    // made one.
    bool hasLongLine() const { return longLine_; }

    // The file the document was last read from or written to; empty for a document that has none yet.
    const QString& path() const { return path_; }
    void setPath(const QString& path);

    // Lines separated by '\n' (a copy: whole-text rules read store().text() instead).
    QString text() const;
    // What writing the text takes from the document, in its thread; the rest can be done in another.
    struct Snapshot {
        QString text; // '\n' between lines
        text::LineEnds lineEnds;
    };
    Snapshot snapshot() const;
    bool isEmpty() const;
    // Any change of the text sets it, an undo back to the text as saved included; load, clear and a save
    // (setModified(false)) clear it.
    bool isModified() const { return modified_; }
    void setModified(bool modified);
    const DocumentFormat& format() const { return format_; }
    void setFormat(DocumentFormat format) { format_ = std::move(format); }

    // Replaces the text with a file's: a new store and an empty history (storeReplaced), unmodified.
    void load(PreparedDocument prepared);
    void load(LoadedDocument loaded) { load(prepareDocument(std::move(loaded))); }
    // Empties the document; it becomes a new CP932 document with CR LF.
    void clear();
    // The bytes of the text, every line with its own line end, in `format` (the document's own, or another
    // the user chose).
    text::EncodedText encode(const DocumentFormat& format) const;

    // Appends the lines after the last line, as one step of the history.
    void appendLines(const QStringList& lines);
    // Makes sorted, non-overlapping edits of the current text as one step of the history; an undo of it
    // leaves the caret where the first edit begins.
    void applyEdits(const QList<text::TextEdit>& edits);
    // text::findNext on the text, read in place.
    qsizetype findNext(QStringView needle, qsizetype from) const;
    int entryCount() const { return store_->entryCount(); }
    // Whether "{" + label + "," occurs anywhere in the text, A-Z and a-z alike.
    bool labelInUse(const QString& label) const;
    // The labels of the entry heads, each with its label key ("{" + label + "," with A-Z lower-cased) and
    // as written, in the order of the keys; the index's own, kept up to date with every change.
    const HeadLabels& headLabels() const;
    // The first head line of the entry with this label, A-Z and a-z alike: the index's, else the first
    // line of the entry entry::entryOfLabel finds in the text; -1 when there is none.
    qsizetype entryHead(const QString& label) const;
    bool isEntryHead(qsizetype line) const { return store_->isHeadLine(line); }

Q_SIGNALS:
    void pathChanged(const QString& path);
    // A load or a clear put a new store and history in place (the previous ones go once this returns):
    // a view shows the new text from its start.
    void storeReplaced();
    void longLineChanged(bool hasLongLine);
    void modificationChanged(bool modified);

private:
    class Watch; // follows the store's changes: the modified flag, long lines
    void adopt(std::unique_ptr<TextStore> store, bool longLine);
    void setLongLine(bool longLine);

    std::unique_ptr<TextStore> store_;
    std::unique_ptr<EditHistory> history_;
    std::unique_ptr<Watch> watch_;
    bool longLine_ = false;
    bool modified_ = false;
    DocumentFormat format_;
    QString path_;
};

} // namespace document
