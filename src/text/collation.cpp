#include "text/collation.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace text {

static const QCollator& japaneseCollator() {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

void sortJapanese(QStringList& list) {
    const QCollator& c = japaneseCollator();
    std::stable_sort(list.begin(), list.end(),
                     [&c](const QString& a, const QString& b) { return c.compare(a, b) < 0; });
}

qsizetype sortedInsertPosition(const QStringList& sortedList, const QString& item) {
    const QCollator& c = japaneseCollator();
    const auto it =
        std::upper_bound(sortedList.begin(), sortedList.end(), item,
                         [&c](const QString& a, const QString& b) { return c.compare(a, b) < 0; });
    return it - sortedList.begin();
}

} // namespace text
