#include "document/entry_index.h"

#include "entry/entry_count.h"
#include "text/ascii.h"

#include <algorithm>

namespace document {

namespace {

// The label of a head line whose first key is `key`: the key, and the label as the line writes it where
// that differs from the key's (null otherwise, so that a label written in lower case costs nothing more).
HeadLabel headLabel(QStringView line, const QString& key) {
    const qsizetype at = text::indexOfAsciiCaseless(line, key);
    const QStringView written = line.sliced(at + 1, key.size() - 2);
    return {key, written == QStringView(key).sliced(1, key.size() - 2) ? QString() : written.toString()};
}

template <typename Map, typename Key> void adjust(Map& map, const Key& key, int sign) {
    if (sign > 0) {
        ++map[key];
        return;
    }
    const auto it = map.find(key);
    if (it != map.end() && --it.value() == 0) map.erase(it);
}

} // namespace

void EntryIndex::count(QStringView line, int sign) {
    // Every head and every key holds "{": most lines are passed over here.
    if (!line.contains(u'{')) return;
    const bool head = entry::isEntryHeadLine(line);
    const QStringList keys = entry::labelKeys(line);
    entryCount_ += head ? sign : 0;
    for (const QString& key : keys)
        adjust(labelKeys_, key, sign);
    if (head && !keys.isEmpty()) adjust(headLabels_, headLabel(line, keys.first()), sign);
}

void EntryIndex::countLines(QStringView lines, int sign) {
    // The keys are gathered first: a large text (a file opened) then fills the hash at its final size
    // and the map from its keys in order, each insertion at its end, instead of rehashing the one and
    // searching the other 150,000 times.
    QStringList keys;
    QList<HeadLabel> heads;
    // Only lines with "{" count: the scan leaps from one "{" to the next rather than from line to line.
    for (qsizetype brace = lines.indexOf(u'{'); brace >= 0;) {
        const qsizetype start = lines.lastIndexOf(u'\n', brace) + 1;
        qsizetype end = lines.indexOf(u'\n', brace);
        if (end < 0) end = lines.size();
        const QStringView line = lines.sliced(start, end - start);
        const QStringList lineKeys = entry::labelKeys(line);
        if (entry::isEntryHeadLine(line)) {
            entryCount_ += sign;
            if (!lineKeys.isEmpty()) heads.append(headLabel(line, lineKeys.first()));
        }
        keys.append(lineKeys);
        if (end == lines.size()) break;
        brace = lines.indexOf(u'{', end + 1);
    }
    if (sign > 0) labelKeys_.reserve(labelKeys_.size() + keys.size());
    for (const QString& key : keys)
        adjust(labelKeys_, key, sign);
    if (sign > 0 && headLabels_.isEmpty()) {
        std::sort(heads.begin(), heads.end());
        for (const HeadLabel& head : heads) {
            auto last = headLabels_.end();
            if (last != headLabels_.begin() && (--last).key() == head)
                ++last.value();
            else
                headLabels_.insert(headLabels_.cend(), head, 1);
        }
        return;
    }
    for (const HeadLabel& head : heads)
        adjust(headLabels_, head, sign);
}

} // namespace document
