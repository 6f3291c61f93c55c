#pragma once
// The completion of 文献へ移動: the labels of the document that hold what was typed, those that begin with it
// first, each group in order, A-Z and a-z alike (as the label check compares labels), each shown as written.
#include <QMap>
#include <QString>
#include <QStringList>

namespace document {

// An entry head's label as the index keeps it: its key ("{" + label + "," with A-Z lower-cased), which
// orders and matches labels without regard to case, and the label as the head writes it.
struct HeadLabel {
    QString key;
    // Null where the label is written as its key has it (most labels): nothing is kept twice.
    QString written;

    // The label as written.
    QString shown() const { return written.isNull() ? key.sliced(1, key.size() - 2) : written; }
    // By key first, so that the labels beginning with a text are one stretch of an ordered map.
    friend bool operator<(const HeadLabel& a, const HeadLabel& b) {
        const int byKey = QString::compare(a.key, b.key);
        return byKey != 0 ? byKey < 0 : a.written < b.written;
    }
    friend bool operator==(const HeadLabel&, const HeadLabel&) = default;
};

// The label of every head line -> the number of heads that write it so.
using HeadLabels = QMap<HeadLabel, int>;

// `labels` as the index keeps them, in order. At most `most` labels: those beginning with the text are one
// stretch of the keys; the others are looked for in order until enough are found.
QStringList labelMatches(const HeadLabels& labels, const QString& typed, int most);

} // namespace document
