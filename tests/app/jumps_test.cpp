// Where a jump leaves the view: a found line that is well in view stays where it is on the screen; one
// the jump has to scroll to comes about a third from the top, whichever way the jump was asked for.
#include "app/editor_jump.h"
#include "app/search_dialogs.h"
#include "support/app_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <functional>

namespace {

class Jumps : public AppFixture {
protected:
    qsizetype foundLine() { return caretLine() + 1; }
    int rowsOnScreen() { return editor().viewport()->height() / editor().fontMetrics().lineSpacing(); }
    // A head on the first line, the found line `target` (a head with a finding and the word "needle", in
    // a `wrapped` line after rows of words), and a head 200 lines after it.
    QString textWith(int target, bool wrapped) {
        QString text = QStringLiteral("@misc{first, author={A}}\n");
        text += QStringLiteral("% filler\n").repeated(target - 2);
        const QString words = wrapped ? QStringLiteral("lorem ipsum ").repeated(60) : QString();
        text += QStringLiteral("@misc{found, author={A}, note {%1needle}}\n").arg(words);
        text += QStringLiteral("% filler\n").repeated(200);
        return text + QStringLiteral("@misc{last, author={A}}\n");
    }
};

TEST_F(Jumps, AJumpThatScrollsPutsTheLineAThirdFromTheTopAndOneWellInViewDoesNotScroll) {
    form1().show();
    ASSERT_GT(rowsOnScreen(), 8);
    enum class From { Top, End };
    // FarWrapped: far, on a later row of a line that wraps.
    enum class Target { Far, Near, InTheLowestQuarter, FarWrapped };
    const std::function<void()> f8 = [&] { command("NextFinding1"); };
    const std::function<void()> shiftF8 = [&] { command("PreviousFinding1"); };
    const std::function<void()> enterInTheList = [&] {
        command("Check1");
        auto* list = form1().findChild<QTreeView*>(QStringLiteral("FindingList"));
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Return);
    };
    const std::function<void()> ctrlDown = [&] {
        QTest::keyClick(&editor(), Qt::Key_Down, Qt::ControlModifier);
    };
    const std::function<void()> ctrlUp = [&] { QTest::keyClick(&editor(), Qt::Key_Up, Qt::ControlModifier); };
    const std::function<void()> findNext = [&] {
        app::SearchDialog& dialog = form1().findDialog();
        dialog.showBeside();
        dialog.findChild<QLineEdit*>(QStringLiteral("FindTextEdit"))->setText(QStringLiteral("needle"));
        dialog.findChild<QPushButton*>(QStringLiteral("FindNextButton"))->click();
    };
    const struct {
        const char* way;
        const std::function<void()>& jump;
        From from;
        Target target;
    } rows[] = {
        {"F8", f8, From::Top, Target::Far},
        {"F8", f8, From::Top, Target::Near},
        {"F8", f8, From::Top, Target::InTheLowestQuarter},
        {"Shift+F8", shiftF8, From::End, Target::Far},
        {"Enter in the check window", enterInTheList, From::Top, Target::Far},
        {"Enter in the check window", enterInTheList, From::Top, Target::Near},
        {"Ctrl+Down", ctrlDown, From::Top, Target::Far},
        {"Ctrl+Down", ctrlDown, From::Top, Target::Near},
        {"Ctrl+Down", ctrlDown, From::Top, Target::InTheLowestQuarter},
        {"Ctrl+Up", ctrlUp, From::End, Target::Far},
        {"次を検索", findNext, From::Top, Target::Far},
        {"次を検索", findNext, From::Top, Target::Near},
        {"次を検索", findNext, From::Top, Target::FarWrapped},
        {"Ctrl+Down", ctrlDown, From::Top, Target::FarWrapped},
    };
    for (const auto& row : rows) {
        const bool wrapped = row.target == Target::FarWrapped;
        const int target = row.target == Target::Far || wrapped ? 200
                           : row.target == Target::Near         ? 5
                                                                : rowsOnScreen() - 1;
        SCOPED_TRACE(std::string(row.way) + ", line " + std::to_string(target) +
                     (wrapped ? ", wrapped" : ""));
        form1().FileOpen(writeFile(QStringLiteral("jumps.bib"), textWith(target, wrapped).toUtf8()));
        editor().setFocus();
        // From the top, or onto the last head (the line before the empty last one).
        editor().setCaret(row.from == From::Top ? 0 : store().lineStart(store().lineCount() - 2));
        editor().ensureCaretVisible();
        const qsizetype topBefore = editor().firstVisibleLine();
        const int valueBefore = editor().verticalScrollBar()->value();
        row.jump();
        ASSERT_EQ(foundLine(), target);
        if (row.target == Target::Near) {
            EXPECT_EQ(editor().firstVisibleLine(), topBefore);
            EXPECT_EQ(editor().verticalScrollBar()->value(), valueBefore);
            continue;
        }
        if (wrapped && &row.jump == &findNext) {
            ASSERT_GT(editor().rowOf(editor().caret()), 2);
        }
        const int third = editor().viewport()->height() / app::kFoundRowFraction;
        EXPECT_NEAR(editor().caretRect().top(), third, 1.5 * editor().fontMetrics().lineSpacing());
    }
}

} // namespace
