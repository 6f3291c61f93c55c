#include "document/entry_index.h"

#include "entry/entry_count.h"
#include "text/ascii.h"

#include <deque>

namespace document {

namespace {

// The label of a head line whose first key is `key` as the line writes it ("{" + label + ","), or null
// where it is written as the key has it, so that a label written in lower case costs nothing more.
QString writtenForm(QStringView line, const QString& key) {
    const QStringView written = line.sliced(text::indexOfAsciiCaseless(line, key), key.size());
    return written == key ? QString() : written.toString();
}

// Calls `onLine(line)` for each line of `lines` holding "{" (every head and every key holds one): the scan
// leaps from one "{" to the next rather than from line to line.
template <typename F> void forEachBraceLine(QStringView lines, F onLine) {
    for (qsizetype brace = lines.indexOf(u'{'); brace >= 0;) {
        const qsizetype start = lines.lastIndexOf(u'\n', brace) + 1;
        qsizetype end = lines.indexOf(u'\n', brace);
        if (end < 0) end = lines.size();
        onLine(lines.sliced(start, end - start));
        if (end == lines.size()) break;
        brace = lines.indexOf(u'{', end + 1);
    }
}

} // namespace

void EntryIndex::count(QStringView line, int sign) {
    if (!line.contains(u'{')) return;
    const bool head = entry::isEntryHeadLine(line);
    const QStringList keys = entry::labelKeys(line);
    entryCount_ += head ? sign : 0;
    const QString written = head && !keys.isEmpty() ? writtenForm(line, keys.first()) : QString();
    for (qsizetype k = 0; k < keys.size(); ++k)
        labels_.addToKey(keys[k], sign, k == 0 && head && written.isNull() ? sign : 0);
    if (!written.isNull()) labels_.addToWritten(written, sign);
}

void EntryIndex::countLines(QStringView lines, int sign) {
    if (sign < 0 || !labels_.isEmpty()) {
        forEachBraceLine(lines, [&](QStringView line) { count(line, sign); });
        return;
    }
    // A whole text (a file opened) is counted into items that are then sorted once, rather than inserted
    // one by one. The items hold the keys' strings, which the index then keeps: nothing else is gathered,
    // and no string is made twice.
    std::deque<LabelItem> items;
    forEachBraceLine(lines, [&](QStringView line) {
        const bool head = entry::isEntryHeadLine(line);
        const QStringList keys = entry::labelKeys(line);
        entryCount_ += head ? 1 : 0;
        const QString written = head && !keys.isEmpty() ? writtenForm(line, keys.first()) : QString();
        for (qsizetype k = 0; k < keys.size(); ++k)
            items.push_back({keys[k], 1, k == 0 && head && written.isNull() ? 1 : 0});
        if (!written.isNull()) items.push_back({written, -1, 1});
    });
    labels_.adopt(std::move(items));
}

} // namespace document
