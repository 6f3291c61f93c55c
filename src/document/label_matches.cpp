#include "document/label_matches.h"

#include "text/ascii.h"

namespace document {

namespace {

QStringView labelOf(const QString& key) {
    return QStringView(key).sliced(1, key.size() - 2); // without "{" and ","
}

} // namespace

QStringList labelMatches(const QMap<QString, int>& labelKeys, const QString& typed, int most) {
    const QString wanted = text::asciiLower(typed);
    QStringList shown;
    if (wanted.isEmpty()) return shown;
    const QString prefix = u'{' + wanted;
    for (auto it = labelKeys.lowerBound(prefix); it != labelKeys.cend() && shown.size() < most; ++it) {
        if (!it.key().startsWith(prefix)) break;
        shown.append(labelOf(it.key()).toString());
    }
    for (auto it = labelKeys.cbegin(); it != labelKeys.cend() && shown.size() < most; ++it) {
        const QStringView label = labelOf(it.key());
        if (!label.startsWith(wanted) && label.contains(wanted)) shown.append(label.toString());
    }
    return shown;
}

} // namespace document
