#include "view/store_colouring.h"

#include "view/text_view.h"

#include "document/line_state.h"
#include "document/text_store.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QScopeGuard>

namespace view {

using bibtex::LineState;
namespace line_state = document::line_state;

namespace {

// A store's lines as the rules of the entry and of the matching pair walk them.
struct StoreLines {
    const document::TextStore* store;
    qsizetype previous(qsizetype l) const { return l - 1; }
    qsizetype next(qsizetype l) const { return l + 1; }
    bool isValid(qsizetype l) const { return l >= 0 && l < store->lineCount(); }
    QString text(qsizetype l) const { return store->line(l).toString(); }
};

} // namespace

StoreColouring::StoreColouring(TextView* view) : QObject(view), view_(view) {
    look_ = colouringLook(view->palette());
    background_.setSingleShot(true);
    connect(&background_, &QTimer::timeout, this, &StoreColouring::readInBackground);
    connect(view, &TextView::cursorPositionChanged, this, &StoreColouring::followCaret);
    connect(view, &TextView::textChanged, this, &StoreColouring::followCaret);
    view->installEventFilter(this);
    store_ = view->store();
    view->setStyler(this);
    attached_ = true;
    showMatch();
}

StoreColouring::~StoreColouring() {
    // Not when the view is going away itself (the colouring is its child): it has said so.
    if (attached_ && view_) {
        view_->setStyler(nullptr);
        view_->setExtraSelections({});
        view_->setBand({});
    }
}

void StoreColouring::forget() {
    knownLines_ = 0;
    guessedFrom_ = guessedTo_ = -1;
    restyleFirst_ = restyleLast_ = -1;
    cachedLine_ = -1;
    matchStale_ = true;
    background_.stop();
}

void StoreColouring::setEnabled(bool enabled) {
    if (enabled == enabled_ || !view_) return;
    enabled_ = enabled;
    // Changes are not followed while off: the reading starts again from the top.
    forget();
    store_ = view_->store();
    view_->setStyler(enabled ? this : nullptr);
    attached_ = enabled;
    if (enabled) {
        showMatch();
    } else {
        view_->setExtraSelections({});
        view_->setBand({});
    }
}

void StoreColouring::detached() {
    // Nothing more is told of the store from now on, not even that it goes away.
    attached_ = false;
    store_ = nullptr;
    forget();
}

void StoreColouring::storeReplaced(document::TextStore* store) {
    store_ = store;
    forget();
    // The view clears its selections and band once it has taken the store; they are shown again after.
    QMetaObject::invokeMethod(this, &StoreColouring::showMatch, Qt::QueuedConnection);
}

bool StoreColouring::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PaletteChange && watched == view_ && attached_) {
        look_ = colouringLook(view_->palette());
        cachedLine_ = -1;
        if (enabled_ && store_) {
            view_->restyleLines(0, store_->lineCount() - 1);
            showMatch();
        }
    }
    return QObject::eventFilter(watched, event);
}

LineState StoreColouring::startOf(qsizetype line) const {
    return LineState::fromPacked(line_state::packedStart(store_->lines().state(line)));
}

void StoreColouring::setStart(qsizetype line, LineState start) {
    document::LineTable& table = store_->lines();
    const int state = table.state(line);
    const int packed = storableState(start);
    const bool wasColoured = line_state::coloured(state);
    const bool stillColoured = wasColoured && line_state::packedStart(state) == packed;
    if (state >= 0 && line_state::packedStart(state) == packed && wasColoured == stillColoured) return;
    table.setState(line, line_state::withStart(state, packed, stillColoured));
    if (wasColoured && !stillColoured) restyle(line, line);
}

