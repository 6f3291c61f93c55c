#pragma once
// The labels of a document as its index keeps them, and the completion of 文献へ移動: the labels that hold
// what was typed, those that begin with it first, each group in order, A-Z and a-z alike (as the label
// check compares labels), each shown as written.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <deque>
#include <vector>

namespace document {

// An entry head's label: its key ("{" + label + "," with A-Z lower-cased), which orders and matches labels
// without regard to case, and the label as the head writes it.
struct HeadLabel {
    QString key;
    // Null where the label is written as its key has it (most labels).
    QString written;

    // The label as written.
    QString shown() const { return written.isNull() ? key.sliced(1, key.size() - 2) : written; }
    friend bool operator<(const HeadLabel& a, const HeadLabel& b) {
        const int byKey = QString::compare(a.key, b.key);
        return byKey != 0 ? byKey < 0 : a.written < b.written;
    }
    friend bool operator==(const HeadLabel&, const HeadLabel&) = default;
};

// One item of the labels: a label key with the lines that hold it, or a way heads write a label otherwise
// than its key has it. One string each: a key held by 150,000 lines costs as much as one held by one.
struct LabelItem {
    // A key; for a written form, "{" + the label as written + ",".
    QString text;
    // The occurrences of the key in the lines, each line counting each of its keys; -1 marks a written form.
    qint32 keyLines = 0;
    // The head lines whose first key this is and that write their label so.
    qint32 heads = 0;

    bool isWritten() const { return keyLines < 0; }
    // The label without "{" and ",".
    QStringView label() const { return QStringView(text).sliced(1, text.size() - 2); }
};

// Every label key of the text and the label of every head line, in the order of the keys (A-Z and a-z
// alike; a key before the forms written otherwise, these in their own order), so that the labels
// beginning with a text are one stretch. Kept in chunks of a few hundred items: a key added or taken out
// moves the items of one chunk, never all of them.
class HeadLabels {
public:
    // Over the labels of the head lines (the items some head writes), in order.
    class const_iterator {
    public:
        const LabelItem& item() const { return (*chunks_)[chunk_][index_]; }
        const LabelItem* operator->() const { return &item(); }
        // The label as the heads write it, and the number of heads that write it so.
        HeadLabel key() const;
        int value() const { return item().heads; }
        const_iterator& operator++();
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.chunk_ == b.chunk_ && a.index_ == b.index_;
        }

    private:
        friend class HeadLabels;
        const_iterator(const std::vector<std::vector<LabelItem>>* chunks, size_t chunk, size_t index);
        // Moves on from where it stands to the first item with heads.
        void settle();

        const std::vector<std::vector<LabelItem>>* chunks_;
        size_t chunk_;
        size_t index_;
    };

    const_iterator begin() const { return {&chunks_, 0, 0}; }
    const_iterator end() const { return {&chunks_, chunks_.size(), 0}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    // The first head label whose key is not before `key` (a key or the start of one).
    const_iterator lowerBound(QStringView key) const;

    // Whether some line holds `key`, and whether some head's first key is it.
    bool hasKey(QStringView key) const;
    bool hasHead(QStringView key) const;
    qsizetype keyCount() const { return keys_; }
    bool isEmpty() const { return chunks_.empty(); }

    // Counts added to the key `key` (and `heads` to the heads writing it so), or to its written form
    // `written`
    // ("{" + label as written + ","); an item left with nothing goes. `key` is kept as it is given, so
    // that a string made for the key is the index's one copy of it.
    void addToKey(const QString& key, int keyLines, int heads);
    void addToWritten(const QString& written, int heads);
    // Items of a text counted at once (each a key or a written form, in any order, duplicates summed) in
    // place of the index's: they are sorted and cut into chunks, not inserted one by one. A deque grows
    // without moving what it holds and gives back its blocks as the chunks take them, so that the items
    // are never held twice over.
    void adopt(std::deque<LabelItem> items);

private:
    struct Place {
        size_t chunk;
        size_t index;
    };
    // Where the item for `text` is, or would go.
    Place place(QStringView text, bool written) const;
    bool holds(Place p, QStringView text, bool written) const;
    void add(const QString& text, bool written, int keyLines, int heads);

    std::vector<std::vector<LabelItem>> chunks_; // none empty
    qsizetype keys_ = 0;
};

// `labels` as the index keeps them, in order. At most `most` labels: those beginning with the text are one
// stretch of the keys; the others are looked for in order until enough are found.
QStringList labelMatches(const HeadLabels& labels, const QString& typed, int most);

} // namespace document
