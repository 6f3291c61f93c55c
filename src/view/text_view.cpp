#include "view/text_view.h"

#include "document/anchors.h"
#include "text/caret_stops.h"
#include "view/text_view_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLine>

#include <algorithm>

namespace view {

namespace {

// Lines counted one by one to find a line's place on screen (those within two screens of the top laid
// out); beyond, the rows of the line table count.
constexpr qsizetype kSumReach = 2000;
// The surrounding text an input method is given: the caret's line within this many characters each way.
constexpr qsizetype kSurrounding = 1024;

// The menu's texts are Qt's own, in the language of Qt's translation the program loads.
QString menuText(const char* text, std::optional<QKeySequence::StandardKey> key = {}) {
    QString caption = QCoreApplication::translate("QWidgetTextControl", text);
    if (key && !QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus) &&
        QGuiApplication::styleHints()->showShortcutsInContextMenus()) {
        const QString shortcut = QKeySequence(*key).toString(QKeySequence::NativeText);
        if (!shortcut.isEmpty()) caption += u'\t' + shortcut;
    }
    return caption;
}

} // namespace

// ---- Actions and signals ----

class TextView::Action {
public:
    explicit Action(TextView& view, bool keepCaretVisible = true) : view_(view) {
        ++view_.actionDepth_;
        if (keepCaretVisible) view_.keepCaretVisible_ = true;
    }
    ~Action() {
        if (--view_.actionDepth_ == 0) view_.finishAction();
    }
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;

private:
    TextView& view_;
};

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
    installTextViewAccessibility();
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    layout_.setFont(font());
    layout_.setWidth(viewport()->width());
}

TextView::~TextView() {
    if (store_) store_->removeObserver(this);
    if (LineStyler* styler = layout_.styler()) styler->detached();
}

void TextView::setBuffer(document::TextStore* store, document::EditHistory* history) {
    Action action(*this, false);
    if (store_) store_->removeObserver(this);
    marks_.reset();
    clickMarks_.reset();
    store_ = store;
    history_ = history;
    layout_.setPreedit({});
    layout_.setStore(store);
    if (LineStyler* styler = layout_.styler()) styler->storeReplaced(store);
    lastTop_.reset();
    if (store_) {
        store_->addObserver(this);
        marks_ = std::make_unique<document::AnchorSet>(*store_, QList<qsizetype>{0, 0});
        clickMarks_ = std::make_unique<document::AnchorSet>(*store_, QList<qsizetype>{0, 0, 0, 0});
    }
    clickedWord_ = clickedLine_ = false;
    topLine_ = 0;
    topRow_ = 0;
    fracture_ = 0;
    stickyX_.reset();
    extraSelections_.clear();
    band_ = {};
    viewport()->update();
}

void TextView::textStoreDestroyed() {
    store_ = nullptr;
    history_ = nullptr;
    marks_.reset();
    clickMarks_.reset();
    layout_.setStore(nullptr);
    if (LineStyler* styler = layout_.styler()) styler->storeReplaced(nullptr);
    viewport()->update();
}

qsizetype TextView::caret() const {
    return marks_ ? marks_->position(1) : 0;
}

qsizetype TextView::anchor() const {
    return marks_ ? marks_->position(0) : 0;
}

QString TextView::selectedText() const {
    return store_ ? store_->mid(selectionStart(), selectionEnd() - selectionStart()) : QString();
}

void TextView::setSelection(qsizetype anchor, qsizetype caret) {
    if (!marks_) return;
    Action action(*this);
    anchor = std::clamp<qsizetype>(anchor, 0, store_->size());
    caret = std::clamp<qsizetype>(caret, 0, store_->size());
    marks_->reset({anchor, caret});
    stickyX_.reset();
}

void TextView::finishAction() {
    if (keepCaretVisible_) {
        keepCaretVisible_ = false;
        ensureCaretVisible();
    }
    updateScrollBars();
    if (textChanged_) {
        textChanged_ = false;
        Q_EMIT textChanged();
    }
    const qsizetype c = caret(), a = anchor();
    const bool moved = c != reportedCaret_;
    const bool hadSelection = reportedCaret_ != reportedAnchor_;
    const bool selectionMoved =
        (hadSelection || c != a) && (std::min(c, a) != std::min(reportedCaret_, reportedAnchor_) ||
                                     std::max(c, a) != std::max(reportedCaret_, reportedAnchor_));
    reportedCaret_ = c;
    reportedAnchor_ = a;
    if (moved || selectionMoved) viewport()->update();
    // The caret's place for the page keys is kept until the caret moves otherwise (a key that could not
    // move it, a change of the selection's other end, keep it).
    if (pageMove_)
        pageCaretY_ = std::exchange(pageMove_, std::nullopt);
    else if (moved)
        pageCaretY_.reset();
    if (moved) {
        showCaretNow();
        Q_EMIT cursorPositionChanged();
        if (QAccessible::isActive()) {
            QAccessibleTextCursorEvent event(this, int(c));
            QAccessible::updateAccessibility(&event);
        }
    }
    if (selectionMoved) {
        Q_EMIT selectionChanged();
        if (QAccessible::isActive()) {
            QAccessibleTextSelectionEvent event(this, int(std::min(c, a)), int(std::max(c, a)));
            event.setCursorPosition(int(c));
            QAccessible::updateAccessibility(&event);
        }
    }
    if (hadSelection != (c != a)) Q_EMIT copyAvailable(c != a);
    if (isUndoAvailable() != reportedUndo_) Q_EMIT undoAvailable(reportedUndo_ = isUndoAvailable());
    if (isRedoAvailable() != reportedRedo_) Q_EMIT redoAvailable(reportedRedo_ = isRedoAvailable());
    updateMicroFocus();
}

void TextView::textReplaced(const document::Replacement& r) {
    Action action(*this, false);
    const qsizetype first = r.firstLine;
    const qsizetype delta = r.linesAdded() - r.linesRemoved();
    if (lastTop_ && (delta != 0 || first >= lastTop_->line - 1)) lastTop_.reset();
    const qreal oldHeight = layout_.isCached(first) ? layout_.line(first).height : -1;
    layout_.textReplaced(r);
    // The top stays the line of the same number, as it always has: a change above it moves the text up
    // or down under it. A top beyond the text's end goes to the top of the last screen at once, with no
    // part of a pixel carried (there is no old place to have scrolled from).
    if (topLine_ >= store_->lineCount()) {
        topLine_ = store_->lineCount() - 1;
        topRow_ = 0;
        const RowAt last = lastTop();
        topLine_ = last.line;
        topRow_ = last.row;
        fracture_ = 0;
    }
    if (LineStyler* styler = layout_.styler()) styler->textReplaced(r);
    // A change that takes away the top line's row at the top (Enter or Delete over a selection from
    // there) brings the next line to the top, as the editor always has.
    if (topRow_ > 0 && topLine_ >= first && topLine_ <= first + r.linesAdded() &&
        topLine_ + 1 < store_->lineCount() && topRow_ >= layout_.line(topLine_).rows) {
        ++topLine_;
        topRow_ = 0;
    }
    textChanged_ = true;
    // One line whose height stays is repainted alone; otherwise everything from it down.
    const bool lineOnly = delta == 0 && oldHeight >= 0 && layout_.line(first).height == oldHeight;
    repaintFrom(first, lineOnly);
    Q_EMIT linesReplaced(first, r.linesRemoved(), r.linesAdded());
    if (QAccessible::isActive()) {
        if (!r.removed.isEmpty() && !r.inserted.isEmpty()) {
            QAccessibleTextUpdateEvent event(this, int(r.from), r.removed, r.inserted);
            QAccessible::updateAccessibility(&event);
        } else if (!r.removed.isEmpty()) {
            QAccessibleTextRemoveEvent event(this, int(r.from), r.removed);
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessibleTextInsertEvent event(this, int(r.from), r.inserted);
            QAccessible::updateAccessibility(&event);
        }
    }
}

