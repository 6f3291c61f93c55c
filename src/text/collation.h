#pragma once
// Sorted lists as a Japanese user expects them (the Japanese locale's collation); duplicates kept.
#include <QStringList>

namespace text {

void sortJapanese(QStringList& list);

} // namespace text
