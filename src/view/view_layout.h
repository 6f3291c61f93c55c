#pragma once
// The lines of a text store as the text view lays them out: only the lines it is asked for, each with
// QTextLayout, kept in a small cache. A line longer than kPieceLength is cut into pieces, each laid out on
// its own when it is needed, so that a keystroke in a 10 MB line lays out one piece. Every line counts
// its rows in the store's line table: one until it is laid out, then as many as it takes (a long line's
// pieces not yet laid out count an estimate).
#include "document/text_store.h"

#include <QFont>
#include <QTextLayout>
#include <QTextOption>

#include <map>
#include <memory>
#include <vector>

namespace view {

// What colours the text: asked for the formats of a part of a line just before the part is laid out.
class LineStyler {
public:
    virtual ~LineStyler() = default;
    // Formats for [from, from + length) of line `line`, whose whole text is `text`; positions are in the
    // line. Ranges outside the part are ignored.
    virtual QList<QTextLayout::FormatRange> formatsOf(qsizetype line, QStringView text, qsizetype from,
                                                      qsizetype length) = 0;
    // The store's text changed: told after the view has taken the change and before it lays any line out
    // again, so that the styler may mend what it keeps and name the lines to restyle.
    virtual void textReplaced(const document::Replacement& /*replacement*/) {}
    // The view shows another store (or none): what the styler kept of the last one is gone.
    virtual void storeReplaced(document::TextStore* /*store*/) {}
    // The view asks this styler no more: another was set, or the view is going away.
    virtual void detached() {}
};

// An input method's composition, shown at `position` in the text in the input method's formats.
struct Preedit {
    qsizetype position = -1;
    QString text;
    QList<QTextLayout::FormatRange> formats; // positions from the start of the composition
    int caret = 0;                           // in the composition
    bool caretVisible = true;
    bool isEmpty() const { return text.isEmpty(); }
};

// The text of a line within text::kReach characters of a column, copied so that the store's gap stays
// where it is (taking a view of a 10 MB line would move it out of the line), and where it begins in the
// line: what the caret's stops need to read.
struct LineWindow {
    QString text;
    qsizetype from = 0;
};
LineWindow lineWindow(const document::TextStore& store, qsizetype line, qsizetype column);
// Where a caret-stop rule of text/caret_stops.h, read in the window of the line, puts the caret from
// `position`; and the word around `position` (text::wordAround), both as positions in the text.
qsizetype caretStop(const document::TextStore& store, qsizetype position,
                    qsizetype (*rule)(QStringView line, qsizetype column));
std::pair<qsizetype, qsizetype> wordAt(const document::TextStore& store, qsizetype position);

class ViewLayout {
public:
    // Room left of the text, right of it and above the first line, as the editor has always had.
    static constexpr int kMargin = 4;
    // Lines longer than this are laid out in pieces of about this length.
    static constexpr qsizetype kPieceLength = 4096;

    struct Piece {
        qsizetype start = 0; // in the line
        qsizetype length = 0;
        std::unique_ptr<QTextLayout> layout; // null until laid out
        int rows = 1;
        qreal height = 0;
    };
    struct Line {
        std::vector<Piece> pieces;
        int rows = 0;
        qreal height = 0;
    };

    explicit ViewLayout(document::TextStore* store = nullptr);

    void setStore(document::TextStore* store);
    void setFont(const QFont& font);
    const QFont& font() const { return font_; }
    // The width of the viewport; the text wraps kMargin inside each side.
    void setWidth(int width);
    void setWrapMode(QTextOption::WrapMode mode);
    QTextOption::WrapMode wrapMode() const { return wrapMode_; }
    void setStyler(LineStyler* styler);
    LineStyler* styler() const { return styler_; }
    void setPreedit(const Preedit& preedit);
    const Preedit& preedit() const { return preedit_; }

    // The line made (its pieces cut, a short line laid out) and kept.
    Line& line(qsizetype line);
    // Piece `k` of the line, laid out.
    Piece& laidPiece(qsizetype line, int k);
    bool isCached(qsizetype line) const { return lines_.contains(line); }
    // The piece that shows `column` of the line: a column where a piece ends belongs to the next one.
    static int pieceOf(const Line& line, qsizetype column);
    // Row `row` of the line (counted over all its pieces) as a piece and a row in it.
    static std::pair<int, int> pieceRow(const Line& line, int row);
    static int firstRowOfPiece(const Line& line, int k);
    static qreal pieceTop(const Line& line, int k);
    // A row's top in its line and its height; the piece is laid out.
    qreal rowTop(qsizetype line, int row);
    qreal rowHeight(qsizetype line, int row);
    // The height of the row's text, its leading left out (QTextLine::naturalTextRect).
    qreal rowNaturalHeight(qsizetype line, int row);
    // The first row of the line whose top is at or below `y` (from the line's top), or its row count; the
    // first whose text ends below `y`, or its last. Only the piece holding the answer is laid out.
    int firstRowFrom(qsizetype line, qreal y);
    int firstRowEndingBelow(qsizetype line, qreal y);
    // The height a row not yet laid out is counted with.
    qreal defaultRowHeight() const { return rowHeight_; }
    // The line's height when it is in the cache, else its rows in the table at the default height.
    qreal knownHeight(qsizetype line) const;

    // A change of the store: the lines it touched are laid out afresh when next asked for.
    void textReplaced(const document::Replacement& r);
    // The formats of lines [first, last] changed: they are laid out afresh.
    void restyle(qsizetype first, qsizetype last);
    // Forgets every layout (the font, the width or the wrapping changed); the rows stay as estimates.
    void clear();
    // Keeps at most about kCachedLines lines, dropping those farthest from [first, last] first.
    void trim(qsizetype first, qsizetype last);

private:
    static constexpr size_t kCachedLines = 1000;

    // The pieces of line `line` from `from` on; a piece ends after a blank near its nominal length.
    std::vector<Piece> cut(qsizetype line, qsizetype from) const;
    qsizetype cutNear(qsizetype line, qsizetype nominal) const;
    void layOut(qsizetype line, Line& l, Piece& p);
    int estimatedRows(qsizetype length) const;
    void countRows(qsizetype line, Line& l);

    document::TextStore* store_;
    QFont font_;
    qreal rowHeight_ = 0;
    qreal averageWidth_ = 1;
    int width_ = 0;
    QTextOption::WrapMode wrapMode_ = QTextOption::WrapAtWordBoundaryOrAnywhere;
    LineStyler* styler_ = nullptr;
    Preedit preedit_;
    std::map<qsizetype, Line> lines_;
};

} // namespace view