// ---- Editing ----

void TextView::edit(qsizetype from, qsizetype length, QStringView text, document::EditKind kind) {
    if (!history_) return;
    Action action(*this, false);
    history_->edit(from, length, text, kind);
    stickyX_.reset();
}

void TextView::replaceSelection(QStringView text, document::EditKind kind) {
    edit(selectionStart(), selectionEnd() - selectionStart(), text, kind);
}

void TextView::insertText(QStringView text) {
    Action action(*this);
    replaceSelection(text, document::EditKind::Command);
}

void TextView::cut() {
    if (readOnly_ || !hasSelection()) return;
    Action action(*this);
    copy();
    replaceSelection({}, document::EditKind::Command);
}

void TextView::copy() const {
    // The characters as they are: a no-break space stays one.
    if (hasSelection()) QGuiApplication::clipboard()->setText(selectedText());
}

void TextView::paste() {
    if (readOnly_) return;
    insertFromMimeData(QGuiApplication::clipboard()->mimeData());
}

void TextView::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) insertText(source->text());
}

void TextView::deleteSelection() {
    if (readOnly_ || !hasSelection()) return;
    Action action(*this);
    replaceSelection({}, document::EditKind::Command);
}

void TextView::selectAll() {
    if (!store_) return;
    Action action(*this, false);
    marks_->reset({0, store_->size()});
    stickyX_.reset();
}

bool TextView::isUndoAvailable() const {
    return history_ && history_->canUndo();
}

bool TextView::isRedoAvailable() const {
    return history_ && history_->canRedo();
}

void TextView::undo() {
    if (readOnly_ || !history_) return;
    Action action(*this);
    if (const std::optional<qsizetype> at = history_->undo()) {
        marks_->reset({*at, *at});
        stickyX_.reset();
    }
}

void TextView::redo() {
    if (readOnly_ || !history_) return;
    Action action(*this);
    if (const std::optional<qsizetype> at = history_->redo()) {
        marks_->reset({*at, *at});
        stickyX_.reset();
    }
}

void TextView::beginStep(std::optional<qsizetype> caretOnUndo) {
    ++actionDepth_;
    keepCaretVisible_ = true;
    if (history_) history_->beginStep(caretOnUndo);
}

void TextView::endStep() {
    if (history_) history_->endStep();
    if (--actionDepth_ == 0) finishAction();
}

void TextView::setReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly_);
    viewport()->setCursor(readOnly_ ? Qt::ArrowCursor : Qt::IBeamCursor);
    restartBlink();
    viewport()->update();
}

void TextView::setWrapAnywhere(bool anywhere) {
    const QTextOption::WrapMode mode =
        anywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (mode == layout_.wrapMode()) return;
    layout_.setWrapMode(mode);
    lastTop_.reset();
    updateScrollBars();
    viewport()->update();
}

// ---- The colouring's hooks ----

void TextView::setStyler(LineStyler* styler) {
    LineStyler* was = layout_.styler();
    layout_.setStyler(styler);
    if (was && was != styler) was->detached();
    lastTop_.reset();
    viewport()->update();
}

void TextView::restyleLines(qsizetype first, qsizetype last) {
    layout_.restyle(first, last);
    if (lastTop_ && last >= lastTop_->line - 1) lastTop_.reset();
    if (last >= topLine_ && first <= lastVisibleLine()) viewport()->update();
}

void TextView::setExtraSelections(const QList<ExtraSelection>& selections) {
    if (selections == extraSelections_) return;
    extraSelections_ = selections;
    viewport()->update();
}

void TextView::setBand(const LineBand& band) {
    if (band == band_) return;
    band_ = band;
    viewport()->update();
}

// ---- Geometry ----

qreal TextView::baseOffset(RowAt top) const {
    // How far the top row's top is below its line's top: the bottom of the row above, without its
    // leading; at the very top, the margin above the first line (negative).
    if (top.row == 0) return top.line == 0 ? -qreal(ViewLayout::kMargin) : 0;
    // A top row a change took away (the line has fewer rows now) shows the line from its top.
    if (top.row > layout_.line(top.line).rows) return 0;
    return layout_.rowTop(top.line, top.row - 1) + layout_.rowNaturalHeight(top.line, top.row - 1);
}

qreal TextView::verticalOffset() const {
    return baseOffset({topLine_, topRow_}) + fracture_;
}

qreal TextView::lineY(qsizetype line, bool layOut) const {
    // Lines within two screens of the top are laid out (they are shown, or are about to be); further ones
    // count what is known of them, and far ones the rows of the line table.
    const qreal reach = layOut ? 2 * qreal(viewport()->height()) : 0;
    qreal y = 0;
    const document::LineTable& table = store_->lines();
    if (line > topLine_) {
        for (qsizetype l = topLine_; l < line; ++l) {
            if (l - topLine_ >= kSumReach) {
                y += qreal(table.firstRowOf(line) - table.firstRowOf(l)) * layout_.defaultRowHeight();
                break;
            }
            y += y < reach ? layout_.line(l).height : layout_.knownHeight(l);
        }
    } else {
        for (qsizetype l = topLine_ - 1; l >= line; --l) {
            if (topLine_ - l >= kSumReach) {
                y -= qreal(table.firstRowOf(l + 1) - table.firstRowOf(line)) * layout_.defaultRowHeight();
                break;
            }
            y -= -y < reach ? layout_.line(l).height : layout_.knownHeight(l);
        }
    }
    return y;
}

qreal TextView::lineTop(qsizetype line) const {
    return lineY(line) - verticalOffset();
}

TextView::Spot TextView::spotOf(qsizetype position, bool atComposition) const {
    const qsizetype line = store_->lineAt(position);
    qsizetype column = position - store_->lineStart(line);
    const ViewLayout::Line& l = layout_.line(line);
    const int k = ViewLayout::pieceOf(l, column);
    const ViewLayout::Piece& p = layout_.laidPiece(line, k);
    column -= p.start;
    // Where the composition stands, the text after it moves on by its length.
    const Preedit& preedit = layout_.preedit();
    if (atComposition && !preedit.isEmpty()) {
        const qsizetype at = preedit.position - store_->lineStart(line) - p.start;
        if (at >= 0 && at <= p.length && store_->lineAt(preedit.position) == line &&
            ViewLayout::pieceOf(l, preedit.position - store_->lineStart(line)) == k) {
            if (column == at)
                column += preedit.caret;
            else if (column > at)
                column += preedit.text.size();
        }
    }
    const QTextLine row = p.layout->lineForTextPosition(int(column));
    return {line, k, row.isValid() ? row.lineNumber() : 0, int(column)};
}

qreal TextView::caretX(qsizetype position) const {
    const Spot s = spotOf(position);
    const ViewLayout::Piece& p = layout_.laidPiece(s.line, s.piece);
    return p.layout->lineAt(s.row).cursorToX(s.column);
}

qreal TextView::caretTop(qsizetype position) const {
    const Spot s = spotOf(position);
    const ViewLayout::Line& l = layout_.line(s.line);
    const ViewLayout::Piece& p = layout_.laidPiece(s.line, s.piece);
    return lineY(s.line) + ViewLayout::pieceTop(l, s.piece) + p.layout->lineAt(s.row).y();
}

QRect TextView::caretRect() const {
    return caretRect(caret());
}

