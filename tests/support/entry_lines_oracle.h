#pragma once
// Where the entries of a text are, as the caret's band, 文献の修正 and the command line find them: per text,
// its entries in order, each from the line of its "@" (and that "@"'s column) to its last line. A line
// stands in the first of them that holds it. Written by hand, read by the rule's tests on text lines (with
// and without the states of a reading from the top) and by the window's, on the band and the command.
#include <QList>
#include <QString>

namespace oracle {

struct PlacedEntry {
    int first;
    int last;
    int column;
};

struct EntryPlaces {
    const char* name;
    QString text; // '\n' between lines
    QList<PlacedEntry> entries;

    int lineCount() const;
    // The entry line `line` stands in: the first that holds it; nullptr for none.
    const PlacedEntry* around(int line) const;
};

const QList<EntryPlaces>& entryPlaces();

} // namespace oracle
