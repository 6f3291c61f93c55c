// The text view against QPlainTextEdit, the widget the editor has shown its text in so far, in the same
// process: the same text, font and width; the same random keys, clicks, input-method events and
// accessibility queries to both. After each step the text, the caret, the anchor, the caret's rectangle,
// the input method's answers and a screen reader's answers must be the same; rectangles to the pixel where
// both know where a row stands (sameRect and the character box below say where they may differ, and why).
#include "document/edit_history.h"
#include "view/text_view.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using namespace Qt::StringLiterals;

struct OracleRun {
    const char* what;
    QStringList words; // the lines are made of these, blanks between
    int width;
    bool anywhere;
    // Ctrl+arrows, Ctrl+Backspace and a double-click stop as the old widget stops only in text without
    // Japanese (the view stops where Japanese changes script: caret_stops_test)
    bool wordKeys;
    quint32 seed;
    int steps;
};

// A font with Latin and Japanese glyphs where there is one; both widgets get the same whatever it is.
QFont testFont() {
    return QFont(u"Noto Sans Mono CJK JP"_s, 10);
}

void sendText(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

struct OldWidget : QPlainTextEdit {
    using QPlainTextEdit::contentOffset;
    using QPlainTextEdit::firstVisibleBlock;
    // Its last line ends a row or more above the bottom of the view.
    bool blankBelow() const {
        const QTextBlock last = document()->lastBlock();
        const qreal bottom = blockBoundingGeometry(last).translated(contentOffset()).bottom();
        return bottom + fontMetrics().lineSpacing() < viewport()->height();
    }
};

// The old widget and the view, showing the same text alike.
class Pair {
public:
    Pair(const QString& text, int width, bool anywhere) : store(text), history(store) {
        for (QAbstractScrollArea* w :
             {static_cast<QAbstractScrollArea*>(&oracle), static_cast<QAbstractScrollArea*>(&view)}) {
            w->setFont(testFont());
            w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            w->resize(width, 240);
        }
        oracle.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        oracle.setWordWrapMode(anywhere ? QTextOption::WrapAnywhere
                                        : QTextOption::WrapAtWordBoundaryOrAnywhere);
        oracle.setPlainText(text);
        view.setBuffer(&store, &history);
        view.setWrapAnywhere(anywhere);
        oracle.show();
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&oracle));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Does the same to both.
    void both(const std::function<void(QWidget*)>& action) {
        action(&oracle);
        action(&view);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        both([&](QWidget* w) { QTest::keyClick(w, Qt::Key(key), modifiers); });
    }
    void type(const QString& text) {
        both([&](QWidget* w) { sendText(w, text); });
    }
    void inputMethod(const QString& preedit, const QString& commit) {
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        QList<QInputMethodEvent::Attribute> attributes;
        if (!preedit.isEmpty()) {
            attributes.append({QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline});
            attributes.append({QInputMethodEvent::Cursor, int(preedit.size()) - 1, 1, {}});
        }
        both([&](QWidget* w) {
            QInputMethodEvent event(preedit, attributes);
            event.setCommitString(commit);
            QApplication::sendEvent(w, &event);
        });
    }
    QWidget* viewportOf(QWidget* w) { return w == &oracle ? oracle.viewport() : view.viewport(); }
    // A point of the viewport on the caret's place at `position` in the old widget.
    QPoint pointOf(qsizetype position) {
        QTextCursor c(oracle.document());
        c.setPosition(int(position));
        return oracle.cursorRect(c).center();
    }

    // What differs between the two, or nothing. A screen reader is asked only of committed text: the old
    // widget answers it in the composition's positions then.
    QString difference(bool composing = false) const {
        if (oracle.toPlainText() != store.toString()) return u"text"_s;
        const QTextCursor c = oracle.textCursor();
        if (c.position() != view.caret() || c.anchor() != view.anchor())
            return u"caret %1 / %2, anchor %3 / %4"_s.arg(c.position())
                .arg(view.caret())
                .arg(c.anchor())
                .arg(view.anchor());
        if (!sameRect(oracle.cursorRect(), view.caretRect()))
            return u"caret rectangle %1 / %2 (scrolled %3 of %9 rows, line %8, %4 px / %5 rows, line %6 row %7)"_s
                .arg(show(oracle.cursorRect()), show(view.caretRect()))
                .arg(oracle.verticalScrollBar()->value())
                .arg(oracle.contentOffset().y())
                .arg(view.verticalScrollBar()->value())
                .arg(view.firstVisibleLine())
                .arg(view.firstVisibleRow())
                .arg(oracle.firstVisibleBlock().blockNumber())
                .arg(oracle.verticalScrollBar()->maximum());
        for (const Qt::InputMethodQuery q :
             {Qt::ImEnabled, Qt::ImCursorRectangle, Qt::ImAnchorRectangle, Qt::ImSurroundingText,
              Qt::ImCursorPosition, Qt::ImAnchorPosition, Qt::ImAbsolutePosition, Qt::ImCurrentSelection,
              Qt::ImTextBeforeCursor, Qt::ImTextAfterCursor, Qt::ImReadOnly}) {
            const QVariant a = oracle.inputMethodQuery(q), b = view.inputMethodQuery(q);
            const bool same = a.typeId() == QMetaType::QRectF
                                  ? sameRect(a.toRectF().toRect(), b.toRectF().toRect())
                                  : a.toString() == b.toString();
            if (!same) {
                const QRectF ra = a.toRectF(), rb = b.toRectF();
                return u"input method query %1: %2 / %3 (%4,%5 / %6,%7)"_s.arg(int(q))
                    .arg(a.toString(), b.toString())
                    .arg(ra.x())
                    .arg(ra.y())
                    .arg(rb.x())
                    .arg(rb.y());
            }
        }
        return composing ? QString() : accessibleDifference();
    }

    QString accessibleDifference() const {
        QAccessibleTextInterface* a =
            QAccessible::queryAccessibleInterface(const_cast<OldWidget*>(&oracle))->textInterface();
        QAccessibleTextInterface* b =
            QAccessible::queryAccessibleInterface(const_cast<view::TextView*>(&view))->textInterface();
        if (!b) return u"no text interface"_s;
        if (a->characterCount() != b->characterCount()) return u"accessible character count"_s;
        if (a->cursorPosition() != b->cursorPosition()) return u"accessible caret"_s;
        if (a->selectionCount() != b->selectionCount()) return u"accessible selection count"_s;
        if (a->selectionCount() > 0) {
            int s1, e1, s2, e2;
            a->selection(0, &s1, &e1);
            b->selection(0, &s2, &e2);
            if (s1 != s2 || e1 != e2) return u"accessible selection"_s;
        }
        if (a->text(0, a->characterCount()) != b->text(0, b->characterCount())) return u"accessible text"_s;
        const int at = a->cursorPosition();
        using Reader =
            QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;
        const struct {
            const char* what;
            Reader read;
            QAccessible::TextBoundaryType boundary;
        } questions[] = {
            {"character at", &QAccessibleTextInterface::textAtOffset, QAccessible::CharBoundary},
            {"line at", &QAccessibleTextInterface::textAtOffset, QAccessible::LineBoundary},
            {"line before", &QAccessibleTextInterface::textBeforeOffset, QAccessible::LineBoundary},
            {"line after", &QAccessibleTextInterface::textAfterOffset, QAccessible::LineBoundary},
            {"paragraph at", &QAccessibleTextInterface::textAtOffset, QAccessible::ParagraphBoundary},
            {"sentence at", &QAccessibleTextInterface::textAtOffset, QAccessible::SentenceBoundary},
            {"all", &QAccessibleTextInterface::textAtOffset, QAccessible::NoBoundary},
        };
        for (const auto& q : questions) {
            int s1 = 0, e1 = 0, s2 = 0, e2 = 0;
            const QString t1 = (a->*q.read)(at, q.boundary, &s1, &e1);
            const QString t2 = (b->*q.read)(at, q.boundary, &s2, &e2);
            if (t1 != t2 || s1 != s2 || e1 != e2)
                return u"accessible %1: [%2, %3) / [%4, %5)"_s.arg(QLatin1String(q.what))
                    .arg(s1)
                    .arg(e1)
                    .arg(s2)
                    .arg(e2);
        }
        // The character's box: the old widget's leaves out where its line stands on screen (its rows are
        // counted from its line's top), so only its size and x are the view's; the view's box stands in
        // the caret's row (to a pixel's rounding).
        if (at < a->characterCount()) {
            const QRect r1 = a->characterRect(at).translated(-oracle.viewport()->mapToGlobal(QPoint()));
            const QRect r2 = b->characterRect(at).translated(-view.viewport()->mapToGlobal(QPoint()));
            const QRect row = view.caretRect(at);
            // (Its width of a character beyond the BMP is that of its first half.)
            const bool wide = QChar(store.at(at)).isHighSurrogate();
            if (r1.x() != r2.x() || r1.height() != r2.height() || (!wide && r1.width() != r2.width()) ||
                r2.top() < row.top() - 1 || r2.bottom() > row.bottom() + 1)
                return u"accessible character box %1 / %2 in the row %3"_s.arg(show(r1), show(r2), show(row));
        }
        return {};
    }

    // Rectangles are the same to the pixel, but for the part of a pixel both keep in their scrolled offset
    // (each scrolls by whole pixels and carries the rest), which can round a row a pixel apart after long
    // runs of scrolling and editing near wrapped lines: y may differ by one pixel, on screen or off it by a
    // pixel. Further off screen the old widget gives a line it does not reach (beyond two screens) a place
    // of its own; there the view's must only be off screen on the same side. At the end of its scroll
    // range the old widget's top row can be one row off its own layout (it counts rows of lines it has not
    // laid out as one each); there the view's rectangle must be on screen at the same x.
    bool sameRect(const QRect& a, const QRect& b) const {
        const int height = oracle.viewport()->height();
        if (a.x() == b.x() && a.size() == b.size() && std::abs(a.y() - b.y()) <= 1) return true;
        if (a.bottom() < 0) return b.bottom() < 0;
        if (a.top() >= height) return b.top() >= height;
        if (oracle.verticalScrollBar()->value() == oracle.verticalScrollBar()->maximum() &&
            oracle.verticalScrollBar()->value() > 0)
            return a.x() == b.x() && a.size() == b.size() && b.top() >= 0 && b.bottom() < height;
        return false;
    }

    // The rows of the caret's line in both, as start+length, for a report.
    QString rows() const {
        const QTextBlock block = oracle.textCursor().block();
        QString out = u"old:"_s;
        for (int i = 0; i < block.layout()->lineCount(); ++i)
            out += u" %1+%2 (h %3)"_s.arg(block.position() + block.layout()->lineAt(i).textStart())
                       .arg(block.layout()->lineAt(i).textLength())
                       .arg(block.layout()->lineAt(i).height());
        out += u"; view:"_s;
        const qsizetype line = store.lineAt(view.caret());
        const view::ViewLayout::Line& l = view.viewLayout().line(line);
        for (const view::ViewLayout::Piece& p : l.pieces)
            for (int i = 0; p.layout && i < p.layout->lineCount(); ++i)
                out +=
                    u" %1+%2 (h %3)"_s.arg(store.lineStart(line) + p.start + p.layout->lineAt(i).textStart())
                        .arg(p.layout->lineAt(i).textLength())
                        .arg(p.layout->lineAt(i).height());
        return out;
    }

    static QString show(const QRect& r) {
        return u"(%1,%2 %3x%4)"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

    OldWidget oracle;
    document::TextStore store;
    document::EditHistory history;
    view::TextView view;
};

QString randomText(QRandomGenerator& random, const QStringList& words, int lines) {
    QStringList out;
    for (int l = 0; l < lines; ++l) {
        QStringList line;
        for (int n = random.bounded(random.bounded(4) == 0 ? 40 : 8); n > 0; --n)
            line.append(words[random.bounded(int(words.size()))]);
        out.append(line.join(u' '));
    }
    return out.join(u'\n');
}

class TextViewOracle : public ::testing::TestWithParam<OracleRun> {};

TEST_P(TextViewOracle, AnswersAsTheOldWidgetAfterEachStep) {
    const OracleRun& run = GetParam();
    QRandomGenerator random(run.seed);
    Pair pair(randomText(random, run.words, 60), run.width, run.anywhere);
    ASSERT_EQ(pair.oracle.viewport()->size(), pair.view.viewport()->size());
    QStringList log;
    // A point of the viewport off the edges of rows: the two may scroll a part of a pixel apart (see
    // sameRect), which must not decide which row a click hits.
    auto randomPoint = [&] {
        for (;;) {
            const QPoint p(random.bounded(pair.oracle.viewport()->width()),
                           random.bounded(pair.oracle.viewport()->height()));
            if (pair.oracle.cursorForPosition(p - QPoint(0, 1)).position() ==
                pair.oracle.cursorForPosition(p + QPoint(0, 1)).position())
                return p;
        }
    };
    // Each step, with how often it comes.
    struct Step {
        int weight;
        std::function<QString()> act;
    };
    auto key = [&](int k, Qt::KeyboardModifiers m, const char* name) {
        return [&pair, k, m, name] {
            pair.key(k, m);
            return QString::fromLatin1(name);
        };
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, none = Qt::NoModifier;
    std::vector<Step> steps = {
        {20,
         [&] {
             const QString w = run.words[random.bounded(int(run.words.size()))];
             const QString t = random.bounded(3) == 0 ? u" "_s : w.left(1 + random.bounded(int(w.size())));
             pair.type(t);
             return u"type "_s + t;
         }},
        {3, key(Qt::Key_Return, none, "Enter")},
        {1, key(Qt::Key_Tab, none, "Tab")},
        {4, key(Qt::Key_Backspace, none, "Backspace")},
        {3, key(Qt::Key_Delete, none, "Delete")},
        {6, key(Qt::Key_Left, none, "Left")},
        {6, key(Qt::Key_Right, none, "Right")},
        {6, key(Qt::Key_Up, none, "Up")},
        {6, key(Qt::Key_Down, none, "Down")},
        {2, key(Qt::Key_Left, shift, "Shift+Left")},
        {2, key(Qt::Key_Right, shift, "Shift+Right")},
        {2, key(Qt::Key_Up, shift, "Shift+Up")},
        {2, key(Qt::Key_Down, shift, "Shift+Down")},
        {3, key(Qt::Key_Home, none, "Home")},
        {3, key(Qt::Key_End, none, "End")},
        {1, key(Qt::Key_Home, shift, "Shift+Home")},
        {1, key(Qt::Key_End, shift, "Shift+End")},
        {2, key(Qt::Key_PageDown, none, "PageDown")},
        {2, key(Qt::Key_PageUp, none, "PageUp")},
        {1, key(Qt::Key_PageDown, shift, "Shift+PageDown")},
        {1, key(Qt::Key_Home, ctrl, "Ctrl+Home")},
        {1, key(Qt::Key_End, ctrl, "Ctrl+End")},
        {1, key(Qt::Key_End, ctrl | shift, "Ctrl+Shift+End")},
        {1, key(Qt::Key_A, ctrl, "Ctrl+A")},
        {4,
         [&] {
             const qsizetype at = random.bounded(int(pair.store.size()) + 1);
             const QPoint p = pair.pointOf(at);
             if (!pair.oracle.viewport()->rect().contains(p)) return u"(no click: off screen)"_s;
             pair.both([&](QWidget* w) { QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, {}, p); });
             return u"click at %1 (%2,%3)"_s.arg(at).arg(p.x()).arg(p.y());
         }},
        {2,
         [&] {
             const QPoint p = randomPoint();
             pair.both([&](QWidget* w) { QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, {}, p); });
             return u"click (%1,%2)"_s.arg(p.x()).arg(p.y());
         }},
        // Shift+click right after a click, a double-click or a triple-click: from the word or the line these
        // chose (until a click elsewhere, whatever the keys did since).
        {2,
         [&] {
             const QPoint p = randomPoint(), q = randomPoint();
             const int clicks = run.wordKeys ? random.bounded(3) : 2 * random.bounded(2);
             QString trace;
             pair.both([&](QWidget* w) {
                 auto note = [&] {
                     trace +=
                         u" %1/%2"_s
                             .arg(w == &pair.oracle ? pair.oracle.textCursor().position() : pair.view.caret())
                             .arg(w == &pair.oracle ? pair.oracle.textCursor().anchor() : pair.view.anchor());
                 };
                 QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
                 note();
                 if (clicks > 0) QTest::mouseDClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
                 note();
                 if (clicks > 1) QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
                 note();
                 QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, Qt::ShiftModifier, q);
                 trace += u" |"_s;
             });
             return u"%1 click (%2,%3), Shift+click (%4,%5)"_s.arg(clicks + 1)
                        .arg(p.x())
                        .arg(p.y())
                        .arg(q.x())
                        .arg(q.y()) +
                    trace;
         }},
        {1,
         [&] {
             const QPoint p = randomPoint();
             pair.both([&](QWidget* w) {
                 QTest::mouseDClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
                 QTest::mouseClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
             });
             return u"triple click (%1,%2)"_s.arg(p.x()).arg(p.y());
         }},
        {2,
         [&] {
             pair.inputMethod(u"にほん"_s, {});
             if (const QString d = pair.difference(true); !d.isEmpty()) return u"composing: "_s + d;
             // (Rows that compare word stops commit letters: the view stops inside Japanese by intent.)
             pair.inputMethod({}, random.bounded(2) ? (run.wordKeys ? u"nihon"_s : u"日本"_s) : QString());
             return u"input method"_s;
         }},
        {1,
         [&] {
             QApplication::clipboard()->setText(u"pasted\ntext "_s);
             pair.key(Qt::Key_V, ctrl);
             return u"paste"_s;
         }},
        {1, key(Qt::Key_X, ctrl, "cut")},
    };
    if (run.wordKeys) {
        steps.push_back({4, key(Qt::Key_Right, ctrl, "Ctrl+Right")});
        steps.push_back({4, key(Qt::Key_Left, ctrl, "Ctrl+Left")});
        steps.push_back({1, key(Qt::Key_Right, ctrl | shift, "Ctrl+Shift+Right")});
        steps.push_back({1, key(Qt::Key_Backspace, ctrl, "Ctrl+Backspace")});
        steps.push_back({1, key(Qt::Key_Delete, ctrl, "Ctrl+Delete")});
        steps.push_back({1, [&] {
                             const QPoint p = randomPoint();
                             pair.both([&](QWidget* w) {
                                 QTest::mouseDClick(pair.viewportOf(w), Qt::LeftButton, {}, p);
                             });
                             return u"double click (%1,%2)"_s.arg(p.x()).arg(p.y());
                         }});
    }
    int total = 0;
    for (const Step& s : steps)
        total += s.weight;
    for (int i = 0; i < run.steps; ++i) {
        int pick = random.bounded(total);
        const Step* step = &steps.front();
        for (const Step& s : steps) {
            if (pick < s.weight) {
                step = &s;
                break;
            }
            pick -= s.weight;
        }
        const QString before = pair.rows() + u" caret "_s +
                               QString::number(pair.oracle.textCursor().position()) + u" text: "_s +
                               pair.oracle.textCursor().block().text() + u" | next: "_s +
                               pair.oracle.textCursor().block().next().text();
        const QString textBefore = pair.oracle.toPlainText();
        QString what = step->act();
        // Both paint what they show, as on a screen: the old widget lays out the lines it paints only then.
        pair.oracle.viewport()->repaint();
        pair.view.viewport()->repaint();
        // A line break put in at the last line that takes rows away (Enter over a selection there) leaves
        // the old widget's scroll range as it was, and it shows blank rows below the text; the view keeps the
        // last row at the bottom. Both go to the start then, and the run goes on from there.
        if (pair.oracle.verticalScrollBar()->value() > 0 && pair.oracle.blankBelow()) {
            pair.key(Qt::Key_Home, ctrl);
            what += u" (the old widget showed blank rows below the text: both to the start)"_s;
        }
        log.append(what + u"  -> caret %1 anchor %2 top %3 (%4) / %5.%6 (%11) bar %7 of %8 / %9 of %10"_s
                              .arg(pair.oracle.textCursor().position())
                              .arg(pair.oracle.textCursor().anchor())
                              .arg(pair.oracle.firstVisibleBlock().blockNumber())
                              .arg(pair.oracle.contentOffset().y())
                              .arg(pair.view.firstVisibleLine())
                              .arg(pair.view.firstVisibleRow())
                              .arg(pair.oracle.verticalScrollBar()->value())
                              .arg(pair.oracle.verticalScrollBar()->maximum())
                              .arg(pair.view.verticalScrollBar()->value())
                              .arg(pair.view.verticalScrollBar()->maximum())
                              .arg(-pair.view.scrolledOffset()));
        const QString d = what.startsWith(u"composing: ") ? what : pair.difference();
        if (!d.isEmpty()) {
            FAIL() << "step " << i << ": " << d.toStdString() << "\nsteps:\n"
                   << log.mid(std::max<qsizetype>(0, log.size() - 12)).join(u'\n').toStdString()
                   << "\nwhole text before: " << textBefore.toStdString()
                   << "\nrows of the caret's line: " << pair.rows().toStdString()
                   << "\nbefore: " << before.toStdString() << "\ntext near the caret: "
                   << pair.oracle.toPlainText()
                          .mid(std::max<qsizetype>(0, pair.view.caret() - 30), 60)
                          .toStdString();
        }
    }
}