QRectF TextView::caretBox(qsizetype position) const {
    if (!store_) return {};
    const Spot s = spotOf(std::clamp<qsizetype>(position, 0, store_->size()));
    const ViewLayout::Line& l = layout_.line(s.line);
    const ViewLayout::Piece& p = layout_.laidPiece(s.line, s.piece);
    const QTextLine row = p.layout->lineAt(s.row);
    return QRectF(row.cursorToX(s.column), lineY(s.line) + ViewLayout::pieceTop(l, s.piece) + row.y(), 1,
                  row.height());
}

QRect TextView::caretRect(qsizetype position) const {
    // Rounded as the editor has always rounded it: the place in the text, then the scrolled offset.
    return caretBox(position).toRect().translated(0, -int(verticalOffset()));
}

QRect TextView::characterRect(qsizetype position) const {
    if (!store_ || position < 0 || position >= store_->size()) return {};
    const Spot s = spotOf(position, false);
    const ViewLayout::Line& l = layout_.line(s.line);
    const ViewLayout::Piece& p = layout_.laidPiece(s.line, s.piece);
    const QTextLine row = p.layout->lineAt(s.row);
    const QFontMetrics metrics(font());
    const QString character = store_->mid(
        position, position + 1 < store_->size() && QChar(store_->at(position)).isHighSurrogate() ? 2 : 1);
    const qreal y = lineTop(s.line) + ViewLayout::pieceTop(l, s.piece) + row.y();
    return QRect(int(row.cursorToX(s.column)), int(y + row.ascent() + metrics.descent() - metrics.height()),
                 character == u"\n" ? 0 : metrics.horizontalAdvance(character), metrics.height());
}

int TextView::rowOf(qsizetype position, bool atComposition) const {
    const Spot s = spotOf(position, atComposition);
    return ViewLayout::firstRowOfPiece(layout_.line(s.line), s.piece) + s.row;
}

qreal TextView::blockHeight(qsizetype line) const {
    // The last line has the margin below it.
    return layout_.line(line).height + (line + 1 == store_->lineCount() ? ViewLayout::kMargin : 0);
}

TextView::RowAt TextView::nextRow(RowAt at) const {
    if (at.row + 1 < layout_.line(at.line).rows) return {at.line, at.row + 1};
    if (at.line + 1 < store_->lineCount()) return {at.line + 1, 0};
    return {-1, 0};
}

TextView::RowAt TextView::previousRow(RowAt at) const {
    if (at.row > 0) return {at.line, at.row - 1};
    if (at.line > 0) return {at.line - 1, layout_.line(at.line - 1).rows - 1};
    return {-1, 0};
}

qsizetype TextView::positionInRow(qsizetype line, int row, qreal x) const {
    const auto [k, r] = ViewLayout::pieceRow(layout_.line(line), row);
    const ViewLayout::Piece& p = layout_.laidPiece(line, k);
    const QTextLine textLine = p.layout->lineAt(std::min(r, p.layout->lineCount() - 1));
    qsizetype column = textLine.xToCursor(x);
    // A position inside the composition is the composition's place in the text.
    const Preedit& preedit = layout_.preedit();
    const qsizetype start = store_->lineStart(line) + p.start;
    if (!preedit.isEmpty() && preedit.position >= start) {
        const qsizetype at = preedit.position - start;
        if (column > at) column = std::max(at, column - preedit.text.size());
    }
    return std::min(start + column, store_->lineStart(line) + store_->lineLength(line));
}

qsizetype TextView::positionAt(const QPoint& point) const {
    if (!store_) return 0;
    // As the editor has always hit-tested: the line under the point, then the row in it; above a line's
    // rows is its start, below them its end.
    const qreal y = point.y() + verticalOffset();
    qsizetype line = topLine_;
    qreal top = 0;
    for (int steps = 0; line + 1 < store_->lineCount() && top + blockHeight(line) <= y && steps < kSumReach;
         ++steps)
        top += blockHeight(line++);
    for (int steps = 0; line > 0 && top > y && steps < kSumReach; ++steps)
        top -= blockHeight(--line);
    const qreal local = y - top;
    const ViewLayout::Line& l = layout_.line(line);
    if (local < 0) return store_->lineStart(line);
    for (int k = 0; k < int(l.pieces.size()); ++k) {
        const qreal pieceTop = ViewLayout::pieceTop(l, k);
        if (local >= pieceTop + l.pieces[size_t(k)].height && k + 1 < int(l.pieces.size())) continue;
        const ViewLayout::Piece& p = layout_.laidPiece(line, k);
        for (int r = 0; r < p.layout->lineCount(); ++r) {
            const QTextLine row = p.layout->lineAt(r);
            if (local < pieceTop + row.y() + row.height())
                return positionInRow(line, ViewLayout::firstRowOfPiece(l, k) + r, point.x());
        }
        break;
    }
    return store_->lineStart(line) + store_->lineLength(line);
}

qsizetype TextView::lastVisibleLine() const {
    if (!store_) return 0;
    const qreal height = viewport()->height();
    qreal y = lineTop(topLine_);
    qsizetype line = topLine_;
    while (line + 1 < store_->lineCount() && y + layout_.line(line).height < height)
        y += layout_.line(line++).height;
    return line;
}

// ---- Scrolling ----

TextView::RowAt TextView::lastTop() const {
    if (!lastTop_) lastTop_ = findLastTop();
    return *lastTop_;
}

TextView::RowAt TextView::findLastTop() const {
    // The top that shows the last row at the bottom, as the editor has always counted it: the rows that fit
    // whole above the bottom margin. Only the pieces of a long line that come into it are laid out.
    const qreal visible = viewport()->height() - ViewLayout::kMargin - 1;
    const qsizetype count = store_->lineCount();
    qreal y = ViewLayout::kMargin;
    for (qsizetype line = count - 1; line >= 0 && count - line <= kSumReach; --line) {
        const ViewLayout::Line& l = layout_.line(line);
        for (int k = int(l.pieces.size()) - 1; k >= 0; --k) {
            const ViewLayout::Piece& p = layout_.laidPiece(line, k);
            y += p.height;
            if (y <= visible) continue;
            for (int row = 0; row < p.rows; ++row)
                if (p.layout->lineAt(row).y() >= y - visible)
                    return {line, ViewLayout::firstRowOfPiece(l, k) + row};
            if (k + 1 < int(l.pieces.size())) return {line, ViewLayout::firstRowOfPiece(l, k + 1)};
            return line + 1 < count ? RowAt{line + 1, 0} : RowAt{line, l.rows - 1};
        }
    }
    return {0, 0};
}

TextView::RowAt TextView::clampedTop(RowAt top) const {
    top.line = std::clamp<qsizetype>(top.line, 0, store_->lineCount() - 1);
    top.row = std::clamp(top.row, 0, layout_.line(top.line).rows - 1);
    const RowAt last = lastTop();
    if (top.line > last.line || (top.line == last.line && top.row > last.row)) return last;
    return top;
}

void TextView::moveTop(RowAt top) {
    if (top.line == topLine_ && top.row == topRow_) return;
    // The view scrolls by whole pixels, as the editor always has: the part of a pixel left over stays with
    // the offset until the next scroll.
    // (What is known of the lines between is enough: their heights are whole pixels.)
    const qreal moved = isVisible() ? lineY(top.line, false) - verticalOffset() : 0;
    topLine_ = top.line;
    topRow_ = top.row;
    const qreal realDy = -moved - baseOffset(top);
    const int dy = int(realDy);
    fracture_ = isVisible() && dy != 0 ? realDy - dy : 0;
}

