#pragma once
// The list of the five most recently used files and how a file moves to its front.
#include <QString>
#include <array>

namespace settings {

// Entries 1 to 5 at indexes 0 to 4, entry 1 the most recent; an empty string is no entry.
using RecentFileList = std::array<QString, 5>;

// The list with `current` moved to the front. Entries are compared as exact strings (letter case
// counts), from entry 1 on, so the first of two equal entries is the one that moves. An empty `current`
// or entry 1 leaves the list as it was; a file not in the list pushes entry 5 off the end.
RecentFileList movedToFront(const RecentFileList& list, const QString& current);

// The caption of recent-file item k (1 to 5): "&k" followed by the entry, with no separator. An "&" of
// the entry is doubled so that the menu shows it instead of taking it as a mnemonic; the digit stays
// the item's accelerator.
QString recentItemCaption(int k, const QString& entry);

} // namespace settings