void StoreColouring::knowUntil(qsizetype line, qint64 deadlineNs) {
    if (knownLines_ == 0) {
        setStart(0, LineState());
        knownLines_ = 1;
    }
    if (knownLines_ > line) return;
    QElapsedTimer timer;
    timer.start();
    const qsizetype count = store_->lineCount();
    qsizetype at = knownLines_ - 1;
    LineState start = startOf(at);
    for (int read = 1; knownLines_ <= line && at + 1 < count; ++read) {
        const LineState end = bibtex::readLine(store_->line(at), start);
        ++at;
        setStart(at, end);
        knownLines_ = at + 1;
        start = keptState(end);
        if (deadlineNs >= 0 && read % 256 == 0 && timer.nsecsElapsed() > deadlineNs) break;
    }
}

void StoreColouring::guessAround(qsizetype line) {
    if (line >= guessedFrom_ && line <= guessedTo_) return;
    qsizetype head = line;
    for (int back = 0; back < kGuessBack && !store_->isHeadLine(head) && head > 0; ++back)
        --head;
    if (!store_->isHeadLine(head)) head = line;
    // The lines a screen shows from here on are laid out next: their states are read in the same go.
    constexpr qsizetype kScreenLines = 200;
    const qsizetype last = std::min(line + kScreenLines, store_->lineCount() - 1);
    setStart(head, LineState());
    for (qsizetype at = head; at < last; ++at)
        setStart(at + 1, bibtex::readLine(store_->line(at), startOf(at)));
    guessedFrom_ = head;
    guessedTo_ = last;
}

QList<QTextLayout::FormatRange> StoreColouring::formatsOf(qsizetype line, QStringView /*text*/,
                                                          qsizetype /*from*/, qsizetype /*length*/) {
    if (!enabled_ || !store_ || line < 0 || line >= store_->lineCount()) return {};
    ++layingOut_;
    const auto done = qScopeGuard([this] { --layingOut_; });
    if (line - knownLines_ > kGuessBeyond)
        guessAround(line);
    else
        knowUntil(line);
    readLater();
    const int state = store_->lines().state(line);
    const int packed = line_state::packedStart(state);
    if (!line_state::coloured(state))
        store_->lines().setState(line, line_state::withStart(state, packed, true));
    if (line != cachedLine_ || packed != cachedStart_) {
        // Read after the states above: reading them moves the store's gap, so the text handed in may no
        // longer be where it was.
        cachedFormats_ = lineFormats(store_->line(line), LineState::fromPacked(packed), look_);
        cachedLine_ = line;
        cachedStart_ = packed;
    }
    return cachedFormats_;
}

void StoreColouring::textReplaced(const document::Replacement& r) {
    cachedLine_ = -1;
    matchStale_ = true;
    guessedFrom_ = guessedTo_ = -1;
    if (!enabled_ || !store_) return;
    const qsizetype first = r.firstLine;
    const qsizetype last = first + r.linesAdded();
    const qsizetype delta = r.linesAdded() - r.linesRemoved();
    if (restyleFirst_ >= 0) {
        // Restyling still to be told, in the numbers before the change: widened to cover them after it.
        restyleFirst_ = std::min(restyleFirst_, first);
        restyleLast_ = std::max(restyleLast_ + std::max<qsizetype>(delta, 0), last);
    }
    const auto afterwards = qScopeGuard([this] {
        readLater();
        flushRestyle();
    });
    if (knownLines_ <= first) return; // nothing known is affected
    // The lines after the change keep their states as they were; the number known before it applies to
    // them only if it reached beyond the changed lines.
    const qsizetype knownAfter = knownLines_ > last - delta + 1 ? knownLines_ + delta : -1;
    const qsizetype count = store_->lineCount();
    knownLines_ = first + 1;
    LineState start = startOf(first);
    for (qsizetype at = first, beyond = 0;;) {
        const LineState end = bibtex::readLine(store_->line(at), start);
        const qsizetype next = at + 1;
        if (next >= count) break;
        if (next > last) {
            if (knownAfter < 0 || next >= knownAfter) break;
            if (startOf(next) == keptState(end)) {
                knownLines_ = knownAfter; // the rest starts as it did
                break;
            }
            if (++beyond > kReadOnAfterChange) break;
        }
        setStart(next, end);
        knownLines_ = next + 1;
        at = next;
        start = keptState(end);
    }
}