void TextView::setTop(RowAt top) {
    top = clampedTop(top);
    if (top.line == topLine_ && top.row == topRow_) return;
    moveTop(top);
    updateScrollBars();
    viewport()->update();
    updateMicroFocus();
}

void TextView::scrollToLine(qsizetype line, int row) {
    if (!store_) return;
    setTop({line, row});
}

void TextView::updateScrollBars() {
    QScrollBar* bar = verticalScrollBar();
    const QScopedValueRollback<bool> setting(settingScrollBar_, true);
    if (!store_) {
        bar->setRange(0, 0);
        return;
    }
    const RowAt last = lastTop();
    const document::LineTable& table = store_->lines();
    if (topLine_ > last.line || (topLine_ == last.line && topRow_ > last.row)) {
        moveTop(last);
        viewport()->update();
    }
    const qsizetype maximum = table.firstRowOf(last.line) + last.row;
    bar->setRange(0, int(maximum));
    bar->setPageStep(int(table.rowCount() - maximum));
    bar->setValue(int(table.firstRowOf(topLine_) + topRow_));
    scrollRows_ = table.rowCount();
}

void TextView::scrollContentsBy(int, int) {
    if (settingScrollBar_ || !store_) return;
    const document::LineTable& table = store_->lines();
    const qsizetype row = verticalScrollBar()->value();
    const qsizetype line = table.lineAtRow(row);
    moveTop({line, std::clamp(int(row - table.firstRowOf(line)), 0, layout_.line(line).rows - 1)});
    viewport()->update();
    updateMicroFocus();
}

void TextView::ensureCaretVisible() {
    if (!store_) return;
    // The insertion point is kept in view: a composition may reach beyond it.
    const qsizetype position = caret();
    const Spot s = spotOf(position, false);
    const RowAt at{s.line, rowOf(position, false)};
    const qreal rowTop = layout_.rowTop(at.line, at.row);
    const qreal rowBottom = rowTop + layout_.rowNaturalHeight(at.line, at.row);
    const qreal lineTopNow = lineY(at.line);
    const qreal height = viewport()->height();
    const qreal visibleTop = verticalOffset();
    if (lineTopNow + rowBottom >= visibleTop + height) {
        // Below: the lines above it come down until the caret's row is the lowest one shown whole.
        qreal h = rowBottom;
        qsizetype line = at.line, below = at.line;
        while (h < height && line > 0) {
            below = line;
            h += blockHeight(--line);
        }
        const qreal margin = line == 0 ? ViewLayout::kMargin : 0;
        // The first row whose top is no more than a screen above the caret's row's bottom.
        int row = layout_.firstRowFrom(line, h + margin - height);
        if (row >= layout_.line(line).rows) {
            line = below;
            row = 0;
        }
        setTop({line, row});
    } else if (lineTopNow + rowTop < visibleTop) {
        setTop(at);
    }
}

void TextView::centreCaret() {
    if (!store_) return;
    const qsizetype position = caret();
    RowAt top{store_->lineAt(position), rowOf(position)};
    qreal used = layout_.rowHeight(top.line, top.row) / 2;
    for (RowAt up = previousRow(top); up.line >= 0; up = previousRow(up)) {
        used += layout_.rowHeight(up.line, up.row);
        if (used > viewport()->height() / 2.0) break;
        top = up;
    }
    setTop(top);
}

void TextView::pageUpDown(bool down, bool select) {
    Action action(*this);
    ensureCaretVisible();
    const qreal caretY = pageCaretY_.value_or(caretTop(caret()) - verticalOffset());
    const qreal height = viewport()->height();
    qreal lastY = caretY;
    if (down) {
        // The first row not shown whole comes to the top.
        const qreal bottom = verticalOffset() + height;
        qsizetype line = topLine_;
        qreal h = 0;
        bool atEnd = false;
        while (h + blockHeight(line) <= bottom) {
            if (line + 1 >= store_->lineCount()) {
                atEnd = true;
                lastY = bottom;
                break;
            }
            h += blockHeight(line++);
        }
        if (!atEnd) setTop({line, layout_.firstRowEndingBelow(line, bottom - h)});
    } else {
        // The rows a page above come down.
        const qreal top = verticalOffset() - height;
        qsizetype line = topLine_;
        qreal h = 0;
        while (h >= top) {
            if (line == 0) {
                if (topLine_ == 0 && topRow_ == 0) lastY = 0;
                break;
            }
            h -= blockHeight(--line);
        }
        const int rows = layout_.line(line).rows;
        int row = layout_.firstRowFrom(line, top - h);
        if (row == rows) {
            if (line + 1 < store_->lineCount() && line + 1 != topLine_) {
                ++line;
                row = 0;
            } else {
                --row;
            }
        }
        setTop({line, row});
    }
    // The caret moves row by row, keeping its x, to where it stood on screen.
    lastY += verticalOffset();
    if (!stickyX_) stickyX_ = caretX(caret());
    qsizetype position = caret();
    bool stepped = false; // a row above or below was there to go to
    for (;;) {
        const RowAt here{store_->lineAt(position), rowOf(position)};
        const RowAt next = down ? nextRow(here) : previousRow(here);
        if (next.line < 0) break;
        stepped = true;
        const qsizetype to = positionInRow(next.line, next.row, *stickyX_);
        // A row whose only place is where the caret is (a wrap point) moves it no further.
        if (to == position) break;
        position = to;
        const qreal y = caretTop(position);
        if (down ? y >= lastY : y <= lastY) break;
    }
    // A caret with no row to go to keeps the selection as it is; one that went to a row and found only its
    // own place there (a wrap point) leaves the selection without Shift, as the editor always has.
    if (position != caret() || (stepped && !select)) marks_->reset({select ? anchor() : position, position});
    // The caret's place on screen is kept for the next page key (any other move forgets it).
    pageMove_ = caretY;
}

void TextView::repaintFrom(qsizetype line, bool lineOnly) {
    if (!store_ || line > lastVisibleLine()) return;
    if (line < topLine_) {
        viewport()->update();
        return;
    }
    const qreal top = lineTop(line);
    const qreal height = lineOnly ? layout_.line(line).height : viewport()->height() - top;
    viewport()->update(QRectF(0, top, viewport()->width(), height).toAlignedRect());
}

// ---- Painting ----

