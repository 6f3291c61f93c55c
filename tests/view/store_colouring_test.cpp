// The colouring of the text view against reading the text from the top (the oracle in tests/support):
// random typing of braces, quotes, "@", Enter, Backspace, pastes of several lines, undo, caret moves,
// selections and switching the colouring off and on; after each step the lines shown must have the
// formats, the matching pair the selection and the band the lines that reading the whole text from its
// top gives. And what the oracle cannot show: a keystroke reads no further than the lines shown, and
// lines far down are coloured from a guess that the background reading makes right.
#include "support/colouring_oracle.h"
#include "view/colouring_rules.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// `count` entries of several forms: braces and quotes, nested braces, parentheses, @string, @comment,
// an abbreviation, a number and Japanese text.
QString entries(int count) {
    QString text = u"% 文献\n@string{jp = {日本語}}\n"_s;
    for (int i = 0; i < count; ++i) {
        switch (i % 4) {
        case 0:
            text +=
                u"@article{key%1,\n  title = {A {Nested} title},\n  author = \"山田 太郎\",\n  year = 20%1,\n}\n"_s
                    .arg(i);
            break;
        case 1:
            text += u"@book(key%1,\n  publisher = jp # \" 出版\",\n  note = {two\n    lines}\n)\n"_s.arg(i);
            break;
        case 2:
            text += u"@comment{not read}\nplain words (between) entries\n"_s;
            break;
        default:
            text += u"@misc{key%1, howpublished = {x}, pages = \"1--2\"}\n\n"_s.arg(i);
        }
    }
    return text;
}

struct ColouringRun {
    const char* what;
    int entries;
    int width;
    quint32 seed;
    int steps;
};

class StoreColouringOracle : public testing::TestWithParam<ColouringRun> {};

TEST_P(StoreColouringOracle, ShowsWhatReadingFromTheTopGives) {
    const ColouringRun run = GetParam();
    oracle::ColouredView coloured(entries(run.entries), run.width, 240);
    QRandomGenerator random(run.seed);
    const QStringList typed = {u"{"_s,      u"}"_s, u"\""_s,  u"@"_s, u"("_s, u")"_s,
                               u"@book{"_s, u"x"_s, u" = "_s, u","_s, u"日"_s};
    const QStringList pasted = {u"@article{p,\n  title = {Pasted {x}},\n}\n"_s, u"}\n\"\n@misc{q\n"_s,
                                u"  note = \"a\n  b\",\n"_s};
    ASSERT_TRUE(coloured.exposed);
    ASSERT_EQ(coloured.difference().toStdString(), "");
    for (int step = 0; step < run.steps; ++step) {
        const int size = int(coloured.store.size());
        const int shownBefore = coloured.colouring->matchesShown();
        QString did;
        switch (random.bounded(12)) {
        case 0:
        case 1:
        case 2:
            did = typed[random.bounded(int(typed.size()))];
            coloured.type(did);
            break;
        case 3:
            did = u"Enter"_s;
            coloured.key(Qt::Key_Return);
            break;
        case 4:
            did = u"Backspace"_s;
            coloured.key(Qt::Key_Backspace);
            break;
        case 5:
            did = pasted[random.bounded(int(pasted.size()))];
            coloured.paste(did);
            break;
        case 6:
            did = u"undo"_s;
            coloured.key(Qt::Key_Z, Qt::ControlModifier);
            break;
        case 7: {
            const qsizetype from = random.bounded(size + 1);
            const qsizetype to = std::min<qsizetype>(size, from + random.bounded(40));
            did = u"select %1-%2"_s.arg(from).arg(to);
            coloured.select(from, to);
            break;
        }
        case 8:
            if (random.bounded(4) == 0) {
                const bool on = !coloured.colouring->isEnabled();
                did = on ? u"on"_s : u"off"_s;
                coloured.colouring->setEnabled(on);
                break;
            }
            [[fallthrough]];
        default: {
            // Next to a brace or quote most of the time: the matching pair is looked for there.
            qsizetype at = random.bounded(size + 1);
            const QString text = coloured.store.toString();
            const qsizetype mark = text.indexOf(QRegularExpression(u"[{}()\"]"_s), at);
            if (mark >= 0 && random.bounded(4) != 0) at = mark + random.bounded(2);
            did = u"caret %1"_s.arg(at);
            coloured.moveCaret(at);
        }
        }
        coloured.settle();
        ASSERT_EQ(coloured.difference().toStdString(), "")
            << run.what << ": step " << step << " (" << did.toStdString() << ")";
        // A change tells of itself and of the caret it moved: the pair is looked for once for both.
        ASSERT_LE(coloured.colouring->matchesShown() - shownBefore, 1)
            << run.what << ": step " << step << " (" << did.toStdString() << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, StoreColouringOracle,
                         testing::Values(ColouringRun{"few entries, wide", 6, 480, 1, 300},
                                         ColouringRun{"many entries, narrow (rows wrap)", 60, 220, 2, 300},
                                         ColouringRun{"many entries, wide", 60, 480, 3, 300},
                                         ColouringRun{"many entries, another seed", 60, 360, 4, 300}),
                         [](const auto& info) { return "seed" + std::to_string(info.param.seed); });

TEST(StoreColouring, ReadsNoFurtherThanShownAndMendsItsGuessInTheBackground) {
    // 70,000 lines: a keystroke far below the lines known is coloured from a guess at once.
    document::TextStore store(entries(14'000));
    document::EditHistory history(store);
    view::TextView view;
    view.resize(400, 240);
    view.setBuffer(&store, &history);
    auto* colouring = new view::StoreColouring(&view);
    bool busy = true; // the background reading waits meanwhile
    colouring->setBusy([&] { return busy; });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.viewport()->repaint();
    // A screen's lines, and those the view lays out around them: not the text.
    constexpr qsizetype kFew = 1000;
    EXPECT_LT(colouring->knownLines(), kFew);

    const qsizetype deep = store.lineCount() - 30;
    view.setCaret(store.lineStart(deep));
    QTest::keyClick(&view, Qt::Key_X);
    view.viewport()->repaint();
    EXPECT_LT(colouring->knownLines(), kFew) << "the keystroke read the text from the top";

    // The formats reading from the top gives for the lines on screen, against the view's as laid out.
    auto differing = [&]() -> qsizetype {
        const qsizetype first = view.firstVisibleLine();
        bibtex::LineState state;
        for (qsizetype l = 0; l < first; ++l)
            state = view::keptState(bibtex::readLine(store.line(l), state));
        for (qsizetype line = first; line <= view.lastVisibleLine(); ++line) {
            const auto truth = view::lineFormats(store.line(line), state, colouring->look());
            if (view.viewLayout().laidPiece(line, 0).layout->formats() != truth) return line;
            state = view::keptState(bibtex::readLine(store.line(line), state));
        }
        return -1;
    };
    EXPECT_EQ(differing(), -1) << "a guess of well-formed entries";
    // A value opened far above, off screen, takes in every line below it: the guess from the nearest
    // head line cannot know, the reading from the top finds it and the lines shown are coloured again.
    history.edit(store.lineStart(deep - 5000), 0, u"@misc{open, note = {\n"_s, document::EditKind::Command);
    view.viewport()->repaint();
    EXPECT_NE(differing(), -1) << "the guess already saw the change";
    busy = false;
    for (int i = 0; i < 100000 && colouring->knownLines() < store.lineCount(); ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(colouring->knownLines(), store.lineCount());
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    EXPECT_EQ(differing(), -1);
}

} // namespace