void StoreColouring::readToEnd() {
    if (!enabled_ || !store_) return;
    knowUntil(store_->lineCount() - 1);
    flushRestyle();
}

void StoreColouring::readLater() {
    if (store_ && knownLines_ < store_->lineCount() && !background_.isActive()) background_.start(0);
}

void StoreColouring::readInBackground() {
    if (!enabled_ || !store_) return;
    if (busy_ && busy_()) {
        background_.start(50);
        return;
    }
    knowUntil(store_->lineCount() - 1, kSliceNs);
    flushRestyle();
    readLater();
}

void StoreColouring::restyle(qsizetype first, qsizetype last) {
    if (restyleFirst_ < 0) {
        restyleFirst_ = first;
        restyleLast_ = last;
    } else {
        restyleFirst_ = std::min(restyleFirst_, first);
        restyleLast_ = std::max(restyleLast_, last);
    }
    if (layingOut_ > 0 && !flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                flushQueued_ = false;
                flushRestyle();
            },
            Qt::QueuedConnection);
    }
}

void StoreColouring::flushRestyle() {
    if (layingOut_ > 0 || restyleFirst_ < 0) return;
    const qsizetype first = restyleFirst_;
    const qsizetype last = restyleLast_;
    restyleFirst_ = restyleLast_ = -1;
    if (view_ && attached_ && store_) view_->restyleLines(first, std::min(last, store_->lineCount() - 1));
}

entry::EntryLines StoreColouring::entryAround(const document::TextStore& store, qsizetype line) const {
    // A line's start is the state kept for the colouring where that is known (the colouring on and
    // following this store); the walk up to where the reading starts and the reading itself cover the
    // entry's lines only.
    struct Lines : StoreLines {
        const StoreColouring* colouring;
        std::optional<LineState> knownStart(qsizetype l) const {
            if (store == colouring->store_ && l < colouring->knownLines_) return colouring->startOf(l);
            return std::nullopt;
        }
    };
    const auto at = entry::entryAround(line, Lines{{&store}, this});
    if (!at) return {};
    return {int(at->first), int(at->last), at->column};
}

entry::EntryLines StoreColouring::caretEntry() const {
    // The view's store, with the colouring off too (it then follows no store): 文献の修正 asks for it.
    const document::TextStore* store = view_ ? view_->store() : nullptr;
    if (!store) return {};
    return entryAround(*store, store->lineAt(view_->caret()));
}

void StoreColouring::followCaret() {
    // A keystroke tells of its change and then of the caret it moved: what the first worked out stands for
    // the second.
    if (!matchStale_ && view_ && view_->caret() == shownCaret_ && view_->anchor() == shownAnchor_) return;
    showMatch();
}

void StoreColouring::showMatch() {
    if (!enabled_ || !attached_ || !view_ || !store_ || view_->store() != store_) return;
    ++matchesShown_;
    matchStale_ = false;
    shownCaret_ = view_->caret();
    shownAnchor_ = view_->anchor();
    const qsizetype caret = view_->caret();
    const qsizetype line = store_->lineAt(caret);
    QList<ExtraSelection> selections;
    struct Lines : StoreLines {
        StoreColouring* colouring;
        qsizetype position(qsizetype l) const { return store->lineStart(l); }
        LineState start(qsizetype l) const {
            colouring->knowUntil(l);
            return colouring->startOf(l);
        }
    };
    if (!view_->hasSelection())
        if (const auto pair = matchAtCaret(line, caret - store_->lineStart(line), Lines{{store_}, this}))
            selections = {{pair->at, 1, look_.match}, {pair->match, 1, look_.match}};
    view_->setExtraSelections(selections);
    const entry::EntryLines entry = entryAround(*store_, line);
    view_->setBand(entry.found() ? LineBand{entry.first, entry.last, look_.entry} : LineBand{});
    flushRestyle();
}

} // namespace view
