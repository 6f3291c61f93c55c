#include "document/label_matches.h"

#include "text/ascii.h"

#include <algorithm>

namespace document {

namespace {

// A chunk is cut in two when it grows past this; a text adopted is cut into chunks of half of it.
constexpr size_t kMostInChunk = 512;

// The items' order: by the text with A-Z and a-z alike (the key), a key before its written forms, these
// by their characters.
int compareItems(QStringView a, bool aWritten, QStringView b, bool bWritten) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = text::asciiLower(a[i].unicode());
        const char16_t y = text::asciiLower(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    if (aWritten != bWritten) return aWritten ? 1 : -1;
    return aWritten ? a.compare(b) : 0;
}

bool before(const LabelItem& a, const LabelItem& b) {
    return compareItems(a.text, a.isWritten(), b.text, b.isWritten()) < 0;
}

} // namespace

HeadLabels::const_iterator::const_iterator(const std::vector<std::vector<LabelItem>>* chunks, size_t chunk,
                                           size_t index)
    : chunks_(chunks), chunk_(chunk), index_(index) {
    settle();
}

void HeadLabels::const_iterator::settle() {
    while (chunk_ < chunks_->size()) {
        const std::vector<LabelItem>& items = (*chunks_)[chunk_];
        for (; index_ < items.size(); ++index_)
            if (items[index_].heads > 0) return;
        ++chunk_;
        index_ = 0;
    }
}

HeadLabels::const_iterator& HeadLabels::const_iterator::operator++() {
    ++index_;
    settle();
    return *this;
}

HeadLabel HeadLabels::const_iterator::key() const {
    const LabelItem& i = item();
    if (!i.isWritten()) return {i.text, {}};
    return {text::asciiLower(i.text), i.label().toString()};
}

HeadLabels::Place HeadLabels::place(QStringView text, bool written) const {
    // The first chunk whose last item is not before the text; past the last chunk, the end of it.
    const auto chunk = std::partition_point(chunks_.cbegin(), chunks_.cend(), [&](const auto& items) {
        return compareItems(items.back().text, items.back().isWritten(), text, written) < 0;
    });
    if (chunk == chunks_.cend()) return {chunks_.size(), 0};
    const auto item = std::partition_point(chunk->cbegin(), chunk->cend(), [&](const LabelItem& i) {
        return compareItems(i.text, i.isWritten(), text, written) < 0;
    });
    return {size_t(chunk - chunks_.cbegin()), size_t(item - chunk->cbegin())};
}

bool HeadLabels::holds(Place p, QStringView text, bool written) const {
    if (p.chunk == chunks_.size()) return false;
    const LabelItem& i = chunks_[p.chunk][p.index];
    return compareItems(i.text, i.isWritten(), text, written) == 0;
}

HeadLabels::const_iterator HeadLabels::lowerBound(QStringView key) const {
    const Place p = place(key, false);
    return {&chunks_, p.chunk, p.index};
}

bool HeadLabels::hasKey(QStringView key) const {
    return holds(place(key, false), key, false);
}

bool HeadLabels::hasHead(QStringView key) const {
    // The key's item, then its written forms, are one stretch: the first with heads from there is one.
    const auto it = lowerBound(key);
    return it != end() && compareItems(it->text, false, key, false) == 0;
}

void HeadLabels::addToKey(const QString& key, int keyLines, int heads) {
    add(key, false, keyLines, heads);
}

void HeadLabels::addToWritten(const QString& written, int heads) {
    add(written, true, 0, heads);
}

void HeadLabels::add(const QString& text, bool written, int keyLines, int heads) {
    Place p = place(text, written);
    if (holds(p, text, written)) {
        std::vector<LabelItem>& items = chunks_[p.chunk];
        LabelItem& item = items[p.index];
        if (!written) item.keyLines += keyLines;
        item.heads += heads;
        if (item.heads > 0 || item.keyLines > 0) return;
        keys_ -= written ? 0 : 1;
        items.erase(items.begin() + qsizetype(p.index));
        if (items.empty()) chunks_.erase(chunks_.begin() + qsizetype(p.chunk));
        return;
    }
    if (keyLines <= 0 && heads <= 0) return; // nothing to take out of an item that is not there
    if (chunks_.empty()) {
        chunks_.emplace_back();
        p = {0, 0};
    } else if (p.chunk == chunks_.size()) {
        p = {chunks_.size() - 1, chunks_.back().size()};
    }
    std::vector<LabelItem>& items = chunks_[p.chunk];
    items.insert(items.begin() + qsizetype(p.index), LabelItem{text, written ? -1 : keyLines, heads});
    keys_ += written ? 0 : 1;
    if (items.size() > kMostInChunk) {
        std::vector<LabelItem> upper(std::make_move_iterator(items.begin() + qsizetype(kMostInChunk / 2)),
                                     std::make_move_iterator(items.end()));
        items.resize(kMostInChunk / 2);
        chunks_.insert(chunks_.begin() + qsizetype(p.chunk) + 1, std::move(upper));
    }
}

void HeadLabels::adopt(std::deque<LabelItem> items) {
    std::sort(items.begin(), items.end(), before);
    chunks_.clear();
    keys_ = 0;
    // Equal items summed into the first of them.
    size_t kept = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (kept > 0 && !before(items[kept - 1], items[i])) {
            LabelItem& into = items[kept - 1];
            if (!into.isWritten()) into.keyLines += items[i].keyLines;
            into.heads += items[i].heads;
            continue;
        }
        keys_ += items[i].isWritten() ? 0 : 1;
        if (kept != i) items[kept] = std::move(items[i]);
        ++kept;
    }
    items.resize(kept);
    while (!items.empty()) {
        const auto to = items.begin() + qsizetype(std::min(items.size(), kMostInChunk / 2));
        chunks_.emplace_back(std::make_move_iterator(items.begin()), std::make_move_iterator(to));
        items.erase(items.begin(), to);
    }
}

QStringList labelMatches(const HeadLabels& labels, const QString& typed, int most) {
    const QString wanted = text::asciiLower(typed);
    QStringList shown;
    if (wanted.isEmpty()) return shown;
    const QString prefix = u'{' + wanted;
    for (auto it = labels.lowerBound(prefix); it != labels.cend() && shown.size() < most; ++it) {
        if (!text::startsWithAsciiCaseless(it->text, prefix)) break;
        shown.append(it->label().toString());
    }
    for (auto it = labels.cbegin(); it != labels.cend() && shown.size() < most; ++it) {
        const QStringView label = it->label();
        if (!text::startsWithAsciiCaseless(label, wanted) && text::indexOfAsciiCaseless(label, wanted) >= 0)
            shown.append(label.toString());
    }
    return shown;
}

} // namespace document
