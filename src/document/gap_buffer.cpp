#include "document/gap_buffer.h"

#include <algorithm>
#include <cstring>

namespace document {

namespace {

// The gap a growing array gets beyond the text asked for: a 1/32 of the text (2.5 MB at 80 MB), so that
// copying the array on growth costs a constant per character typed or pasted.
qsizetype slackFor(qsizetype textSize) {
    return std::max<qsizetype>(4096, textSize / 32);
}

// A gap this much larger than its slack (a large deletion) is given back.
bool gapTooLarge(qsizetype gap, qsizetype textSize) {
    return gap > std::max<qsizetype>(qsizetype(1) << 20, textSize / 4);
}

} // namespace

GapBuffer::GapBuffer(QString text) : buffer_(std::move(text)) {
    gapStart_ = gapEnd_ = buffer_.size();
    // A decoder leaves room behind its text (line ends made shorter); it becomes the first gap.
    qsizetype room = buffer_.capacity() - buffer_.data_ptr().freeSpaceAtBegin();
    if (!buffer_.isDetached() || room == buffer_.size()) return;
    // A decoder that made room for a character a byte gives back what double-byte characters left over
    // (a fifth of a CP932 file's size; realloc shrinks a large block where it is).
    if (room - buffer_.size() > 2 * slackFor(buffer_.size())) {
        buffer_.resize(buffer_.size() + slackFor(buffer_.size()));
        buffer_.squeeze();
        room = buffer_.size();
    }
    buffer_.resize(room);
    gapEnd_ = buffer_.size();
}

void GapBuffer::moveGap(qsizetype to) const {
    if (to == gapStart_) return;
    const qsizetype gap = gapEnd_ - gapStart_;
    if (gap > 0) {
        char16_t* data = reinterpret_cast<char16_t*>(buffer_.data());
        if (to < gapStart_)
            std::memmove(data + to + gap, data + to, size_t(gapStart_ - to) * sizeof(char16_t));
        else
            std::memmove(data + gapStart_, data + gapEnd_, size_t(to - gapStart_) * sizeof(char16_t));
    }
    gapEnd_ = to + gap;
    gapStart_ = to;
}

void GapBuffer::makeGap(qsizetype length) {
    const qsizetype tail = buffer_.size() - gapEnd_;
    const qsizetype total = size() + length + slackFor(size() + length);
    // Reserved to the exact size: growing by resize alone would round the allocation up to a power of two.
    buffer_.reserve(total);
    buffer_.resize(total);
    char16_t* data = reinterpret_cast<char16_t*>(buffer_.data());
    std::memmove(data + total - tail, data + gapEnd_, size_t(tail) * sizeof(char16_t));
    gapEnd_ = total - tail;
}

QStringView GapBuffer::view() const {
    moveGap(size());
    return QStringView(raw(), size());
}

QStringView GapBuffer::view(qsizetype from, qsizetype length) const {
    const qsizetype to = from + length;
    if (gapStart_ > from && gapStart_ < to) moveGap(gapStart_ - from < to - gapStart_ ? from : to);
    return QStringView(raw() + (from < gapStart_ ? from : from + gapEnd_ - gapStart_), length);
}

QString GapBuffer::mid(qsizetype from, qsizetype length) const {
    QString out(length, Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    const qsizetype before = std::clamp<qsizetype>(gapStart_ - from, 0, length);
    std::memcpy(d, raw() + from, size_t(before) * sizeof(char16_t));
    std::memcpy(d + before, raw() + from + before + (gapEnd_ - gapStart_),
                size_t(length - before) * sizeof(char16_t));
    return out;
}

void GapBuffer::replace(qsizetype from, qsizetype length, QStringView text) {
    // Text that lies in the array itself would move under the copy.
    QString own;
    if (holds(text)) {
        own = text.toString();
        text = own;
    }
    const qsizetype to = from + length;
    if (gapStart_ >= from && gapStart_ <= to) {
        // The gap touches the removed stretch: it takes the stretch in without moving a character.
        gapEnd_ += to - gapStart_;
        gapStart_ = from;
    } else {
        moveGap(from);
        gapEnd_ += length;
    }
    if (text.size() > gapEnd_ - gapStart_) makeGap(text.size());
    if (!text.isEmpty()) // an empty view may hold no array at all
        std::memcpy(reinterpret_cast<char16_t*>(buffer_.data()) + gapStart_, text.utf16(),
                    size_t(text.size()) * sizeof(char16_t));
    gapStart_ += text.size();
    if (gapTooLarge(gapEnd_ - gapStart_, size())) {
        moveGap(size());
        buffer_.resize(size() + slackFor(size()));
        buffer_.squeeze();
        gapEnd_ = buffer_.size();
    }
}

} // namespace document