const QStringList kLatin{u"lorem"_s, u"ipsum"_s, u"dolor"_s, u"a"_s,      u"{"_s,   u"}"_s,
                         u"title"_s, u"="_s,     u"x.y"_s,   u"\"q\","_s, u"sit"_s, u"amet,"_s};
const QStringList kMixed{u"日本語の"_s, u"文章です。"_s, u"テキスト"_s, u"abc"_s, u"e\u0301t\u00e9"_s,
                         u"😀"_s,        u"{"_s,          u"データ"_s,   u"x"_s};

// (A row's name in the test list.)
void PrintTo(const OracleRun& run, std::ostream* out) {
    *out << run.what;
}

INSTANTIATE_TEST_SUITE_P(
    TextView, TextViewOracle,
    ::testing::Values(
        OracleRun{"Latin words wrapped between words", kLatin, 320, false, true, 1, 2000},
        OracleRun{"Latin words in a narrow view", kLatin, 140, false, true, 2, 2000},
        OracleRun{"Latin words in a very narrow view", kLatin, 120, false, true, 50, 3000},
        OracleRun{"Latin words in a wide view", kLatin, 500, false, true, 17, 2000},
        OracleRun{"Latin words, Shift+click from a double-clicked word to a line start", kLatin, 300, false,
                  true, 48, 3000},
        OracleRun{"Latin wrapped anywhere", kLatin, 260, true, true, 5, 2000},
        OracleRun{"Latin wrapped anywhere, narrow", kLatin, 200, true, true, 15, 2000},
        OracleRun{"Latin wrapped anywhere, very narrow", kLatin, 120, true, true, 40, 3000},
        OracleRun{"Japanese, combining marks and emoji between words", kMixed, 300, false, false, 3, 2000},
        OracleRun{"Japanese in a narrow view", kMixed, 180, false, false, 36, 2000},
        OracleRun{"Japanese in a very narrow view", kMixed, 120, false, false, 45, 3000},
        OracleRun{"Japanese in a wide view", kMixed, 420, false, false, 59, 3000},
        OracleRun{"Japanese wrapped anywhere", kMixed, 220, true, false, 4, 2000},
        OracleRun{"Japanese wrapped anywhere, narrow", kMixed, 160, true, false, 14, 2000},
        OracleRun{"Japanese wrapped anywhere, narrower", kMixed, 120, true, false, 37, 2000},
        OracleRun{"Japanese wrapped anywhere, wide", kMixed, 420, true, false, 49, 3000},
        OracleRun{"Latin words in a very narrow view, a Shift+click after a double-click on the bottom row",
                  kLatin, 120, false, true, 110, 3000},
        OracleRun{"Latin words in a very narrow view, a caret's rectangle a part of a pixel above the view",
                  kLatin, 120, false, true, 120, 3000},
        OracleRun{"Latin wrapped anywhere, a page key after a key that could not move the caret", kLatin, 160,
                  true, true, 136, 3000},
        OracleRun{"Japanese wrapped anywhere, a triple-click after a double-click on the bottom row", kMixed,
                  260, true, false, 185, 3000},
        OracleRun{"Latin words in a very narrow view, a page key after typing over a selection took the top "
                  "line away",
                  kLatin, 120, false, true, 170, 3000},
        OracleRun{"Japanese in a wide view, a click inside the selection on the bottom row", kMixed, 500,
                  false, false, 247, 3000},
        OracleRun{"Japanese wrapped anywhere, PageUp with the caret of a selection at a wrap point", kMixed,
                  140, true, false, 1014, 919},
        OracleRun{"Japanese wrapped anywhere, Enter over a selection from the top row takes the top line's "
                  "rows away",
                  kMixed, 300, true, false, 1074, 114},
        OracleRun{"Japanese in a narrow view, Delete over a selection takes the top line's rows away", kMixed,
                  140, false, false, 1016, 174}),
    [](const auto& info) { return std::to_string(info.index); });

} // namespace
