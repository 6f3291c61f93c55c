#pragma once
// The editor's text view over a text store and its edit history: a scroll area that lays out only the lines
// it shows (view_layout.h), with the keys, the mouse, the clipboard, drag and drop, input methods and a
// screen reader's interface of a desktop editor. It keeps a caret and a selection as anchors of the store,
// so they follow every change, whoever makes it; every edit goes through the history, grouped as the
// editor has always grouped its undo steps.
//
// The vertical scroll bar counts rows: a line counts one row until it has been laid out, and the line at
// the top stays at the top while the rows above it become exact.
#include "document/edit_history.h"
#include "view/view_layout.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QPointer>
#include <QTextCharFormat>

#include <memory>
#include <optional>

class QMenu;
class QMimeData;

namespace document {
class AnchorSet;
}

namespace view {

// A stretch of text shown in a format of its own over the text's (the matching brace).
struct ExtraSelection {
    qsizetype from = 0;
    qsizetype length = 0;
    QTextCharFormat format;
    friend bool operator==(const ExtraSelection&, const ExtraSelection&) = default;
};

// Lines painted with a background under their text, the whole width of the view (the caret's entry).
struct LineBand {
    qsizetype first = -1;
    qsizetype last = -1;
    QColor colour;
    friend bool operator==(const LineBand&, const LineBand&) = default;
};

class TextView : public QAbstractScrollArea, private document::TextObserver {
    Q_OBJECT
public:
    explicit TextView(QWidget* parent = nullptr);
    ~TextView() override;

    // The text shown and the history its edits go to; both outlive their use here (or are set to null).
    void setBuffer(document::TextStore* store, document::EditHistory* history);
    document::TextStore* store() const { return store_; }
    document::EditHistory* history() const { return history_; }

    qsizetype caret() const;
    qsizetype anchor() const;
    bool hasSelection() const { return caret() != anchor(); }
    qsizetype selectionStart() const { return std::min(caret(), anchor()); }
    qsizetype selectionEnd() const { return std::max(caret(), anchor()); }
    // The selected characters as they are, '\n' between lines.
    QString selectedText() const;
    // Selects from `anchor` to `caret` (the caret at `caret`); both clamped to the text.
    void setSelection(qsizetype anchor, qsizetype caret);
    void setCaret(qsizetype position) { setSelection(position, position); }

    // What the user does, as the keys and the menu do it.
    void insertText(QStringView text); // over the selection, one step of its own
    void cut();
    void copy() const;
    void paste();
    void deleteSelection();
    void selectAll();
    void undo();
    void redo();
    bool isUndoAvailable() const;
    bool isRedoAvailable() const;
    // Every edit until the matching endStep() is one step of the history, and the view's signals are
    // given once at the end (Replace All, a drop that moves text).
    void beginStep(std::optional<qsizetype> caretOnUndo = {});
    void endStep();

    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly);

    // At word boundaries, or anywhere (the long-line rule).
    void setWrapAnywhere(bool anywhere);
    bool wrapsAnywhere() const { return layout_.wrapMode() == QTextOption::WrapAnywhere; }

    // The caret's rectangle in the viewport, where it is drawn (the composition's caret while composing).
    QRect caretRect() const;
    QRect caretRect(qsizetype position) const;
    // The position nearest to a point of the viewport.
    qsizetype positionAt(const QPoint& point) const;
    void ensureCaretVisible();
    // Scrolls so that the caret's row stands in the middle of the view.
    void centreCaret();
    // The line at the top of the view, and the row of it there.
    qsizetype firstVisibleLine() const { return topLine_; }
    // How far the top line's top is above the viewport, in pixels.
    qreal scrolledOffset() const { return verticalOffset(); }
    int firstVisibleRow() const { return topRow_; }
    // Puts row `row` of line `line` at the top (held there while rows above become exact).
    void scrollToLine(qsizetype line, int row = 0);
    // The last line shown, in part or whole.
    qsizetype lastVisibleLine() const;

    // The colouring's hooks: a styler asked for a line's formats before it is laid out; lines whose
    // formats changed, to lay out again; selections over the text; the band under it. A styler set here
    // outlives the view or is unset first: the view tells it when it asks it no more.
    void setStyler(LineStyler* styler);
    void restyleLines(qsizetype first, qsizetype last);
    void setExtraSelections(const QList<ExtraSelection>& selections);
    const QList<ExtraSelection>& extraSelections() const { return extraSelections_; }
    void setBand(const LineBand& band);
    const LineBand& band() const { return band_; }

    // The menu a right click shows: undo, redo, cut, copy, paste, delete, select all.
    QMenu* createStandardContextMenu();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    Q_INVOKABLE QVariant inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const;

    // The layout, for the accessibility interface and tests.
    ViewLayout& viewLayout() const { return layout_; }
    // The row of its line that `position` is laid out in, counted over the line's pieces (a wrapped line
    // shows as several rows); `atComposition`: the composition's caret where it is composed.
    int rowOf(qsizetype position, bool atComposition = true) const;
    // The row on screen holding `position`: where Home goes from there, and where End goes (before the
    // blank a row wraps at).
    std::pair<qsizetype, qsizetype> rowAround(qsizetype position) const;
    // The box of the character at `position` in the viewport, for a screen reader.
    QRect characterRect(qsizetype position) const;

Q_SIGNALS:
    void textChanged();
    // A change of the store: lines [first, first + removed] became [first, first + added].
    void linesReplaced(qsizetype first, qsizetype removed, qsizetype added);
    void cursorPositionChanged();
    void selectionChanged();
    void copyAvailable(bool available);
    void undoAvailable(bool available);
    void redoAvailable(bool available);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class Action;
    // Runs a user's action: the signals, the scrolling to the caret and the input method's update follow
    // once, when the outermost one ends.
    class Action;

