#include "document/anchors.h"

#include "document/text_store.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace document {

AnchorSet::AnchorSet(TextStore& store, const QList<qsizetype>& positions) : store_(&store) {
    reset(positions);
    store_->anchors_.push_back(this);
}

AnchorSet::~AnchorSet() {
    if (store_) std::erase(store_->anchors_, this);
}

QList<qsizetype> AnchorSet::positions() const {
    QList<qsizetype> out;
    out.reserve(size());
    for (qsizetype a = 0; a < size(); ++a)
        out.append(position(a));
    return out;
}

void AnchorSet::reset(const QList<qsizetype>& positions) {
    const size_t n = size_t(positions.size());
    std::vector<qsizetype> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return positions[a] < positions[b]; });
    block_ = std::max<qsizetype>(16, qsizetype(std::sqrt(double(n))));
    sorted_.resize(n);
    rank_.resize(n);
    for (size_t k = 0; k < n; ++k) {
        sorted_[k] = positions[order[k]];
        rank_[size_t(order[k])] = qsizetype(k);
    }
    shift_.assign(n / size_t(block_) + 1, 0);
}

void AnchorSet::follow(qsizetype from, qsizetype removed, qsizetype added) {
    const qsizetype n = qsizetype(sorted_.size());
    // The first anchor at or after `from`.
    qsizetype low = 0, high = n;
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (sortedPosition(mid) >= from)
            high = mid;
        else
            low = mid + 1;
    }
    qsizetype k = low;
    for (; k < n && sortedPosition(k) <= from + removed; ++k)
        sorted_[size_t(k)] = from + added - shift_[size_t(k / block_)];
    const qsizetype delta = added - removed;
    if (delta == 0) return;
    for (; k < n && k % block_ != 0; ++k)
        sorted_[size_t(k)] += delta;
    for (size_t b = size_t((k + block_ - 1) / block_); b < shift_.size(); ++b)
        shift_[b] += delta;
}

} // namespace document