void TextView::paintEvent(QPaintEvent* e) {
    if (!store_) return;
    QPainter painter(viewport());
    const QRect clip = e->rect();
    const qreal width = viewport()->width();
    const qreal height = viewport()->height();
    const qsizetype selectionFrom = selectionStart(), selectionTo = selectionEnd();
    const qsizetype caretAt = caret();
    const bool active = hasFocus() || !isActiveWindow();
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selectionFormat;
    selectionFormat.setBackground(palette().brush(group, QPalette::Highlight));
    selectionFormat.setForeground(palette().brush(group, QPalette::HighlightedText));
    const Preedit& preedit = layout_.preedit();
    const bool showCaret =
        hasFocus() && caretShown_ && !readOnly_ && (preedit.isEmpty() || preedit.caretVisible);
    Q_UNUSED(active);

    qreal y = lineTop(topLine_);
    qsizetype line = topLine_;
    for (; line < store_->lineCount() && y < height; ++line) {
        ViewLayout::Line& l = layout_.line(line);
        // The pieces on screen are laid out first, so that the line's height is known.
        for (int k = 0; k < int(l.pieces.size()); ++k) {
            const qreal top = y + ViewLayout::pieceTop(l, k);
            if (top >= height) break;
            if (top + l.pieces[size_t(k)].height > 0) layout_.laidPiece(line, k);
        }
        if (line >= band_.first && line <= band_.last && band_.colour.isValid())
            painter.fillRect(QRectF(0, y, width, l.height), band_.colour);
        const qsizetype lineStart = store_->lineStart(line);
        const qsizetype lineLength = store_->lineLength(line);
        for (int k = 0; k < int(l.pieces.size()); ++k) {
            const qreal top = y + ViewLayout::pieceTop(l, k);
            ViewLayout::Piece& p = l.pieces[size_t(k)];
            if (top >= height) break;
            if (top + p.height <= clip.top() || top > clip.bottom() || !p.layout) continue;
            const qsizetype from = lineStart + p.start, to = from + p.length;
            // Positions in the layout: after the composition they move on by its length.
            const qsizetype composing = !preedit.isEmpty() && preedit.position >= from &&
                                                preedit.position <= to &&
                                                ViewLayout::pieceOf(l, preedit.position - lineStart) == k
                                            ? preedit.position - from
                                            : -1;
            auto local = [&](qsizetype position) {
                qsizetype c = std::clamp<qsizetype>(position - from, 0, p.length);
                if (composing >= 0 && c > composing) c += preedit.text.size();
                return int(c);
            };
            QList<QTextLayout::FormatRange> selections;
            for (const ExtraSelection& s : extraSelections_)
                if (s.from < to && s.from + s.length > from)
                    selections.append({local(s.from), local(s.from + s.length) - local(s.from), s.format});
            if (selectionFrom < to && selectionTo > from)
                selections.append(
                    {local(selectionFrom), local(selectionTo) - local(selectionFrom), selectionFormat});
            p.layout->draw(&painter, QPointF(0, top), selections, clip);
            // A selected line break shows as a space's width of the selection after the line.
            if (k + 1 == int(l.pieces.size()) && selectionFrom <= lineStart + lineLength &&
                selectionTo > lineStart + lineLength) {
                const QTextLine last = p.layout->lineAt(p.layout->lineCount() - 1);
                const qreal x = last.cursorToX(last.textStart() + last.textLength());
                painter.fillRect(
                    QRectF(x, top + last.y(), QFontMetricsF(font()).horizontalAdvance(u' '), last.height()),
                    selectionFormat.background());
            }
            const bool caretHere =
                caretAt >= from && (caretAt < to || (caretAt == to && k + 1 == int(l.pieces.size())));
            if (showCaret && caretHere)
                p.layout->drawCursor(&painter, QPointF(0, top),
                                     int(caretAt - from) + (composing >= 0 ? preedit.caret : 0), 1);
            const bool dropHere = dropCaret_ >= from &&
                                  (dropCaret_ < to || (dropCaret_ == to && k + 1 == int(l.pieces.size())));
            if (dropHere) p.layout->drawCursor(&painter, QPointF(0, top), int(dropCaret_ - from), 1);
        }
        y += l.height;
    }
    layout_.trim(topLine_, line);
    // Lines laid out for the first time (here or to find a place on screen) may take more or fewer rows
    // than they were counted with: the scroll bar follows, the top line staying where it is.
    if (store_->lines().rowCount() != scrollRows_) updateScrollBars();
}

void TextView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    layout_.setWidth(viewport()->width());
    lastTop_.reset();
    updateScrollBars();
}

void TextView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        layout_.setFont(font());
        lastTop_.reset();
        updateScrollBars();
        viewport()->update();
    } else if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ActivationChange) {
        viewport()->update();
    }
}

// ---- The caret ----

void TextView::restartBlink() {
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && !readOnly_ && flash >= 2)
        blink_.start(flash / 2, this);
    else
        blink_.stop();
}

void TextView::showCaretNow() {
    caretShown_ = true;
    restartBlink();
}

void TextView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    showCaretNow();
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    viewport()->update();
}

