// The window "文献の検査" through its controls: the list, errors first, Enter to each line (also after
// edits), F8 and Shift+F8 without the window, and 再検査 after a fix.
#include "app/check_window.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {

class CheckWindowTest : public AppFixture {
protected:
    QWidget* window() { return form1().findChild<QWidget*>(QStringLiteral("CheckForm1")); }
    QTreeView* list() { return window()->findChild<QTreeView*>(QStringLiteral("FindingList")); }
    QString cell(int row, int column) { return list()->model()->index(row, column).data().toString(); }
    int caretLine() { return form1().editor()->textCursor().blockNumber() + 1; }
    QString selection() { return form1().editor()->textCursor().selectedText(); }
    void enterOn(int row) {
        list()->setCurrentIndex(list()->model()->index(row, 0));
        QTest::keyClick(list(), Qt::Key_Return);
    }
};

// Line 2: a warning (no journal); line 4: a note (one hyphen); line 6: an error (no "=").
const QString kText = QStringLiteral("% refs\n"
                                     "@article{a, author={A}, title={T}, year=2000}\n"
                                     "\n"
                                     "@misc{b, author={B}, pages={1-2}}\n"
                                     "\n"
                                     "@misc{c, author={C}, note {n}}\n");

TEST_F(CheckWindowTest, ListsErrorsFirstAndEnterSelectsTheLineEvenAfterEdits) {
    EXPECT_FALSE(form1().findChild<QAction*>(QStringLiteral("Check1"))->isEnabled()); // empty, as 検索
    EXPECT_EQ(form1().findChild<QAction*>(QStringLiteral("Check1"))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    type(kText);
    command("Check1");
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("文献の検査"));
    const QAbstractItemModel* model = list()->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("行"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("文献ラベル"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("内容"));
    ASSERT_EQ(model->rowCount(), 3);
    const struct {
        const char* line;
        const char* label;
        const char* message;
    } rows[] = {
        {"6", "c", "「=」がありません"},
        {"2", "a", "journal がありません (論文誌の論文には必要です)"},
        {"4", "b", "ページの範囲 '1-2' は「-」でなく「--」で書きます"},
    };
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(cell(row, 0), QString::fromUtf8(rows[row].line));
        EXPECT_EQ(cell(row, 1), QString::fromUtf8(rows[row].label));
        EXPECT_EQ(cell(row, 2), QString::fromUtf8(rows[row].message));
    }
    EXPECT_EQ(window()->findChild<QLabel*>(QStringLiteral("CountLabel"))->text(),
              QStringLiteral("エラー 1 件　警告 1 件　注意 1 件"));

    enterOn(0);
    EXPECT_EQ(caretLine(), 6);
    EXPECT_EQ(form1().editor()->textCursor().position(), form1().editor()->textCursor().block().position());
    EXPECT_EQ(selection(), QStringLiteral("@misc{c, author={C}, note {n}}"));

    // Two lines typed above: the rows follow their lines until the next check.
    QTextCursor top(form1().editor()->document());
    top.insertText(QStringLiteral("x\ny\n"));
    enterOn(1);
    EXPECT_EQ(caretLine(), 4);
    EXPECT_EQ(selection(), QStringLiteral("@article{a, author={A}, title={T}, year=2000}"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("4"));
}

TEST_F(CheckWindowTest, F8WalksTheFindingsInLineOrderAndRecheckDropsAFixedOne) {
    type(kText);
    form1().editor()->moveCursor(QTextCursor::Start);
    // F8 checks on its first use, without the window.
    for (int line : {2, 4, 6, 2}) {
        command("NextFinding1");
        EXPECT_EQ(caretLine(), line);
    }
    EXPECT_TRUE(window() == nullptr || !window()->isVisible());
    for (int line : {6, 4}) {
        command("PreviousFinding1");
        EXPECT_EQ(caretLine(), line);
    }

    command("Check1");
    ASSERT_EQ(list()->model()->rowCount(), 3);
    QTextCursor fix(form1().editor()->document()->findBlockByNumber(5));
    fix.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    fix.insertText(QStringLiteral("@misc{c, author={C}, note={n}}"));
    QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("RecheckButton")), Qt::LeftButton);
    ASSERT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 2), QStringLiteral("journal がありません (論文誌の論文には必要です)"));
}

} // namespace
