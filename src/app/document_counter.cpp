#include "app/document_counter.h"

#include "entry/entry_count.h"

#include <QTextBlock>
#include <QTextDocument>

namespace app {

namespace {

// The mark of an entry-head line. Qt deletes a block's user data with the block, so a removed line
// takes its mark, and its share of the count, with it.
class HeadMark final : public QTextBlockUserData {
public:
    explicit HeadMark(std::shared_ptr<int> count) : count_(std::move(count)) { ++*count_; }
    ~HeadMark() override { --*count_; }

private:
    std::shared_ptr<int> count_;
};

} // namespace

DocumentCounter::DocumentCounter(QTextDocument* document)
    : QObject(document), document_(document), count_(std::make_shared<int>(0)) {
    connect(document_, &QTextDocument::contentsChange, this, &DocumentCounter::onContentsChange);
    markRange(0, document_->characterCount());
}

DocumentCounter::~DocumentCounter() = default;

void DocumentCounter::onContentsChange(int from, int /*charsRemoved*/, int charsAdded) {
    if (!suspended_)
        markRange(from, from + charsAdded);
}

void DocumentCounter::markRange(int from, int to) {
    for (QTextBlock block = document_->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const bool head = entry::isEntryHeadLine(block.text());
        if (head && block.userData() == nullptr)
            block.setUserData(new HeadMark(count_));
        else if (!head && block.userData() != nullptr)
            block.setUserData(nullptr);
    }
}

void DocumentCounter::markAll(const QString& text) {
    const QList<int> heads = entry::entryHeadLineNumbers(text);
    // Lines of the plain text are the document's blocks as long as '\n' is the only separator in it.
    if (document_->blockCount() != text.count(u'\n') + 1) {
        markRange(0, document_->characterCount());
        return;
    }
    for (int line : heads) {
        QTextBlock block = document_->findBlockByNumber(line);
        if (block.userData() == nullptr)
            block.setUserData(new HeadMark(count_));
    }
}

} // namespace app
