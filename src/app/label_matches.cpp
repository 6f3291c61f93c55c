#include "app/label_matches.h"

#include "text/ascii.h"

#include <algorithm>

namespace app {

namespace {

QStringView labelOf(const QString& key) {
    return QStringView(key).sliced(1, key.size() - 2); // without "{" and ","
}

} // namespace

void LabelMatches::setLabelKeys(QStringList labelKeys) {
    keys_ = std::move(labelKeys);
    haveLast_ = false;
}

QStringList LabelMatches::matches(const QString& typed, int most) {
    const QString wanted = text::asciiLower(typed);
    if (wanted.isEmpty()) {
        haveLast_ = false;
        return {};
    }
    QList<int> found;
    auto consider = [&](int i) {
        if (labelOf(keys_[i]).contains(wanted)) found.append(i);
    };
    if (haveLast_ && wanted.contains(lastTyped_)) {
        for (const int i : std::as_const(lastMatches_))
            consider(i);
    } else {
        for (int i = 0; i < keys_.size(); ++i)
            consider(i);
    }
    lastTyped_ = wanted;
    lastMatches_ = found;
    haveLast_ = true;

    const auto byLabel = [this](int a, int b) { return keys_[a] < keys_[b]; };
    const auto prefixEnd = std::stable_partition(found.begin(), found.end(),
                                                 [&](int i) { return labelOf(keys_[i]).startsWith(wanted); });
    QStringList shown;
    for (auto [from, to] : {std::pair(found.begin(), prefixEnd), std::pair(prefixEnd, found.end())}) {
        const auto room = std::min<qsizetype>(to - from, most - shown.size());
        std::partial_sort(from, from + room, to, byLabel);
        for (auto i = from; i != from + room; ++i)
            shown.append(labelOf(keys_[*i]).toString());
    }
    return shown;
}

} // namespace app
