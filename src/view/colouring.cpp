#include "view/colouring.h"

#include "view/colouring_rules.h"
#include "view/line_layout.h"

#include "bibtex/reader.h"
#include "document/document_index.h"
#include "document/line_state.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <utility>

namespace view {

namespace {

using bibtex::LineState;
using bibtex::Token;

// A change of up to this many lines (typing, pasting a few lines) is coloured at once, before the editor
// lays the lines out again (LineLayout asks for it): colouring a line after its layout would lay it out
// once more. Longer changes wait to be shown.
constexpr int kColourAtOnce = 64;

int storable(LineState state) {
    return storableState(state);
}

LineState startOf(const QTextBlock& block) {
    return LineState::fromPacked(document::line_state::packedStart(block.userState()));
}

// True when the line was coloured from another start: its colours are out of date.
bool setStart(QTextBlock& block, LineState start) {
    const int state = block.userState();
    const int packed = storable(start);
    const bool wasColoured = document::line_state::coloured(state);
    const bool stillColoured = wasColoured && document::line_state::packedStart(state) == packed;
    block.setUserState(document::line_state::withStart(state, packed, stillColoured));
    return wasColoured && !stillColoured;
}

void markUncoloured(QTextBlock& block) {
    const int state = block.userState();
    if (document::line_state::coloured(state))
        block.setUserState(
            document::line_state::withStart(state, document::line_state::packedStart(state), false));
}

// The editor's first line on screen, which QPlainTextEdit keeps to itself and its subclasses.
struct EditorAccess : QPlainTextEdit {
    using QPlainTextEdit::blockBoundingGeometry;
    using QPlainTextEdit::contentOffset;
    using QPlainTextEdit::firstVisibleBlock;
};

} // namespace

Colouring::Colouring(QPlainTextEdit* editor) : QObject(editor), editor_(editor) {
    makeFormats();
    editor_->installEventFilter(this);
    editor_->viewport()->installEventFilter(this);
    background_.setSingleShot(true);
    connect(&background_, &QTimer::timeout, this, &Colouring::readInBackground);
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, &Colouring::showMatch);
    follow();
}

Colouring::~Colouring() {
    // The text document may outlive the colouring (it belongs to the editor): its layout asks no more.
    if (auto* layout = lineLayout()) layout->setBeforeLayout(nullptr);
}

void Colouring::makeFormats() {
    look_ = colouringLook(editor_->palette());
}

void Colouring::follow() {
    disconnect(changeConnection_);
    if (auto* layout = lineLayout()) layout->setBeforeLayout(nullptr);
    document_ = editor_->document();
    knownLines_ = 0;
    caretEntry_ = {};
    blockCount_ = document_->blockCount();
    if (!enabled_) return;
    changeConnection_ =
        connect(document_, &QTextDocument::contentsChange, this, &Colouring::onContentsChange);
    if (auto* layout = lineLayout())
        layout->setBeforeLayout([this](const QTextBlock& first, const QTextBlock& last) {
            // Only an edit of the text, which contentsChange announced: the layout is also told of
            // changes of the font or the wrapping, which no edit ends, so formats set then would be
            // left as a change of the text still to come and merged into the next edit.
            if (!std::exchange(textChanged_, false)) return;
            if (last.blockNumber() - first.blockNumber() >= kColourAtOnce) return;
            for (QTextBlock block = first; block.isValid(); block = block.next()) {
                colour(block, false);
                if (block == last) break;
            }
        });
}

LineLayout* Colouring::lineLayout() const {
    return document_ ? qobject_cast<LineLayout*>(document_->documentLayout()) : nullptr;
}

void Colouring::formatsChanged(const QTextBlock& block) {
    if (auto* layout = lineLayout())
        layout->formatsChanged(block.position(), block.length());
    else
        document_->markContentsDirty(block.position(), block.length());
}

void Colouring::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (!enabled) {
        background_.stop();
        uncolourAll();
        editor_->setExtraSelections({});
        markedEntry_ = {};
    }
    follow();
    if (enabled) showMatch();
    editor_->viewport()->update();
}

bool Colouring::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: the editor sends events to its viewport while it is being destroyed, when
    // it can no longer be asked for its viewport.
    if (event->type() == QEvent::Paint && enabled_ && watched == editor_->viewport()) {
        colourShownLines();
        paintEntryMark(*static_cast<QPaintEvent*>(event));
    }
    if (event->type() == QEvent::PaletteChange && watched == editor_) {
        makeFormats();
        if (enabled_) {
            uncolourAll();
            editor_->viewport()->update();
        }
    }
    return QObject::eventFilter(watched, event);
}