void TextView::timerEvent(QTimerEvent* e) {
    if (e->timerId() == blink_.timerId()) {
        caretShown_ = !caretShown_;
        if (store_) viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
    } else if (e->timerId() == tripleClick_.timerId()) {
        tripleClick_.stop();
    } else if (e->timerId() == autoScroll_.timerId()) {
        autoScroll(autoScrollPoint_);
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

// ---- Keys ----

qsizetype TextView::moved(Move move) const {
    const qsizetype position = caret();
    const qsizetype line = store_->lineAt(position);
    const qsizetype start = store_->lineStart(line);
    const qsizetype length = store_->lineLength(line);
    const qsizetype column = position - start;
    switch (move) {
    // At the ends of the text they stay (and end a selection there); Up and Down cannot move on.
    case Move::Left:
        if (column == 0) return std::max<qsizetype>(position - 1, 0);
        return caretStop(*store_, position, text::previousGrapheme);
    case Move::Right:
        if (column == length) return std::min(position + 1, store_->size());
        return caretStop(*store_, position, text::nextGrapheme);
    case Move::WordLeft:
        if (column == 0) return std::max<qsizetype>(position - 1, 0);
        return caretStop(*store_, position, text::previousWordStop);
    case Move::WordRight:
        if (column == length) return std::min(position + 1, store_->size());
        return caretStop(*store_, position, text::nextWordStop);
    case Move::Up:
    case Move::Down: {
        const RowAt here{line, rowOf(position)};
        const RowAt there = move == Move::Up ? previousRow(here) : nextRow(here);
        if (there.line < 0) return -1;
        return positionInRow(there.line, there.row, stickyX_.value_or(caretX(position)));
    }
    case Move::LineStart:
        return rowAround(position).first;
    case Move::LineEnd:
        return rowAround(position).second;
    case Move::Start:
        return 0;
    case Move::End:
        return store_->size();
    }
    return -1;
}

std::pair<qsizetype, qsizetype> TextView::rowAround(qsizetype position) const {
    if (!store_) return {0, 0};
    position = std::clamp<qsizetype>(position, 0, store_->size());
    const qsizetype line = store_->lineAt(position);
    const qsizetype start = store_->lineStart(line);
    const qsizetype length = store_->lineLength(line);
    const Spot s = spotOf(position, false);
    const ViewLayout::Line& l = layout_.line(line);
    const ViewLayout::Piece& p = layout_.laidPiece(line, s.piece);
    const QTextLine row = p.layout->lineAt(s.row);
    const qsizetype rowStart = start + p.start + row.textStart();
    if (row.textLength() == 0) return {rowStart, start + length};
    qsizetype end = rowStart + row.textLength();
    // A row that wraps ends before the blank it wraps at.
    const bool lastRow = s.piece + 1 == int(l.pieces.size()) && s.row + 1 == p.layout->lineCount();
    if (!lastRow && QChar(store_->at(end - 1)).isSpace()) --end;
    return {rowStart, std::min(end, start + length)};
}

bool TextView::handleMoveKey(QKeyEvent* e) {
    struct Binding {
        QKeySequence::StandardKey key;
        Move move;
        bool select;
    };
    static const Binding kBindings[] = {
        {QKeySequence::MoveToNextChar, Move::Right, false},
        {QKeySequence::MoveToPreviousChar, Move::Left, false},
        {QKeySequence::SelectNextChar, Move::Right, true},
        {QKeySequence::SelectPreviousChar, Move::Left, true},
        {QKeySequence::MoveToNextWord, Move::WordRight, false},
        {QKeySequence::MoveToPreviousWord, Move::WordLeft, false},
        {QKeySequence::SelectNextWord, Move::WordRight, true},
        {QKeySequence::SelectPreviousWord, Move::WordLeft, true},
        {QKeySequence::MoveToNextLine, Move::Down, false},
        {QKeySequence::MoveToPreviousLine, Move::Up, false},
        {QKeySequence::SelectNextLine, Move::Down, true},
        {QKeySequence::SelectPreviousLine, Move::Up, true},
        {QKeySequence::MoveToStartOfLine, Move::LineStart, false},
        {QKeySequence::MoveToEndOfLine, Move::LineEnd, false},
        {QKeySequence::SelectStartOfLine, Move::LineStart, true},
        {QKeySequence::SelectEndOfLine, Move::LineEnd, true},
        {QKeySequence::MoveToStartOfDocument, Move::Start, false},
        {QKeySequence::MoveToEndOfDocument, Move::End, false},
        {QKeySequence::SelectStartOfDocument, Move::Start, true},
        {QKeySequence::SelectEndOfDocument, Move::End, true},
    };
    if (e == QKeySequence::MoveToNextPage || e == QKeySequence::MoveToPreviousPage ||
        e == QKeySequence::SelectNextPage || e == QKeySequence::SelectPreviousPage) {
        pageUpDown(e == QKeySequence::MoveToNextPage || e == QKeySequence::SelectNextPage,
                   e == QKeySequence::SelectNextPage || e == QKeySequence::SelectPreviousPage);
        return true;
    }
    for (const Binding& b : kBindings) {
        if (!e->matches(b.key)) continue;
        Action action(*this);
        const bool vertical = b.move == Move::Up || b.move == Move::Down;
        if (vertical && !stickyX_) stickyX_ = caretX(caret());
        // Left or Right without Shift ends a selection at its side.
        if (!b.select && hasSelection() && (b.move == Move::Left || b.move == Move::Right)) {
            const qsizetype at = b.move == Move::Left ? selectionStart() : selectionEnd();
            marks_->reset({at, at});
            stickyX_.reset();
            return true;
        }
        qsizetype to = moved(b.move);
        // Shift+Up on the first row selects to the start, Shift+Down on the last to the end.
        if (to < 0 && b.select && vertical) {
            to = b.move == Move::Up ? 0 : store_->size();
            stickyX_.reset();
        }
        if (to >= 0) marks_->reset({b.select ? anchor() : to, to});
        if (!vertical) stickyX_.reset();
        return true;
    }
    return false;
}

bool TextView::isAcceptableInput(const QKeyEvent* e) const {
    const QString text = e->text();
    if (text.isEmpty()) return false;
    const QChar c = text.front();
    // Joiners and direction marks, which some keyboards type with Ctrl+Shift.
    if (c.category() == QChar::Other_Format) return true;
    // Ctrl and Ctrl+Shift are commands; AltGr (Ctrl+Alt) types characters.
    const Qt::KeyboardModifiers m = e->modifiers() & ~Qt::KeypadModifier;
    if (m == Qt::ControlModifier || m == (Qt::ShiftModifier | Qt::ControlModifier)) return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate()) || c == u'\t';
}

bool TextView::handlesShortcut(QKeyEvent* e) const {
    static const QKeySequence::StandardKey kKeys[] = {
        QKeySequence::Copy,
        QKeySequence::SelectAll,
        QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord,
        QKeySequence::MoveToStartOfDocument,
        QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectNextWord,
        QKeySequence::SelectPreviousWord,
        QKeySequence::SelectStartOfLine,
        QKeySequence::SelectEndOfLine,
        QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectEndOfDocument,
        QKeySequence::MoveToNextPage,
        QKeySequence::MoveToPreviousPage,
        QKeySequence::SelectNextPage,
        QKeySequence::SelectPreviousPage,
    };
    static const QKeySequence::StandardKey kEditingKeys[] = {
        QKeySequence::Paste,
        QKeySequence::Cut,
        QKeySequence::Undo,
        QKeySequence::Redo,
        QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord,
    };
    for (QKeySequence::StandardKey k : kKeys)
        if (e->matches(k)) return true;
    if (readOnly_) return false;
    for (QKeySequence::StandardKey k : kEditingKeys)
        if (e->matches(k)) return true;
    const Qt::KeyboardModifiers m = e->modifiers() & ~Qt::KeypadModifier;
    if (m != Qt::NoModifier && m != Qt::ShiftModifier) return false;
    if (e->key() < Qt::Key_Escape) return true;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Tab:
        return true;
    default:
        return false;
    }
}

bool TextView::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && store_) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (handlesShortcut(key)) {
            key->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TextView::keyPressEvent(QKeyEvent* e) {
    if (!store_) {
        e->ignore();
        return;
    }
    using document::EditKind;
    // Select All and Copy leave the view where it is; every other key keeps the caret in view.
    if (e == QKeySequence::SelectAll) {
        selectAll();
        if (QGuiApplication::clipboard()->supportsSelection())
            QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
        return;
    }
    if (e == QKeySequence::Copy) {
        copy();
        return;
    }
    // Every key this view takes keeps the caret in view; one it leaves (Shift alone) scrolls nothing.
    Action action(*this, false);
    bool taken = true;
    const auto keepInView = qScopeGuard([&] {
        if (taken) keepCaretVisible_ = true;
    });
    if (handleMoveKey(e)) return;
    if (readOnly_) {
        taken = false;
        e->ignore();
        return;
    }
    // An edit forgets the column Up, Down and the page keys keep, and so do Backspace and Delete; a key
    // that changes nothing (a cut without a selection, Shift alone) keeps it.
    const qsizetype at = caret();
    const qsizetype line = store_->lineAt(at);
    const qsizetype column = at - store_->lineStart(line);
    if (e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier)) {
        stickyX_.reset();
        // One code point back, so that a combining mark typed last goes alone; a line break is one too.
        if (hasSelection())
            replaceSelection({}, EditKind::Command);
        else if (at > 0) {
            const qsizetype from = column == 0 ? at - 1 : caretStop(*store_, at, text::previousCodePoint);
            edit(from, at - from, {}, EditKind::Erasing);
        }
        return;
    }
    if (e == QKeySequence::InsertParagraphSeparator || e == QKeySequence::InsertLineSeparator) {
        // Shift+Enter is an ordinary line break too: the separator it used to make cannot be saved in
        // Shift-JIS.
        replaceSelection(u"\n", EditKind::Command);
        return;
    }
    if (e == QKeySequence::Undo) {
        undo();
    } else if (e == QKeySequence::Redo) {
        redo();
    } else if (e == QKeySequence::Cut) {
        cut();
    } else if (e == QKeySequence::Paste) {
        paste();
    } else if (e == QKeySequence::Delete) {
        stickyX_.reset();
        if (hasSelection())
            replaceSelection({}, EditKind::Command);
        else if (at < store_->size()) {
            const qsizetype to =
                column == store_->lineLength(line) ? at + 1 : caretStop(*store_, at, text::nextGrapheme);
            edit(at, to - at, {}, EditKind::Erasing);
        }
    } else if (e == QKeySequence::DeleteStartOfWord || e == QKeySequence::DeleteEndOfWord) {
        stickyX_.reset();
        if (!hasSelection()) {
            marks_->reset(
                {moved(e == QKeySequence::DeleteStartOfWord ? Move::WordLeft : Move::WordRight), at});
        }
        replaceSelection({}, EditKind::Command);
    } else if (isAcceptableInput(e)) {
        replaceSelection(e->text(), EditKind::Typing);
    } else {
        taken = false;
        e->ignore();
    }
}

// ---- Input methods ----

