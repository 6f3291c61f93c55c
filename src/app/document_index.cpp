#include "app/document_index.h"

#include "entry/entry_count.h"

#include <QTextBlock>
#include <QTextDocument>

namespace app {

namespace {

// The mark of a line with an entry head or label keys. Qt deletes a block's user data with the block,
// so a removed line takes its share of the index with it.
class LineMark final : public QTextBlockUserData {
public:
    LineMark(std::shared_ptr<DocumentIndex::Contents> contents, bool head, QStringList keys)
        : contents_(std::move(contents)), head_(head), keys_(std::move(keys)) {
        contents_->entryCount += head_ ? 1 : 0;
        for (const QString& key : keys_)
            ++contents_->labelKeys[key];
    }
    ~LineMark() override {
        contents_->entryCount -= head_ ? 1 : 0;
        for (const QString& key : keys_) {
            auto it = contents_->labelKeys.find(key);
            if (--it.value() == 0) contents_->labelKeys.erase(it);
        }
    }
    bool same(bool head, const QStringList& keys) const { return head == head_ && keys == keys_; }

private:
    std::shared_ptr<DocumentIndex::Contents> contents_;
    bool head_;
    QStringList keys_;
};

// Marks one block by what its text holds.
void mark(QTextBlock block, QStringView text, const std::shared_ptr<DocumentIndex::Contents>& contents) {
    const bool head = entry::isEntryHeadLine(text);
    QStringList keys = entry::labelKeys(text);
    const auto* old = static_cast<const LineMark*>(block.userData());
    if (old && old->same(head, keys)) return;
    block.setUserData(head || !keys.isEmpty() ? new LineMark(contents, head, std::move(keys)) : nullptr);
}

} // namespace

DocumentIndex::DocumentIndex(QTextDocument* document)
    : QObject(document), document_(document), contents_(std::make_shared<Contents>()) {
    connect(document_, &QTextDocument::contentsChange, this, &DocumentIndex::onContentsChange);
    markRange(0, document_->characterCount());
}

DocumentIndex::~DocumentIndex() = default;

void DocumentIndex::onContentsChange(int from, int /*charsRemoved*/, int charsAdded) {
    if (!suspended_) markRange(from, from + charsAdded);
}

void DocumentIndex::markRange(int from, int to) {
    for (QTextBlock block = document_->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next())
        mark(block, block.text(), contents_);
}

void DocumentIndex::markAll(const QString& text) {
    // Lines of the plain text are the document's blocks as long as '\n' is the only separator in it.
    if (document_->blockCount() != text.count(u'\n') + 1) {
        markRange(0, document_->characterCount());
        return;
    }
    int lineNumber = 0;
    for (qsizetype start = 0;; ++lineNumber) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QStringView line = QStringView(text).sliced(start, (end < 0 ? text.size() : end) - start);
        // Only lines that can carry a mark are looked up in the document.
        if (line.contains(u'{')) mark(document_->findBlockByNumber(lineNumber), line, contents_);
        if (end < 0) break;
        start = end + 1;
    }
}

} // namespace app
