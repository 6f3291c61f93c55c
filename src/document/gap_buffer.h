#pragma once
// The characters of a text in one UTF-16 array with a gap where the last change was made: typing moves
// only the characters between the gap and the caret, and a rule that reads the whole text gets it as
// one view once the gap is moved to the end. A decoder's string becomes the array itself, without a copy.
#include <QString>
#include <QStringView>

namespace document {

class GapBuffer {
public:
    GapBuffer() = default;
    // Takes `text`'s storage as its own (a string shared with another copy is copied once, at the first
    // change); the capacity the string has beyond its size becomes the gap.
    explicit GapBuffer(QString text);

    qsizetype size() const { return buffer_.size() - (gapEnd_ - gapStart_); }
    char16_t at(qsizetype position) const {
        return raw()[position < gapStart_ ? position : position + gapEnd_ - gapStart_];
    }
    // The whole text in one piece. Moves the gap to the end (the text is unchanged, hence const); valid
    // until the next change or the next view taken.
    QStringView view() const;
    // [from, from + length) in one piece: the gap moves to whichever end of it is nearer when it lies
    // inside. Valid until the next change or the next view taken.
    QStringView view(qsizetype from, qsizetype length) const;
    // A copy of [from, from + length), leaving the gap where it is.
    QString mid(qsizetype from, qsizetype length) const;
    QString toString() const { return mid(0, size()); }

    void replace(qsizetype from, qsizetype length, QStringView text);
    // Whether `text` lies in the array itself (a view taken from this buffer).
    bool holds(QStringView text) const {
        return text.utf16() >= raw() && text.utf16() < raw() + buffer_.size();
    }

    // The memory the array takes, gap included.
    qsizetype memoryBytes() const { return buffer_.capacity() * qsizetype(sizeof(char16_t)); }
    qsizetype gapLength() const { return gapEnd_ - gapStart_; }

private:
    const char16_t* raw() const { return reinterpret_cast<const char16_t*>(buffer_.constData()); }
    void moveGap(qsizetype to) const;
    void makeGap(qsizetype length);

    // Text before the gap, the gap, text after it; the string's size is the whole array. Moving the gap
    // changes no character of the text, so a const reader may do it.
    mutable QString buffer_;
    mutable qsizetype gapStart_ = 0;
    mutable qsizetype gapEnd_ = 0;
};

} // namespace document
