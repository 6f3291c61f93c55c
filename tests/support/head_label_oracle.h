#pragma once
// The labels of a text's entry heads as written, from scratch: for every head line (entry::isEntryHeadLine)
// that has one, what stands between its first "{" and the first "," after it, in the order of the lines.
// In the header alone, so that the fuzz targets share it without the test support library.
#include "entry/entry_count.h"

#include <QString>
#include <QStringList>

namespace oracle {

inline QStringList headLabelsAsWritten(const QString& text) {
    QStringList labels;
    for (const QString& line : text.split(u'\n')) {
        if (!entry::isEntryHeadLine(line)) continue;
        const qsizetype open = line.indexOf(u'{');
        const qsizetype comma = line.indexOf(u',', open + 1);
        if (comma >= 0) labels.append(line.mid(open + 1, comma - open - 1));
    }
    return labels;
}

} // namespace oracle