void TextView::inputMethodEvent(QInputMethodEvent* e) {
    if (!store_ || readOnly_) {
        e->ignore();
        return;
    }
    const Preedit& before = layout_.preedit();
    const bool gettingInput =
        !e->commitString().isEmpty() || e->preeditString() != before.text || e->replacementLength() > 0;
    if (!gettingInput && e->attributes().isEmpty()) {
        e->ignore();
        return;
    }
    Action action(*this);
    {
        // The selection taken out and the text committed are one step.
        beginStep();
        const auto step = qScopeGuard([this] { endStep(); });
        if (gettingInput && hasSelection()) replaceSelection({}, document::EditKind::Command);
        if (!e->commitString().isEmpty() || e->replacementLength() > 0) {
            const qsizetype from = std::clamp<qsizetype>(caret() + e->replacementStart(), 0, store_->size());
            const qsizetype length = std::clamp<qsizetype>(e->replacementLength(), 0, store_->size() - from);
            edit(from, length, e->commitString(), document::EditKind::Command);
            marks_->reset({caret(), caret()});
        }
    }
    const qsizetype line = store_->lineAt(caret());
    for (const QInputMethodEvent::Attribute& a : e->attributes())
        if (a.type == QInputMethodEvent::Selection) {
            // Counted, as the input method counts, from the start of the surrounding text it was given.
            const qsizetype start = std::max(store_->lineStart(line), caret() - kSurrounding);
            const auto clamped = [&](qsizetype p) { return std::clamp<qsizetype>(p, 0, store_->size()); };
            marks_->reset({clamped(start + a.start), clamped(start + a.start + a.length)});
        }
    Preedit preedit;
    preedit.position = caret();
    preedit.text = e->preeditString();
    preedit.caret = int(preedit.text.size());
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            preedit.caret = a.start;
            preedit.caretVisible = a.length != 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (format.isValid()) preedit.formats.append({a.start, a.length, format});
        }
    }
    std::sort(preedit.formats.begin(), preedit.formats.end(),
              [](const QTextLayout::FormatRange& x, const QTextLayout::FormatRange& y) {
                  return x.start < y.start;
              });
    if (preedit.text.isEmpty()) preedit.position = -1;
    layout_.setPreedit(preedit);
    lastTop_.reset();
    repaintFrom(line, false);
    stickyX_.reset();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const {
    return inputMethodQuery(query, QVariant());
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const {
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !readOnly_;
    case Qt::ImHints:
    case Qt::ImInputItemClipRectangle:
        return QAbstractScrollArea::inputMethodQuery(query);
    case Qt::ImReadOnly:
        return readOnly_;
    default:
        break;
    }
    if (!store_) return {};
    const qsizetype position = caret();
    const qsizetype line = store_->lineAt(position);
    const qsizetype lineStart = store_->lineStart(line);
    const qsizetype lineLength = store_->lineLength(line);
    // The surrounding text is the caret's line within kSurrounding characters of the caret.
    const qsizetype from = std::max(lineStart, position - kSurrounding);
    const qsizetype to = std::min(lineStart + lineLength, position + kSurrounding);
    const QPointF point = argument.toPointF();
    switch (query) {
    case Qt::ImCursorRectangle:
        return caretBox(position).translated(0, -verticalOffset());
    case Qt::ImAnchorRectangle:
        return caretBox(anchor()).translated(0, -verticalOffset());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        if (!point.isNull()) return qlonglong(positionAt(point.toPoint()) - from);
        return qlonglong(position - from);
    case Qt::ImAbsolutePosition:
        if (!point.isNull()) return qlonglong(positionAt(point.toPoint()));
        return qlonglong(position);
    case Qt::ImSurroundingText:
        return store_->mid(from, to - from);
    case Qt::ImCurrentSelection:
        // As the input method has always been given it: a paragraph separator between lines.
        return selectedText().replace(u'\n', QChar::ParagraphSeparator);
    case Qt::ImMaximumTextLength:
        return {};
    case Qt::ImAnchorPosition:
        return qlonglong(anchor() - from);
    case Qt::ImTextAfterCursor: {
        const qsizetype maximum = argument.isValid() ? argument.toInt() : kSurrounding;
        QString after = store_->mid(position, to - position);
        for (qsizetype l = line + 1; after.size() < maximum && l < store_->lineCount(); ++l)
            after += u'\n' + store_->mid(store_->lineStart(l), std::min(store_->lineLength(l), kSurrounding));
        return after;
    }
    case Qt::ImTextBeforeCursor: {
        const qsizetype maximum = argument.isValid() ? argument.toInt() : kSurrounding;
        QString before = store_->mid(from, position - from);
        for (qsizetype l = line - 1; before.size() < maximum && l >= 0; --l) {
            const qsizetype length = std::min(store_->lineLength(l), kSurrounding);
            before.prepend(store_->mid(store_->lineStart(l) + store_->lineLength(l) - length, length) +
                           u'\n');
        }
        return before;
    }
    default:
        return {};
    }
}

// ---- The mouse ----

void TextView::commitComposition() {
    // The input method commits what it composes; what it leaves is dropped.
    if (layout_.preedit().isEmpty()) return;
    QGuiApplication::inputMethod()->commit();
    if (layout_.preedit().isEmpty()) return;
    const qsizetype line = store_->lineAt(std::min(layout_.preedit().position, store_->size()));
    layout_.setPreedit({});
    repaintFrom(line, false);
}

std::pair<qsizetype, qsizetype> TextView::clicked(int which) const {
    return {clickMarks_->position(2 * which), clickMarks_->position(2 * which + 1)};
}

QPointF TextView::clickPoint(const QPoint& point) const {
    // The viewport's point moved by how far the top line's top is above the view (not by the whole text
    // scrolled): where the old widget measures a triple-click from the double-click.
    return QPointF(point.x(), point.y() + verticalOffset());
}

bool TextView::remembers(int which) const {
    // An edit that took the word or line out leaves nothing to extend from.
    const auto [first, last] = clicked(which);
    return (which == kWord ? clickedWord_ : clickedLine_) && first != last;
}

void TextView::rememberClick(int which, qsizetype first, qsizetype last) {
    QList<qsizetype> marks = clickMarks_->positions();
    marks[2 * which] = first;
    marks[2 * which + 1] = last;
    clickMarks_->reset(marks);
    // A click on no word (a blank line) leaves nothing to extend from.
    (which == kWord ? clickedWord_ : clickedLine_) = first != last;
}

void TextView::extendByWords(qsizetype position, qreal x) {
    // As the editor has always done it: inside the word first selected, that word; over another word on the
    // same row, to its nearer end; elsewhere the selection stays.
    const auto [first, last] = clicked(kWord);
    if (position >= first && position <= last) {
        marks_->reset({first, last});
        return;
    }
    const qsizetype line = store_->lineAt(position);
    // At a line's start there is no word to reach back to: the selection stays.
    if (position == store_->lineStart(line)) return;
    const auto [a, b] = wordAt(*store_, position);
    if (a == b || rowOf(a) != rowOf(b)) return;
    const qreal startX = caretX(a), endX = caretX(b);
    if (x < startX || x > endX) return;
    marks_->reset({position < last ? last : first, x - startX < endX - x ? a : b});
}

void TextView::extendByLines(qsizetype position) {
    const auto [first, last] = clicked(kLine);
    if (position >= first && position <= last) {
        marks_->reset({first, last});
        return;
    }
    const qsizetype line = store_->lineAt(position);
    if (position < last)
        marks_->reset({last, store_->lineStart(line)});
    else
        marks_->reset({first, line + 1 < store_->lineCount() ? store_->lineStart(line + 1) : store_->size()});
}

