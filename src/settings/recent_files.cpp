#include "settings/recent_files.h"

#include <algorithm>

namespace settings {

RecentFileList movedToFront(const RecentFileList& list, const QString& current) {
    if (current.isEmpty()) return list;
    // A file not in the list takes the place of entry 5, which drops off.
    const auto found = std::find(list.begin(), list.end(), current);
    const auto from = found == list.end() ? list.size() - 1 : std::size_t(found - list.begin());
    RecentFileList moved = list;
    std::rotate(moved.begin(), moved.begin() + from, moved.begin() + from + 1);
    moved.front() = current;
    return moved;
}

QString recentItemCaption(int k, const QString& entry) {
    QString escaped = entry;
    escaped.replace(u'&', QStringLiteral("&&"));
    return u'&' + QString::number(k) + escaped;
}

} // namespace settings