void Colouring::colourShownLines() {
    if (!enabled_) return;
    if (editor_->document() != document_) follow();
    // The lines from the first on screen down to the viewport's height, and one more (the first may be
    // shown in part); hit-testing the corners would cost a line's shaping each.
    const QTextBlock first = (editor_->*(&EditorAccess::firstVisibleBlock))();
    const QAbstractTextDocumentLayout* layout = document_->documentLayout();
    const qreal height = editor_->viewport()->height();
    QTextBlock last = first;
    qreal filled = 0;
    for (QTextBlock block = first; block.isValid() && filled <= height; block = block.next()) {
        last = block;
        if (block.isVisible()) filled += layout->blockBoundingRect(block).height();
    }
    if (last.next().isValid()) last = last.next();
    if (last.blockNumber() - knownLines_ > kGuessBeyond)
        guessFrom(first, last);
    else
        knowUntil(last.blockNumber());
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (!document::line_state::coloured(block.userState())) colour(block);
        if (block == last) break;
    }
    if (knownLines_ < blockCount_ && !background_.isActive()) background_.start(0);
}

void Colouring::knowUntil(int line, qint64 deadlineNs) {
    if (knownLines_ == 0) {
        QTextBlock top = document_->begin();
        setStart(top, LineState());
        knownLines_ = 1;
    }
    if (knownLines_ > line) return;
    QElapsedTimer timer;
    timer.start();
    QTextBlock block = document_->findBlockByNumber(knownLines_ - 1);
    LineState start = startOf(block);
    bool outdated = false;
    const auto repaint = qScopeGuard([&] {
        if (outdated) editor_->viewport()->update();
    });
    for (int read = 1; knownLines_ <= line; ++read) {
        const LineState end = bibtex::readLine(block.text(), start);
        QTextBlock next = block.next();
        if (!next.isValid()) break;
        outdated = setStart(next, end) || outdated;
        ++knownLines_;
        block = next;
        start = LineState::fromPacked(storable(end));
        if (deadlineNs >= 0 && read % 256 == 0 && timer.nsecsElapsed() > deadlineNs) break;
    }
}

void Colouring::guessFrom(const QTextBlock& first, const QTextBlock& last) {
    QTextBlock block = first;
    for (int back = 0;
         back < kGuessBack && !document::DocumentIndex::isHeadLine(block) && block.previous().isValid();
         ++back)
        block = block.previous();
    if (!document::DocumentIndex::isHeadLine(block)) block = first;
    setStart(block, LineState()); // the lines on screen are coloured next, from what is stored now
    for (; block.isValid() && block != last; block = block.next()) {
        QTextBlock next = block.next();
        setStart(next, bibtex::readLine(block.text(), startOf(block)));
    }
}

void Colouring::readToEnd() {
    if (editor_->document() != document_) follow();
    knowUntil(blockCount_ - 1);
}

void Colouring::readInBackground() {
    if (!enabled_ || document_ != editor_->document()) return;
    if (busy_ && busy_()) {
        background_.start(50);
        return;
    }
    knowUntil(blockCount_ - 1, kSliceNs);
    if (knownLines_ < blockCount_) background_.start(0);
}

void Colouring::colour(QTextBlock& block, bool tell) {
    // A line being composed with an input method shows the composition in the formats the input method
    // gave (the segment being converted, underlines); it is coloured once the text is committed.
    if (!block.layout()->preeditAreaText().isEmpty()) return;
    const LineState start = startOf(block);
    const QList<QTextLayout::FormatRange> ranges = lineFormats(block.text(), start, look_);
    QTextLayout* layout = block.layout();
    if (layout->formats() != ranges) {
        layout->setFormats(ranges);
        if (tell) formatsChanged(block);
    }
    block.setUserState(document::line_state::withStart(block.userState(), storable(start), true));
}

void Colouring::uncolourAll() {
    if (!document_) return;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        if (!document::line_state::coloured(block.userState())) continue;
        block.layout()->clearFormats();
        formatsChanged(block);
        markUncoloured(block);
    }
}

void Colouring::onContentsChange(int from, int /*charsRemoved*/, int charsAdded) {
    textChanged_ = true;
    caretEntry_ = {};
    const int count = document_->blockCount();
    const int delta = count - blockCount_;
    blockCount_ = count;
    QTextBlock first = document_->findBlock(from);
    QTextBlock last = document_->findBlock(from + charsAdded);
    if (!last.isValid()) last = document_->lastBlock();
    // The changed lines' colours no longer fit their text.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        markUncoloured(block);
        if (block == last) break;
    }
    const int firstLine = first.blockNumber();
    const int lastLine = last.blockNumber();
    if (knownLines_ <= firstLine) return; // nothing known is affected
    // The lines after the change keep their states as they were; the number known before it applies to
    // them only if it reached beyond the changed lines.
    const int knownAfter = knownLines_ > lastLine - delta + 1 ? knownLines_ + delta : -1;
    knownLines_ = firstLine + 1;
    QTextBlock block = first;
    // A change that joins lines leaves the joined line with the block state of the last line it took in
    // (the text document keeps that block), not its own: its start is read again from the line above.
    const QTextBlock above = first.previous();
    const LineState start0 = above.isValid() ? bibtex::readLine(above.text(), startOf(above)) : LineState();
    setStart(first, start0);
    LineState start = startOf(first);
    // Lines below the change that were coloured from another start are painted again (the editor repaints
    // only the changed lines).
    bool outdated = false;
    const auto repaint = qScopeGuard([&] {
        if (outdated) editor_->viewport()->update();
    });
    for (int line = firstLine, beyond = 0;;) {
        const LineState end = bibtex::readLine(block.text(), start);
        QTextBlock next = block.next();
        if (!next.isValid()) break;
        ++line; // next's number
        if (line > lastLine) {
            if (knownAfter < 0 || line >= knownAfter) break;
            if (startOf(next) == LineState::fromPacked(storable(end))) {
                knownLines_ = knownAfter; // the rest starts as it did
                break;
            }
            if (++beyond > kReadOnAfterChange) break;
        }
        outdated = setStart(next, end) || outdated;
        knownLines_ = line + 1;
        block = next;
        start = LineState::fromPacked(storable(end));
    }
    if (knownLines_ < blockCount_ && !background_.isActive()) background_.start(0);
}