void TextView::mousePressEvent(QMouseEvent* e) {
    if (!store_) return;
    const QPoint point = e->position().toPoint();
    if (e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (readOnly_) return;
        Action action(*this);
        setCaret(positionAt(point));
        insertFromMimeData(QGuiApplication::clipboard()->mimeData(QClipboard::Selection));
        return;
    }
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    // A press on the selection may begin a drag: it leaves the view where it is.
    Action action(*this, false);
    pressPoint_ = point;
    stickyX_.reset();
    commitComposition();
    const qsizetype position = positionAt(point);
    const bool tripleClick =
        tripleClick_.isActive() &&
        (clickPoint(point) - tripleClickPoint_).manhattanLength() < QApplication::startDragDistance();
    if (!tripleClick && e->modifiers() != Qt::ShiftModifier && hasSelection() &&
        position >= selectionStart() && position <= selectionEnd()) {
        dragging_ = Dragging::MaybeText;
        return;
    }
    keepCaretVisible_ = true;
    dragging_ = Dragging::Selecting;
    if (tripleClick) {
        // The whole line, its line break included.
        tripleClick_.stop();
        const qsizetype line = store_->lineAt(caret());
        const qsizetype first = store_->lineStart(line);
        const qsizetype last = line + 1 < store_->lineCount() ? store_->lineStart(line + 1) : store_->size();
        marks_->reset({first, last});
        rememberClick(kLine, first, last);
    } else if (e->modifiers() == Qt::ShiftModifier) {
        if (remembers(kLine))
            extendByLines(position);
        else if (remembers(kWord))
            extendByWords(position, point.x());
        else
            marks_->reset({anchor(), position});
    } else {
        // A click elsewhere forgets the word or line a double- or triple-click chose.
        marks_->reset({position, position});
        clickedWord_ = clickedLine_ = false;
    }
}

void TextView::autoScroll(const QPoint& point) {
    if (point.y() < 0) {
        const RowAt up = previousRow({topLine_, topRow_});
        if (up.line >= 0) setTop(up);
    } else if (point.y() > viewport()->height()) {
        const RowAt down = nextRow({topLine_, topRow_});
        if (down.line >= 0) setTop(down);
    }
    QMouseEvent move(QEvent::MouseMove, point, viewport()->mapToGlobal(point), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    mouseMoveEvent(&move);
}

void TextView::mouseMoveEvent(QMouseEvent* e) {
    if (!store_ || !(e->buttons() & Qt::LeftButton)) return;
    const QPoint point = e->position().toPoint();
    if (dragging_ == Dragging::MaybeText) {
        if ((point - pressPoint_).manhattanLength() <= QApplication::startDragDistance()) return;
        dragging_ = Dragging::None;
        startDrag();
        return;
    }
    if (dragging_ == Dragging::None) return;
    if (viewport()->rect().contains(point))
        autoScroll_.stop();
    else {
        autoScrollPoint_ = point;
        if (!autoScroll_.isActive()) autoScroll_.start(100, this);
    }
    // The view does not scroll to the caret while dragging: the scrolling outside it does that.
    Action action(*this, false);
    const qsizetype position = positionAt(point);
    if (remembers(kLine))
        extendByLines(position);
    else if (remembers(kWord))
        extendByWords(position, point.x());
    else
        marks_->reset({anchor(), position});
}

void TextView::startDrag() {
    auto* data = new QMimeData;
    data->setText(selectedText());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction done = readOnly_ ? drag->exec(Qt::CopyAction, Qt::CopyAction)
                                          : drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // Moved to another program: the text leaves this one. (A move within the view is its drop.)
    if (done == Qt::MoveAction && drag->target() != viewport() && drag->target() != this) deleteSelection();
}

void TextView::mouseReleaseEvent(QMouseEvent* e) {
    if (!store_) return;
    autoScroll_.stop();
    if (dragging_ == Dragging::MaybeText) {
        // A press on the selection that started no drag puts the caret there, the view staying where it
        // is (as the old widget's does).
        Action action(*this, false);
        const qsizetype position = positionAt(e->position().toPoint());
        // The word or line a double- or triple-click chose is still what Shift+click extends.
        marks_->reset({position, position});
    }
    if (dragging_ != Dragging::None && hasSelection() && QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
    dragging_ = Dragging::None;
    e->accept();
}

void TextView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!store_ || e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    // The word is chosen where the mouse is: the view does not scroll under it.
    Action action(*this, false);
    commitComposition();
    const QPoint point = e->position().toPoint();
    stickyX_.reset();
    const qsizetype position = positionAt(point);
    const auto [a, b] = wordAt(*store_, position);
    marks_->reset({a, b});
    rememberClick(kWord, a, b);
    dragging_ = Dragging::Selecting;
    tripleClickPoint_ = clickPoint(point);
    tripleClick_.start(QApplication::doubleClickInterval(), this);
}

// ---- Drag and drop ----

void TextView::dragEnterEvent(QDragEnterEvent* e) {
    dragMoveEvent(e);
}

void TextView::dragMoveEvent(QDragMoveEvent* e) {
    if (!store_ || readOnly_ || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    dropCaret_ = positionAt(e->position().toPoint());
    viewport()->update();
    e->acceptProposedAction();
}

void TextView::dragLeaveEvent(QDragLeaveEvent*) {
    dropCaret_ = -1;
    viewport()->update();
}

void TextView::dropEvent(QDropEvent* e) {
    dropCaret_ = -1;
    viewport()->update();
    if (!store_ || readOnly_ || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    qsizetype at = positionAt(e->position().toPoint());
    const bool moving =
        e->dropAction() == Qt::MoveAction && (e->source() == this || e->source() == viewport());
    if (moving && at >= selectionStart() && at <= selectionEnd()) {
        // Dropped on itself: nothing moves.
        e->ignore();
        return;
    }
    const QString text = e->mimeData()->text();
    // A move within the view is one step: the text leaves its place and arrives at the drop, and its undo
    // leaves the caret where it was dropped.
    beginStep(at);
    if (moving) {
        const qsizetype from = selectionStart(), length = selectionEnd() - from;
        edit(from, length, {}, document::EditKind::Command);
        if (at > from) at -= length;
    }
    marks_->reset({at, at});
    edit(at, 0, text, document::EditKind::Command);
    endStep();
    e->acceptProposedAction();
}

// ---- The context menu ----

QMenu* TextView::createStandardContextMenu() {
    auto* menu = new QMenu(this);
    auto add = [&](const QString& text, const char* name, const char* icon, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        if (QIcon::hasThemeIcon(QString::fromLatin1(icon)))
            action->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
        connect(action, &QAction::triggered, this, slot);
    };
    const bool editable = !readOnly_;
    if (editable) {
        add(menuText("&Undo", QKeySequence::Undo), "edit-undo", "edit-undo", isUndoAvailable(),
            &TextView::undo);
        add(menuText("&Redo", QKeySequence::Redo), "edit-redo", "edit-redo", isRedoAvailable(),
            &TextView::redo);
        menu->addSeparator();
        add(menuText("Cu&t", QKeySequence::Cut), "edit-cut", "edit-cut", hasSelection(), &TextView::cut);
    }
    add(menuText("&Copy", QKeySequence::Copy), "edit-copy", "edit-copy", hasSelection(), &TextView::copy);
    if (editable) {
        const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
        add(menuText("&Paste", QKeySequence::Paste), "edit-paste", "edit-paste",
            clipboard && clipboard->hasText(), &TextView::paste);
        add(menuText("Delete"), "edit-delete", "edit-delete", hasSelection(), &TextView::deleteSelection);
    }
    menu->addSeparator();
    add(menuText("Select All", QKeySequence::SelectAll), "select-all", "edit-select-all",
        store_ && !store_->isEmpty(), &TextView::selectAll);
    return menu;
}

void TextView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

} // namespace view
