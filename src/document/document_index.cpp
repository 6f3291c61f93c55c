#include "document/document_index.h"

#include "document/line_state.h"
#include "entry/entry_count.h"

#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <optional>

namespace document {

namespace {

using OwnLineEnd = std::optional<text::LineBreak>;

// A line the index has seen carries line_state::kSeenBit in its block state; a line a change makes starts
// with the state -1. The colouring keeps its own bits beside it.
void markSeen(QTextBlock& block) {
    block.setUserState(line_state::seen(block.userState()));
}

// The label of a head line is its first key: "@article{" opens the entry. `written` is the label as the
// line writes it where that differs from the key's.
HeadLabel headLabel(bool head, const QStringList& keys, const QString& written) {
    return head && !keys.isEmpty() ? HeadLabel{keys.first(), written} : HeadLabel{};
}

// The label of a head line as written, where it differs from its key (`key`, the line's first); null
// otherwise, so that a label written in lower case costs nothing more.
QString writtenLabel(QStringView line, const QString& key) {
    const qsizetype open = line.indexOf(u'{');
    const QStringView label = line.sliced(open + 1, key.size() - 2);
    return label == QStringView(key).sliced(1, key.size() - 2) ? QString() : label.toString();
}

// The mark of a line with an entry head, label keys or a line end of its own. Qt deletes a block's user
// data with the block, so a removed line takes its share of the index with it.
class LineMark final : public QTextBlockUserData {
public:
    LineMark(std::shared_ptr<DocumentIndex::Contents> contents, bool head, QStringList keys, QString written,
             OwnLineEnd lineEnd)
        : contents_(std::move(contents)), head_(head), keys_(std::move(keys)), written_(std::move(written)),
          lineEnd_(lineEnd) {
        contents_->entryCount += head_ ? 1 : 0;
        contents_->ownLineEnds += lineEnd_ ? 1 : 0;
        for (const QString& key : keys_)
            ++contents_->labelKeys[key];
        if (const HeadLabel label = headLabel(head_, keys_, written_); !label.key.isEmpty())
            ++contents_->headLabels[label];
    }
    ~LineMark() override {
        if (!contents_->marking) contents_->lost.push_back(lineEnd_);
        contents_->entryCount -= head_ ? 1 : 0;
        contents_->ownLineEnds -= lineEnd_ ? 1 : 0;
        for (const QString& key : keys_) {
            auto it = contents_->labelKeys.find(key);
            if (--it.value() == 0) contents_->labelKeys.erase(it);
        }
        if (const HeadLabel label = headLabel(head_, keys_, written_); !label.key.isEmpty()) {
            auto it = contents_->headLabels.find(label);
            if (--it.value() == 0) contents_->headLabels.erase(it);
        }
    }
    bool same(bool head, const QStringList& keys, const QString& written, OwnLineEnd lineEnd) const {
        return head == head_ && lineEnd == lineEnd_ && keys == keys_ && written == written_;
    }
    OwnLineEnd lineEnd() const { return lineEnd_; }
    bool head() const { return head_; }
    // The head's label key; empty for a line that is no head.
    QString labelKey() const { return head_ && !keys_.isEmpty() ? keys_.first() : QString(); }

private:
    std::shared_ptr<DocumentIndex::Contents> contents_;
    bool head_;
    QStringList keys_;
    QString written_; // the head's label as written, where it differs from its key's
    OwnLineEnd lineEnd_;
};

const LineMark* markOf(const QTextBlock& block) {
    return static_cast<const LineMark*>(block.userData());
}

// Marks one block by what its text holds and the line end it is to keep.
void mark(QTextBlock block, QStringView text, OwnLineEnd lineEnd,
          const std::shared_ptr<DocumentIndex::Contents>& contents) {
    const bool head = entry::isEntryHeadLine(text);
    QStringList keys = entry::labelKeys(text);
    QString written = head && !keys.isEmpty() ? writtenLabel(text, keys.first()) : QString();
    const LineMark* old = markOf(block);
    if (old && old->same(head, keys, written, lineEnd)) return;
    block.setUserData(head || !keys.isEmpty() || lineEnd
                          ? new LineMark(contents, head, std::move(keys), std::move(written), lineEnd)
                          : nullptr);
}

} // namespace

DocumentIndex::DocumentIndex(QTextDocument* document)
    : QObject(document), document_(document), contents_(std::make_shared<Contents>()),
      blockCount_(document->blockCount()) {
    connect(document_, &QTextDocument::contentsChange, this, &DocumentIndex::onContentsChange);
    contents_->marking = true;
    markRange(0, document_->characterCount());
    contents_->marking = false;
}

DocumentIndex::~DocumentIndex() = default;

bool DocumentIndex::isHeadLine(const QTextBlock& block) {
    const LineMark* m = markOf(block);
    return m && m->head();
}

QTextBlock DocumentIndex::headOf(const QString& labelKey) const {
    // However the heads write the label, they are the stretch of the map that has its key.
    const auto it = contents_->headLabels.lowerBound(HeadLabel{labelKey, {}});
    if (it == contents_->headLabels.cend() || it.key().key != labelKey) return {};
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next())
        if (const LineMark* m = markOf(block); m && m->head() && m->labelKey() == labelKey) return block;
    return {};
}

