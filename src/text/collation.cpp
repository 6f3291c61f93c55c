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

} // namespace text
