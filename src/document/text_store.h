#pragma once
// The text as the editor keeps it: its characters in a gap buffer with '\n' as the only line separator,
// the line table (each line's start, reading state, own line end and rows), the entry index and the
// anchors. Every change goes through replace(), which keeps all of them in step, so none can fall behind
// the text. Whole-text rules (search, the count, the check, encoding) read text(), a view without a copy.
#include "document/entry_index.h"
#include "document/gap_buffer.h"
#include "document/line_table.h"

#include <span>
#include <vector>

namespace document {

class AnchorSet;

// What one replace() did: what the edit history needs to take it back exactly and make it again, and
// which lines a view has to lay out afresh.
struct Replacement {
    qsizetype from = 0;
    QString removed;                      // the characters taken out ('\n' between lines)
    std::vector<LineEnding> removedEnds;  // the ends of the lines whose breaks were taken out, in order
    QString inserted;                     // the characters put in, '\n' the only line break
    std::vector<LineEnding> insertedEnds; // how each line break put in ends
    qsizetype firstLine = 0;              // the line the change began in
    qsizetype linesRemoved() const { return qsizetype(removedEnds.size()); }
    qsizetype linesAdded() const { return qsizetype(insertedEnds.size()); }
};

// Told of every change of a store after it is made, whoever made it (an edit, an undo, a command): a view
// lays the lines out again and repaints.
class TextObserver {
public:
    virtual void textReplaced(const Replacement& replacement) = 0;
    // The store is going away; it tells nothing more.
    virtual void textStoreDestroyed() = 0;

protected:
    ~TextObserver() = default;
};

class TextStore {
public:
    explicit TextStore(int chunkLines = LineTable::kChunkLines);
    // A decoded text ('\n' between lines, `lineEnds` the lines that end otherwise than the usual way),
    // whose storage becomes the store's own: opening a file makes no second copy of its text.
    explicit TextStore(QString text, const text::LineEnds& lineEnds = {},
                       int chunkLines = LineTable::kChunkLines);
    ~TextStore();
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    qsizetype size() const { return buffer_.size(); }
    bool isEmpty() const { return size() == 0; }
    // The whole text in one piece (the gap moves to the end for it), valid until the next change or the
    // next view taken. Views move the gap, so the store is not to be read from two threads at once.
    QStringView text() const { return buffer_.view(); }
    QString toString() const { return buffer_.toString(); }
    QString mid(qsizetype from, qsizetype length) const { return buffer_.mid(from, length); }
    char16_t at(qsizetype position) const { return buffer_.at(position); }

    qsizetype lineCount() const { return table_.lineCount(); }
    qsizetype lineStart(qsizetype line) const { return table_.lineStart(line); }
    qsizetype lineLength(qsizetype line) const { return table_.lineLength(line); }
    qsizetype lineAt(qsizetype position) const { return table_.lineAt(position); }
    LineEnding lineEnd(qsizetype line) const { return table_.lineEnd(line); }
    text::LineEnds lineEnds() const { return table_.lineEnds(); }
    // One line without its break, valid until the next change or the next view taken.
    QStringView line(qsizetype line) const { return buffer_.view(lineStart(line), lineLength(line)); }
    // The reading states and rows of the lines.
    LineTable& lines() { return table_; }
    const LineTable& lines() const { return table_; }

    const EntryIndex& index() const { return index_; }
    int entryCount() const { return index_.entryCount(); }
    bool isHeadLine(qsizetype line) const;
    // The first head line whose label key (entry::labelKey) is `key`; -1 when there is none.
    qsizetype headLineOf(const QString& key) const;

    // Replaces [from, from + length) with `text`. Each line break in `text` (CR LF, CR, LF, U+2029, U+FDD0
    // or U+FDD1, as the editor takes them in) becomes '\n' and ends as `ends` says, one for each in order;
    // a break `ends` says nothing of ends as the line it was made in did (a line added takes the line end
    // of the line it was split from). The line left where breaks were taken out ends as the last line
    // taken into it did, since that line's break is the one still there.
    Replacement replace(qsizetype from, qsizetype length, QStringView text,
                        std::span<const LineEnding> ends = {});

    void addObserver(TextObserver* observer) { observers_.push_back(observer); }
    void removeObserver(TextObserver* observer) { std::erase(observers_, observer); }

    // The characters (gap included) and the line table; the index's keys are not counted.
    qsizetype memoryBytes() const { return buffer_.memoryBytes() + table_.memoryBytes(); }

private:
    friend class AnchorSet;

    GapBuffer buffer_;
    LineTable table_;
    EntryIndex index_;
    std::vector<AnchorSet*> anchors_;
    std::vector<TextObserver*> observers_;
};

} // namespace document
