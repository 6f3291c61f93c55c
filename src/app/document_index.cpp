#include "app/document_index.h"

#include "entry/entry_count.h"

#include <QTextBlock>
#include <QTextDocument>

#include <optional>

namespace app {

namespace {

using OwnLineEnd = std::optional<text::LineBreak>;

// The mark of a line with an entry head, label keys or a line end of its own. Qt deletes a block's user
// data with the block, so a removed line takes its share of the index with it.
class LineMark final : public QTextBlockUserData {
public:
    LineMark(std::shared_ptr<DocumentIndex::Contents> contents, bool head, QStringList keys,
             OwnLineEnd lineEnd)
        : contents_(std::move(contents)), head_(head), keys_(std::move(keys)), lineEnd_(lineEnd) {
        contents_->entryCount += head_ ? 1 : 0;
        contents_->ownLineEnds += lineEnd_ ? 1 : 0;
        for (const QString& key : keys_)
            ++contents_->labelKeys[key];
    }
    ~LineMark() override {
        contents_->entryCount -= head_ ? 1 : 0;
        contents_->ownLineEnds -= lineEnd_ ? 1 : 0;
        for (const QString& key : keys_) {
            auto it = contents_->labelKeys.find(key);
            if (--it.value() == 0) contents_->labelKeys.erase(it);
        }
    }
    bool same(bool head, const QStringList& keys, OwnLineEnd lineEnd) const {
        return head == head_ && lineEnd == lineEnd_ && keys == keys_;
    }
    OwnLineEnd lineEnd() const { return lineEnd_; }

private:
    std::shared_ptr<DocumentIndex::Contents> contents_;
    bool head_;
    QStringList keys_;
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
    const LineMark* old = markOf(block);
    if (old && old->same(head, keys, lineEnd)) return;
    block.setUserData(head || !keys.isEmpty() || lineEnd
                          ? new LineMark(contents, head, std::move(keys), lineEnd)
                          : nullptr);
}

} // namespace

DocumentIndex::DocumentIndex(QTextDocument* document)
    : QObject(document), document_(document), contents_(std::make_shared<Contents>()) {
    connect(document_, &QTextDocument::contentsChange, this, &DocumentIndex::onContentsChange);
    markRange(0, document_->characterCount());
}

DocumentIndex::~DocumentIndex() = default;

text::LineEnds DocumentIndex::lineEnds() const {
    text::LineEnds ends;
    if (contents_->ownLineEnds == 0) return ends;
    int line = 0;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next(), ++line)
        if (const LineMark* m = markOf(block); m && m->lineEnd()) ends.append({line, *m->lineEnd()});
    return ends;
}

void DocumentIndex::onContentsChange(int from, int /*charsRemoved*/, int charsAdded) {
    if (!suspended_) markRange(from, from + charsAdded);
}

void DocumentIndex::markRange(int from, int to) {
    const QTextBlock first = document_->findBlock(from);
    // The blocks from `first` up to the one holding `to` (to the end when `to` is past it). The last one
    // is found once: asking every block for its position costs a tree walk per line of a large append.
    const QTextBlock last = document_->findBlock(to);
    // Lines this change made carry no mark yet: they take the line end of the line they were split from.
    OwnLineEnd inherited;
    if (contents_->ownLineEnds > 0)
        for (QTextBlock block = first; block.isValid() && !inherited; block = block.next()) {
            if (const LineMark* m = markOf(block)) inherited = m->lineEnd();
            if (block == last) break;
        }
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        const LineMark* m = markOf(block);
        mark(block, block.text(), m ? m->lineEnd() : inherited, contents_);
        if (block == last) break;
    }
}

void DocumentIndex::markAll(const QString& text, const text::LineEnds& lineEnds) {
    // Lines of the plain text are the document's blocks as long as '\n' is the only separator in it.
    if (document_->blockCount() != text.count(u'\n') + 1) {
        markRange(0, document_->characterCount());
        return;
    }
    auto own = lineEnds.cbegin();
    int lineNumber = 0;
    for (qsizetype start = 0;; ++lineNumber) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QStringView line = QStringView(text).sliced(start, (end < 0 ? text.size() : end) - start);
        OwnLineEnd lineEnd;
        if (own != lineEnds.cend() && own->line == lineNumber) lineEnd = (own++)->lineBreak;
        // Only lines that can carry a mark are looked up in the document.
        if (lineEnd || line.contains(u'{'))
            mark(document_->findBlockByNumber(lineNumber), line, lineEnd, contents_);
        if (end < 0) break;
        start = end + 1;
    }
}

} // namespace app
