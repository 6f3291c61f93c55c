#pragma once
// Sorted lists as a Japanese user expects them (the Japanese locale's collation); duplicates kept.
#include <QStringList>

namespace text {

void sortJapanese(QStringList& list);
// The index at which `item` keeps `sortedList` sorted (after any equal items).
qsizetype sortedInsertPosition(const QStringList& sortedList, const QString& item);

} // namespace text
