#include "document/label_matches.h"

#include "text/ascii.h"

namespace document {

namespace {

QStringView labelOf(const QString& key) {
    return QStringView(key).sliced(1, key.size() - 2); // without "{" and ","
}

} // namespace

QStringList labelMatches(const HeadLabels& labels, const QString& typed, int most) {
    const QString wanted = text::asciiLower(typed);
    QStringList shown;
    if (wanted.isEmpty()) return shown;
    const QString prefix = u'{' + wanted;
    for (auto it = labels.lowerBound(HeadLabel{prefix, {}}); it != labels.cend() && shown.size() < most;
         ++it) {
        if (!it.key().key.startsWith(prefix)) break;
        shown.append(it.key().shown());
    }
    for (auto it = labels.cbegin(); it != labels.cend() && shown.size() < most; ++it) {
        const QStringView label = labelOf(it.key().key);
        if (!label.startsWith(wanted) && label.contains(wanted)) shown.append(it.key().shown());
    }
    return shown;
}

} // namespace document