    void textReplaced(const document::Replacement& r) override;
    void textStoreDestroyed() override;

    // Edits the store through the history; the caret and the selection follow as anchors do.
    void edit(qsizetype from, qsizetype length, QStringView text, document::EditKind kind);
    void replaceSelection(QStringView text, document::EditKind kind);
    void moveTo(qsizetype position, bool select);
    void finishAction();
    void insertFromMimeData(const QMimeData* source);

    // Where the keys move the caret; -1 where they cannot.
    enum class Move { Left, Right, WordLeft, WordRight, Up, Down, LineStart, LineEnd, Start, End };
    qsizetype moved(Move move) const;
    bool handleMoveKey(QKeyEvent* e);
    void pageUpDown(bool down, bool select);
    bool isAcceptableInput(const QKeyEvent* e) const;
    bool handlesShortcut(QKeyEvent* e) const;

    // Geometry: a row is a line and a row in it, counted over its pieces.
    struct RowAt {
        qsizetype line;
        int row;
    };
    // The top of line `line` from the top line's top, and in the viewport (estimated for lines far from the
    // top); how far the top line's top is above the viewport.
    qreal lineY(qsizetype line, bool layOut = true) const;
    qreal lineTop(qsizetype line) const;
    qreal verticalOffset() const;
    qreal baseOffset(RowAt top) const;
    struct Spot {
        qsizetype line;
        int piece;
        int row;    // in the piece
        int column; // in the piece's layout (the composition counted)
    };
    // Where `position` is laid out; `atComposition`: the composition's caret where it is composed.
    Spot spotOf(qsizetype position, bool atComposition = true) const;
    qreal caretX(qsizetype position) const;
    qsizetype positionInRow(qsizetype line, int row, qreal x) const;
    qreal caretTop(qsizetype position) const;  // from the top line's top
    QRectF caretBox(qsizetype position) const; // from the top line's top, not rounded
    qreal blockHeight(qsizetype line) const;
    RowAt nextRow(RowAt at) const;
    RowAt previousRow(RowAt at) const;
    void setTop(RowAt top);
    void moveTop(RowAt top); // without clamping
    RowAt clampedTop(RowAt top) const;
    RowAt lastTop() const; // kept until a change near the end, the width, the font or the wrapping
    RowAt findLastTop() const;
    void updateScrollBars();
    void repaintFrom(qsizetype line, bool lineOnly);
    void restartBlink();
    void showCaretNow();
    void autoScroll(const QPoint& point);
    void commitComposition();
    void startDrag();
    // A double-click selected a word, a triple-click a line: Shift+click and a drag extend by words or
    // lines from it, as the editor always has, until a click elsewhere (the keys do not forget it).
    static constexpr int kWord = 0;
    static constexpr int kLine = 1;
    std::pair<qsizetype, qsizetype> clicked(int which) const;
    bool remembers(int which) const;
    QPointF clickPoint(const QPoint& point) const;
    void rememberClick(int which, qsizetype first, qsizetype last);
    void extendByWords(qsizetype position, qreal x);
    void extendByLines(qsizetype position);

    // What the left button does while it is down: select, or perhaps drag the selection away.
    enum class Dragging { None, Selecting, MaybeText };

    document::TextStore* store_ = nullptr;
    document::EditHistory* history_ = nullptr;
    std::unique_ptr<document::AnchorSet> marks_; // the selection's anchor, then the caret
    mutable ViewLayout layout_;
    qsizetype topLine_ = 0;
    int topRow_ = 0;
    mutable std::optional<RowAt> lastTop_;
    qreal fracture_ = 0; // the part of a pixel the offset has beyond the top row's own
    std::optional<qreal> stickyX_;
    bool readOnly_ = false;
    QList<ExtraSelection> extraSelections_;
    LineBand band_;

    int actionDepth_ = 0;
    bool textChanged_ = false;
    bool keepCaretVisible_ = false;
    qsizetype reportedCaret_ = 0;
    qsizetype reportedAnchor_ = 0;
    bool reportedUndo_ = false;
    bool reportedRedo_ = false;
    bool settingScrollBar_ = false;
    qsizetype scrollRows_ = 0; // the rows the scroll bar was last set from

    QBasicTimer blink_;
    bool caretShown_ = true;
    QBasicTimer tripleClick_;
    QPointF tripleClickPoint_; // as clickPoint() gives it
    QBasicTimer autoScroll_;
    QPoint autoScrollPoint_;
    Dragging dragging_ = Dragging::None;
    QPoint pressPoint_;
    std::unique_ptr<document::AnchorSet> clickMarks_; // the word, then the line, a click chose
    bool clickedWord_ = false;
    bool clickedLine_ = false;
    qsizetype dropCaret_ = -1;
    std::optional<qreal> pageCaretY_; // where the caret stood on screen before the page keys moved it
                                      // (until it moves otherwise)
    std::optional<qreal> pageMove_;   // set by a page key for the end of its action
};

} // namespace view