entry::EntryLines Colouring::entryAround(const QTextBlock& line) const {
    // A line's start is the state kept for the colouring where that is known; the walk up to where the
    // reading starts and the reading itself cover the entry's lines only.
    struct Blocks {
        int knownLines;
        QTextBlock previous(const QTextBlock& block) const { return block.previous(); }
        QTextBlock next(const QTextBlock& block) const { return block.next(); }
        bool isValid(const QTextBlock& block) const { return block.isValid(); }
        QString text(const QTextBlock& block) const { return block.text(); }
        std::optional<LineState> knownStart(const QTextBlock& block) const {
            if (block.blockNumber() < knownLines) return startOf(block);
            return std::nullopt;
        }
    };
    const auto at = entry::entryAround(line, Blocks{knownLines_});
    if (!at) return {};
    return {at->first.blockNumber(), at->last.blockNumber(), at->column};
}

entry::EntryLines Colouring::caretEntry() {
    if (editor_->document() != document_) follow();
    const QTextBlock line = editor_->textCursor().block();
    // A keystroke asks twice (the caret moved, then the paint): the answer holds until the text, the
    // caret's line or the lines known change. Without the colouring no change is followed: found afresh.
    if (!enabled_) return entryAround(line);
    const int number = line.blockNumber();
    if (caretEntry_.line != number || caretEntry_.knownLines != knownLines_)
        caretEntry_ = {number, knownLines_, entryAround(line)};
    return caretEntry_.entry;
}

void Colouring::paintEntryMark(const QPaintEvent& event) {
    // Under the text: the editor paints its lines over this, so every format of theirs (an input
    // method's composition too) stays visible.
    markedEntry_ = caretEntry();
    if (!markedEntry_.found()) return;
    QPainter painter(editor_->viewport());
    painter.setClipRegion(event.region());
    const QAbstractTextDocumentLayout* layout = document_->documentLayout();
    const qreal width = editor_->viewport()->width();
    const qreal height = editor_->viewport()->height();
    QTextBlock block = (editor_->*(&EditorAccess::firstVisibleBlock))();
    qreal top = (editor_->*(&EditorAccess::blockBoundingGeometry))(block)
                    .translated((editor_->*(&EditorAccess::contentOffset))())
                    .top();
    for (; block.isValid() && block.blockNumber() <= markedEntry_.last && top <= height;
         block = block.next()) {
        const qreal lineHeight = block.isVisible() ? layout->blockBoundingRect(block).height() : 0;
        if (block.blockNumber() >= markedEntry_.first)
            painter.fillRect(QRectF(0, top, width, lineHeight), look_.entry);
        top += lineHeight;
    }
}

void Colouring::showMatch() {
    if (!enabled_) return;
    if (editor_->document() != document_) follow();
    const QTextCursor cursor = editor_->textCursor();
    QList<QTextEdit::ExtraSelection> selections;
    // The entry mark is painted under the text; the view is painted again when the caret's entry is not
    // the one painted last.
    if (caretEntry() != markedEntry_) editor_->viewport()->update();
    auto select = [&](qsizetype position) {
        QTextCursor c(editor_->document());
        c.setPosition(int(position));
        c.setPosition(int(position) + 1, QTextCursor::KeepAnchor);
        selections.append({c, look_.match});
    };
    struct Blocks {
        Colouring* colouring;
        QTextBlock previous(const QTextBlock& block) const { return block.previous(); }
        QTextBlock next(const QTextBlock& block) const { return block.next(); }
        bool isValid(const QTextBlock& block) const { return block.isValid(); }
        QString text(const QTextBlock& block) const { return block.text(); }
        qsizetype position(const QTextBlock& block) const { return block.position(); }
        LineState start(const QTextBlock& block) const {
            colouring->knowUntil(block.blockNumber());
            return startOf(block);
        }
    };
    if (!cursor.hasSelection())
        if (const auto pair = matchAtCaret(cursor.block(), cursor.positionInBlock(), Blocks{this})) {
            select(pair->at);
            select(pair->match);
        }
    editor_->setExtraSelections(selections);
}

} // namespace view
