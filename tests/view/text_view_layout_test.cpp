// What the text view lays out and paints: only the lines on screen (asked of the styler just before),
// long lines in pieces, the top line held while the rows above become exact, and the colouring's marks (the
// band under the caret's entry, a selection over the matching brace) where they belong.
#include "document/edit_history.h"
#include "view/text_view.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

namespace {

using namespace Qt::StringLiterals;

struct Shown {
    explicit Shown(QString text, QSize size = {320, 240}) : store(std::move(text)), history(store) {
        view.setFont(QFont(u"Noto Sans Mono CJK JP"_s, 10));
        view.resize(size);
        view.setBuffer(&store, &history);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    document::TextStore store;
    document::EditHistory history;
    view::TextView view;
};

// Colours every digit, and notes the lines it was asked for.
class DigitStyler : public view::LineStyler {
public:
    QList<QTextLayout::FormatRange> formatsOf(qsizetype line, QStringView text, qsizetype from,
                                              qsizetype length) override {
        asked.insert(line);
        QTextCharFormat red;
        red.setForeground(Qt::red);
        QList<QTextLayout::FormatRange> formats;
        for (qsizetype i = from; i < from + length; ++i)
            if (text[i].isDigit()) formats.append({int(i), 1, red});
        return formats;
    }
    std::set<qsizetype> asked;
};

QString numberedLines(int count, const QString& filler = {}) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(u"line %1 "_s.arg(i) + filler);
    return lines.join(u'\n');
}

// The lines shown, and the last screen (which sets the scroll range), are all that is laid out; a line
// changed, restyled or scrolled to is asked for again, and its formats are the styler's.
TEST(TextViewLayout, AsksTheStylerForTheLinesItShowsOnly) {
    DigitStyler styler; // set on the view, so it outlives it
    Shown shown(numberedLines(100'000));
    shown.view.setStyler(&styler);
    shown.view.viewport()->repaint();
    const qsizetype last = shown.store.lineCount() - 1;
    auto shownOrLastScreen = [&](qsizetype top) {
        for (const qsizetype line : styler.asked)
            if (!(line >= top && line <= shown.view.lastVisibleLine()) && !(line >= last - 20)) return false;
        return !styler.asked.empty();
    };
    EXPECT_TRUE(shownOrLastScreen(0));
    EXPECT_LT(styler.asked.size(), 40u);

    styler.asked.clear();
    shown.view.scrollToLine(50'000);
    shown.view.viewport()->repaint();
    EXPECT_TRUE(shownOrLastScreen(50'000));
    EXPECT_TRUE(styler.asked.contains(50'000));

    // A restyled line is asked for again (its neighbours are not), and shows what the styler gave.
    styler.asked.clear();
    shown.view.restyleLines(50'002, 50'002);
    shown.view.viewport()->repaint();
    EXPECT_EQ(styler.asked, std::set<qsizetype>{50'002});
    const QList<QTextLayout::FormatRange> formats =
        shown.view.viewLayout().line(50'002).pieces.front().layout->formats();
    ASSERT_EQ(formats.size(), 5); // "line 50002 "
    EXPECT_EQ(formats.front().start, 5);
    EXPECT_EQ(formats.front().format.foreground().color(), QColor(Qt::red));
}

// While a word is composed, its line shows the input method's formats alone.
TEST(TextViewLayout, ShowsTheCompositionInTheInputMethodsFormats) {
    DigitStyler styler;
    Shown shown(u"a1\nb2"_s);
    shown.view.setStyler(&styler);
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QInputMethodEvent compose(u"にほ"_s, {{QInputMethodEvent::TextFormat, 0, 2, underline}});
    QApplication::sendEvent(&shown.view, &compose);
    const QTextLayout* layout = shown.view.viewLayout().line(0).pieces.front().layout.get();
    EXPECT_EQ(layout->preeditAreaText(), u"にほ"_s);
    ASSERT_EQ(layout->formats().size(), 1);
    EXPECT_TRUE(layout->formats().front().format.fontUnderline());
    EXPECT_EQ(shown.view.viewLayout().line(1).pieces.front().layout->formats().size(), 1); // "2" coloured
}

// A line of 300,000 characters is laid out in pieces: only those on screen; a keystroke lays out the piece
// it falls in again, not the line; the keys walk over the places where pieces meet as anywhere else.
TEST(TextViewLayout, LaysALongLineOutInPieces) {
    QString words;
    while (words.size() < 300'000)
        words += u"lorem ipsum dolor sit amet "_s;
    Shown shown(u"before\n"_s + words + u"\nafter"_s, {400, 300});
    const qsizetype start = 7;
    auto laidPieces = [&] {
        int laid = 0;
        for (const view::ViewLayout::Piece& p : shown.view.viewLayout().line(1).pieces)
            laid += p.layout != nullptr;
        return laid;
    };
    const view::ViewLayout::Line& line = shown.view.viewLayout().line(1);
    ASSERT_GT(line.pieces.size(), 60u);
    // The last screen is the line's end: the pieces laid out are a screen's at each end.
    EXPECT_LE(laidPieces(), 3);

    shown.view.setCaret(start + 150'000);
    shown.view.ensureCaretVisible();
    shown.view.viewport()->repaint();
    const int afterScrolling = laidPieces();
    EXPECT_LE(afterScrolling, 5);
    QTest::keyClicks(&shown.view, u"x"_s);
    shown.view.viewport()->repaint();
    EXPECT_LE(laidPieces(), afterScrolling + 1);
    EXPECT_EQ(shown.store.mid(start + 150'000, 1), u"x"_s);

    // Right and Left over the places where pieces meet, Down from a piece's last row into the next one.
    const view::ViewLayout::Line& now = shown.view.viewLayout().line(1);
    const int k = view::ViewLayout::pieceOf(now, 150'001) + 1;
    const qsizetype boundary = start + now.pieces[size_t(k)].start;
    shown.view.setCaret(boundary - 1);
    for (const qsizetype expected : {boundary, boundary + 1}) {
        QTest::keyClick(&shown.view, Qt::Key_Right);
        EXPECT_EQ(shown.view.caret(), expected);
    }
    shown.view.setCaret(boundary - 1);
    const QRect lastRow = shown.view.caretRect();
    QTest::keyClick(&shown.view, Qt::Key_Down);
    EXPECT_GE(shown.view.caret(), boundary);
    EXPECT_EQ(shown.view.caretRect().top(), lastRow.bottom() + 1);
}

// A line scrolled to stays the top line while the lines above it are laid out and take more rows than they
// were counted with; the scroll bar follows them.
TEST(TextViewLayout, HoldsTheTopLineWhileRowsAboveBecomeExact) {
    Shown shown(numberedLines(5'000, QString(200, u'w').replace(u"wwwww"_s, u"ww ww"_s)));
    shown.view.scrollToLine(4'000);
    shown.view.viewport()->repaint();
    const int before = shown.view.verticalScrollBar()->value();
    for (qsizetype line = 0; line < 4'000; ++line)
        shown.view.viewLayout().line(line);
    shown.view.viewport()->repaint();
    EXPECT_EQ(shown.view.firstVisibleLine(), 4'000);
    EXPECT_EQ(shown.view.verticalScrollBar()->value(), shown.store.lines().firstRowOf(4'000));
    EXPECT_GT(shown.view.verticalScrollBar()->value(), 3 * before);
}

// The band is painted the whole width of its lines under the text, a selection over it; neither beyond.
TEST(TextViewLayout, PaintsTheBandUnderTheTextAndSelectionsOverIt) {
    Shown shown(u"@misc{a,\n  title = {x},\n}\n\nfree text"_s);
    const QColor band(200, 230, 200), match(250, 200, 100);
    shown.view.setBand({0, 2, band});
    QTextCharFormat format;
    format.setBackground(match);
    shown.view.setExtraSelections({{5, 1, format}});
    const QImage image = shown.view.viewport()->grab().toImage();
    const int right = image.width() - 2;
    auto middleOf = [&](qsizetype position) { return shown.view.caretRect(position).center().y(); };
    for (const qsizetype line : {0, 1, 2})
        EXPECT_EQ(image.pixelColor(right, middleOf(shown.store.lineStart(line))), band) << line;
    EXPECT_NE(image.pixelColor(right, middleOf(shown.store.lineStart(4))), band);
    const QRect brace = shown.view.caretRect(5).united(shown.view.caretRect(6));
    EXPECT_EQ(image.pixelColor(brace.left() + 1, brace.top() + 1), match);
}

} // namespace