text::LineEnds DocumentIndex::lineEnds() const {
    text::LineEnds ends;
    if (contents_->ownLineEnds == 0) return ends;
    int line = 0;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next(), ++line)
        if (const LineMark* m = markOf(block); m && m->lineEnd()) ends.append({line, *m->lineEnd()});
    return ends;
}

const QString& DocumentIndex::rawText() const {
    if (!rawText_) rawText_ = document_->toRawText();
    return *rawText_;
}

void DocumentIndex::onContentsChange(int from, int charsRemoved, int charsAdded) {
    rawText_.reset();
    const std::vector<OwnLineEnd> lost = std::exchange(contents_->lost, {});
    const int removedLines = blockCount_ - document_->blockCount();
    blockCount_ = document_->blockCount();
    if (suspended_) return;
    contents_->marking = true;
    const auto done = qScopeGuard([this] { contents_->marking = false; });
    if (!stretches_.isEmpty()) {
        for (const Stretch& s : stretches_)
            markRange(s.from, s.to);
        return;
    }
    markRange(from, from + charsAdded);
    // Lines joined by a deletion: the line left ends as the last line taken into it did, since that line's
    // end is the one still there. The marks that went say how it ended; a line that went without a mark
    // ended the usual way.
    if (charsAdded == 0 && charsRemoved > 0 && removedLines > 0) {
        OwnLineEnd joined;
        if (int(lost.size()) == removedLines)
            joined = lost.back();
        else if (std::any_of(lost.cbegin(), lost.cend(), [](const OwnLineEnd& e) { return e.has_value(); }))
            return; // which of the lines that went had which end is not known: the line keeps its own
        const QTextBlock block = document_->findBlock(from);
        const LineMark* m = markOf(block);
        if ((m ? m->lineEnd() : OwnLineEnd()) != joined) mark(block, block.text(), joined, contents_);
    }
}

void DocumentIndex::markRange(int from, int to) {
    // The blocks from the one holding `from` through the one holding `to` (to the end beyond the text).
    const QTextBlock first = document_->findBlock(from);
    // The last block is found once: asking every block for its position costs a tree walk per line of a
    // large append.
    const QTextBlock last = document_->findBlock(to);
    // Lines this change made carry no mark yet: they take the line end of the line they were split from.
    // Only they do: a line examined before, or there at loading, carries kSeenBit and keeps the usual
    // line end even when the change (an undo, say) spans lines that end otherwise.
    OwnLineEnd inherited;
    if (contents_->ownLineEnds > 0)
        for (QTextBlock block = first; block.isValid() && !inherited; block = block.next()) {
            if (const LineMark* m = markOf(block)) inherited = m->lineEnd();
            if (block == last) break;
        }
    // A long stretch (the undo of edits far apart reaches over most of the document) is read from one
    // copy of the text rather than block by block.
    const bool longStretch = qint64(to - from) * 8 > document_->characterCount();
    const QString whole = longStretch ? document_->toRawText() : QString();
    qsizetype position = first.position();
    bool longLine = false;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        const LineMark* m = markOf(block);
        const bool made = !m && !line_state::seenByIndex(block.userState());
        const QString own = longStretch ? QString() : block.text();
        const QStringView text = longStretch ? QStringView(whole).sliced(position, block.length() - 1) : own;
        // A line without a mark and without "{" gets none: most lines are passed over here.
        if (m || made || text.contains(u'{'))
            mark(block, text, made ? inherited : m ? m->lineEnd() : OwnLineEnd(), contents_);
        markSeen(block);
        position += block.length();
        longLine = longLine || isLongLine(block.length() - 1);
        if (block == last) break;
    }
    if (longLine) Q_EMIT longLineMade();
}

void DocumentIndex::markAll(const QString& text, const text::LineEnds& lineEnds) {
    // Lines of the plain text are the document's blocks as long as '\n' is the only separator in it.
    if (document_->blockCount() != text.count(u'\n') + 1) {
        markRange(0, document_->characterCount());
        return;
    }
    markLines(text, 0, lineEnds);
}

int DocumentIndex::markLines(QStringView lines, int firstLine, const text::LineEnds& lineEnds) {
    contents_->marking = true;
    const auto done = qScopeGuard([this] { contents_->marking = false; });
    auto own = std::lower_bound(lineEnds.cbegin(), lineEnds.cend(), firstLine,
                                [](const text::LineEnd& e, int line) { return e.line < line; });
    // Only lines that end otherwise are passed on to new lines; without them no line needs to be known,
    // and only lines that can carry a mark are looked up in the document.
    const bool walk = !lineEnds.isEmpty();
    QTextBlock block = walk ? document_->findBlockByNumber(firstLine) : QTextBlock();
    int lineNumber = firstLine;
    for (qsizetype start = 0;; ++lineNumber) {
        const qsizetype end = lines.indexOf(u'\n', start);
        const QStringView line = lines.sliced(start, (end < 0 ? lines.size() : end) - start);
        OwnLineEnd lineEnd;
        if (own != lineEnds.cend() && own->line == lineNumber) lineEnd = (own++)->lineBreak;
        if (walk) markSeen(block);
        if (lineEnd || line.contains(u'{'))
            mark(walk ? block : document_->findBlockByNumber(lineNumber), line, lineEnd, contents_);
        if (end < 0) break;
        start = end + 1;
        if (walk) block = block.next();
    }
    return lineNumber - firstLine + 1;
}

} // namespace document
