#pragma once
// The entry count, the label keys and the heads' labels of a whole text, kept as totals over its lines
// and nothing per line: a change takes out what its lines held before and adds what they hold after,
// each line read with the rules every other counter uses (entry::isEntryHeadLine, entry::labelKeys).
#include "document/label_matches.h"

#include <QString>
#include <QStringView>

namespace document {

class EntryIndex {
public:
    // A line's text counted in, or out (its text as it was when it was counted in).
    void addLine(QStringView line) { count(line, 1); }
    void removeLine(QStringView line) { count(line, -1); }
    // Every line of `lines` ('\n' between them).
    void addLines(QStringView lines) { countLines(lines, 1); }
    void removeLines(QStringView lines) { countLines(lines, -1); }
    void clear() { *this = {}; }

    int entryCount() const { return entryCount_; }
    // Whether some line holds this label key (entry::labelKey): "{" + label + "," with A-Z lower-cased.
    bool hasLabelKey(QStringView key) const { return labels_.hasKey(key); }
    // The keys, and the label of every head line (its first label key, and the label as the line writes
    // it) with the number of heads that write it so; in the order of the keys, so that the labels
    // beginning with a text are one stretch of it.
    const HeadLabels& headLabels() const { return labels_; }
    // The number of distinct label keys.
    qsizetype keyCount() const { return labels_.keyCount(); }

private:
    void count(QStringView line, int sign);
    void countLines(QStringView lines, int sign);

    int entryCount_ = 0;
    HeadLabels labels_; // each key once, with the lines holding it and the heads writing it
};

} // namespace document
