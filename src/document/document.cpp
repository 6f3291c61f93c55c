#include "document/document.h"

#include "base/app_info.h"
#include "entry/entry_count.h"
#include "entry/entry_lines.h"
#include "text/ascii.h"

namespace document {

// Follows every change of the current store, whoever makes it (the view's typing, an undo, a command):
// the document is modified by it, and a line it made kLongLine long or longer makes the view wrap
// anywhere. Only the lines the change touched are measured.
class Document::Watch final : public TextObserver {
public:
    Watch(Document& document, TextStore& store) : document_(document), store_(&store) {
        store_->addObserver(this);
    }
    ~Watch() {
        if (store_) store_->removeObserver(this);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    void textReplaced(const Replacement& r) override {
        if (!document_.longLine_) {
            // A change makes lines longer only among those it left (text put in, or lines joined).
            const qsizetype last = std::min(r.firstLine + r.linesAdded(), store_->lineCount() - 1);
            for (qsizetype line = r.firstLine; line <= last; ++line)
                if (store_->lineLength(line) >= kLongLine) {
                    document_.setLongLine(true);
                    break;
                }
        }
        document_.setModified(true);
    }
    void textStoreDestroyed() override { store_ = nullptr; }

private:
    Document& document_;
    TextStore* store_;
};

PreparedDocument prepareDocument(LoadedDocument loaded) {
    PreparedDocument prepared;
    prepared.store = std::make_unique<TextStore>(std::move(loaded.text), loaded.lineEnds);
    prepared.format = std::move(loaded.format);
    prepared.longLine = prepared.store->lines().longestLine() >= kLongLine;
    return prepared;
}

Document::Document()
    : store_(std::make_unique<TextStore>()), history_(std::make_unique<EditHistory>(*store_)),
      watch_(std::make_unique<Watch>(*this, *store_)) {}

// The watch goes before the store it follows (members go in the reverse order of their declaration).
Document::~Document() = default;

void Document::adopt(std::unique_ptr<TextStore> store, bool longLine) {
    // The previous store and history stay until the signal has been heard: a view still drawing them
    // takes the new ones first.
    std::unique_ptr<TextStore> previousStore = std::exchange(store_, std::move(store));
    std::unique_ptr<EditHistory> previousHistory =
        std::exchange(history_, std::make_unique<EditHistory>(*store_));
    const std::unique_ptr<Watch> previousWatch =
        std::exchange(watch_, std::make_unique<Watch>(*this, *store_));
    setModified(false);
    Q_EMIT storeReplaced();
    // Only now: a view that wraps otherwise for it lays out the new text, not the previous one.
    setLongLine(longLine);
}

void Document::setLongLine(bool longLine) {
    if (longLine == longLine_) return;
    longLine_ = longLine;
    Q_EMIT longLineChanged(longLine_);
}

void Document::setPath(const QString& path) {
    if (path == path_) return;
    path_ = path;
    Q_EMIT pathChanged(path_);
}

QString captionOfPath(const QString& path) {
    return path.isEmpty() ? base::kUntitledName : path;
}

QString pathOfCaption(const QString& caption) {
    return caption == base::kUntitledName ? QString() : caption;
}

QString Document::text() const {
    return store_->toString();
}

Document::Snapshot Document::snapshot() const {
    return {store_->toString(), store_->lineEnds()};
}

bool Document::isEmpty() const {
    return store_->isEmpty();
}

void Document::setModified(bool modified) {
    // A save ends the grouping of typing: what is typed next is a step of its own, which an undo takes
    // back to the text as saved.
    if (!modified) history_->closeStep();
    if (modified == modified_) return;
    modified_ = modified;
    Q_EMIT modificationChanged(modified_);
}

void Document::load(PreparedDocument prepared) {
    format_ = std::move(prepared.format);
    adopt(std::move(prepared.store), prepared.longLine);
}

void Document::clear() {
    format_ = DocumentFormat{};
    adopt(std::make_unique<TextStore>(), false);
}

text::EncodedText Document::encode(const DocumentFormat& format) const {
    return encodeDocument(store_->text(), format, store_->lineEnds());
}

void Document::appendLines(const QStringList& lines) {
    const qsizetype end = store_->size();
    const bool lastLineUnended = store_->lineLength(store_->lineCount() - 1) > 0;
    history_->beginStep();
    history_->edit(end, 0, textToAppend(lines, lastLineUnended), EditKind::Command);
    history_->endStep();
    // The lines are a command of their own: typing after them does not join them.
    history_->closeStep();
}

void Document::applyEdits(const QList<text::TextEdit>& edits) {
    if (edits.isEmpty()) return;
    history_->beginStep(edits.first().position);
    // From the last to the first, so that the positions of the edits still to make stay valid.
    for (auto e = edits.crbegin(); e != edits.crend(); ++e)
        history_->edit(e->position, e->length, e->replacement, EditKind::Command);
    history_->endStep();
    history_->closeStep();
}

qsizetype Document::findNext(QStringView needle, qsizetype from) const {
    // The store's own characters in one piece: no copy, also for the first search after a change.
    return text::findNext(store_->text(), needle, from);
}

bool Document::labelInUse(const QString& label) const {
    const QString key = entry::labelKey(label);
    return key.isEmpty() ? entry::labelInUse(store_->text(), label) : store_->index().hasLabelKey(key);
}

const HeadLabels& Document::headLabels() const {
    return store_->index().headLabels();
}

qsizetype Document::entryHead(const QString& label) const {
    const QString key = entry::labelKey(label);
    if (!key.isEmpty())
        if (const qsizetype head = store_->headLineOf(key); head >= 0) return head;
    // An entry the index keeps no label for (in parentheses, a label with no "," after it on its line, a
    // type of no category) is found as the command line finds one, by reading the text; a label the text
    // does not hold at all is known not found without reading it as entries.
    const QStringView whole = store_->text();
    if (label.isEmpty() || text::indexOfAsciiCaseless(whole, label) < 0) return -1;
    const entry::EntrySpan span = entry::entryOfLabel(whole, label);
    return span.found() ? span.lines.first : -1;
}

} // namespace document
