#pragma once
// Positions in a text store that follow its changes: the check window's findings, the caret and the
// selection. A change before an anchor moves it along, an insertion exactly at it too (as text typed at
// the caret pushes the caret on); a deletion around it puts it at the deletion's start, and a
// replacement around it after the new text. A change costs a binary search and a shift per block of
// anchors (blocks of about the square root of their number), so 150,000 findings cost a keystroke about
// a microsecond.
#include <QList>

#include <vector>

namespace document {

class TextStore;

class AnchorSet {
public:
    // Anchors at `positions`, numbered in their order there; they follow `store` for as long as both live.
    explicit AnchorSet(TextStore& store, const QList<qsizetype>& positions = {});
    ~AnchorSet();
    AnchorSet(const AnchorSet&) = delete;
    AnchorSet& operator=(const AnchorSet&) = delete;

    qsizetype size() const { return qsizetype(rank_.size()); }
    qsizetype position(qsizetype anchor) const {
        const qsizetype k = rank_[size_t(anchor)];
        return sorted_[size_t(k)] + shift_[size_t(k / block_)];
    }
    QList<qsizetype> positions() const;
    // Every anchor anew (the view moving its caret and selection).
    void reset(const QList<qsizetype>& positions);

private:
    friend class TextStore;
    // [from, from + removed) replaced by `added` characters.
    void follow(qsizetype from, qsizetype removed, qsizetype added);
    qsizetype sortedPosition(qsizetype k) const { return sorted_[size_t(k)] + shift_[size_t(k / block_)]; }

    TextStore* store_;
    // The positions in ascending order, each less the shift of its block: a change never reorders
    // anchors, so an anchor keeps its place in this order for good.
    std::vector<qsizetype> sorted_;
    std::vector<qsizetype> shift_;
    std::vector<qsizetype> rank_; // anchor -> its place in sorted_
    qsizetype block_ = 1;
};

} // namespace document
