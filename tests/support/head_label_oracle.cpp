#include "support/head_label_oracle.h"

#include "entry/entry_count.h"

namespace oracle {

QStringList headLabelsAsWritten(const QString& text) {
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
