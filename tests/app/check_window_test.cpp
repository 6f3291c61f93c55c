// The window "文献の検査" through its controls: the list, errors first, Enter to each line (also after
// edits), F8 and Shift+F8 without the window, 再検査 after a fix, findings that never outlive the text
// they were found in, the other place a finding names as it is now, and the window's place.
#include "app/check_window.h"
#include "app/load_indicator.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

class CheckWindowTest : public AppFixture {
protected:
    QWidget* window() { return form1().findChild<QWidget*>(QStringLiteral("CheckForm1")); }
    QTreeView* list() { return window()->findChild<QTreeView*>(QStringLiteral("FindingList")); }
    QString cell(int row, int column) { return list()->model()->index(row, column).data().toString(); }
    qsizetype caretLine() { return AppFixture::caretLine() + 1; }
    QString selection() { return editor().selectedText(); }
    void enterOn(int row) {
        list()->setCurrentIndex(list()->model()->index(row, 0));
        QTest::keyClick(list(), Qt::Key_Return);
    }
    QString counts() { return window()->findChild<QLabel*>(QStringLiteral("CountLabel"))->text(); }
    // Opens the file through 開く, as the user does; changes typed before are discarded.
    void open(const QString& file) {
        if (form1().isModified()) platform.expectSaveChanges(ui::SaveAnswer::No);
        platform.expectOpenFile(file);
        command("Open1");
        platform.verify();
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
    EXPECT_EQ(caretColumn(), 0);
    EXPECT_EQ(selection(), QStringLiteral("@misc{c, author={C}, note {n}}"));

    // Two lines typed above: the rows follow their lines until the next check.
    edit(0, 0, QStringLiteral("x\ny\n"));
    enterOn(1);
    EXPECT_EQ(caretLine(), 4);
    EXPECT_EQ(selection(), QStringLiteral("@article{a, author={A}, title={T}, year=2000}"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("4"));
}

TEST_F(CheckWindowTest, F8WalksTheFindingsInLineOrderAndRecheckDropsAFixedOne) {
    type(kText);
    editor().setCaret(0);
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
    edit(store().lineStart(5), store().lineLength(5), QStringLiteral("@misc{c, author={C}, note={n}}"));
    QTest::mouseClick(window()->findChild<QPushButton*>(QStringLiteral("RecheckButton")), Qt::LeftButton);
    ASSERT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 2), QStringLiteral("journal がありません (論文誌の論文には必要です)"));
}

// The other document: one finding, on line 3, a line on which the first (kText) has none.
const QString kOther = QStringLiteral("% other\n"
                                      "% other\n"
                                      "@misc{x, author={X}, note {n}}\n");
const QString kOtherLine = QStringLiteral("@misc{x, author={X}, note {n}}");

// One file is checked, another takes its place: its findings go with it, and neither Enter nor F8 ever
// selects a line by them in the new text; F8 checks the new one afresh. A cancelled load of a large file
// leaves the checked text, and its findings, as they were.
TEST_F(CheckWindowTest, AFindingNeverLeadsIntoAnotherDocumentThanTheOneItWasFoundIn) {
    form1().show();
    QApplication::setActiveWindow(&form1());
    const QString first = writeFile(QStringLiteral("a.bib"), kText.toUtf8());
    const QString other = writeFile(QStringLiteral("b.bib"), kOther.toUtf8());
    // Read in the background: over BackgroundRead::kAboveBytes, with the same first lines.
    QByteArray large = kOther.toUtf8();
    for (int i = 0; large.size() <= app::BackgroundRead::kAboveBytes; ++i)
        large += QStringLiteral("@misc{k%1, author={A}}\n").arg(i).toLatin1();
    const QString big = writeFile(QStringLiteral("big.bib"), large);
    large.clear();
    const auto escWhileLoading = [&] {
        QTimer::singleShot(0, &form1(), [&] {
            EXPECT_TRUE(form1().isLoading());
            QTest::keyClick(&editor(), Qt::Key_Escape);
        });
    };
    const struct {
        const char* way;
        QString file; // opened before the first, so that it is the second recent file
        std::function<void()> replace;
        bool kept;
    } rows[] = {
        {"開く", other, [&] { open(other); }, false},
        {"a recent file", other, [&] { command("N21"); }, false},
        {"新規作成, then typed", other,
         [&] {
             command("New1");
             type(kOther);
         },
         false},
        {"開く, a large file read in the background", big, [&] { open(big); }, false},
        {"開く, a large file, Esc during the load", big,
         [&] {
             escWhileLoading();
             open(big);
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.way);
        open(row.file);
        open(first);
        command("Check1");
        ASSERT_EQ(list()->model()->rowCount(), 3);
        row.replace();
        editor().setCaret(0);
        if (row.kept) {
            EXPECT_EQ(form1().documentName(), first);
            EXPECT_EQ(list()->model()->rowCount(), 3);
            command("NextFinding1");
            EXPECT_EQ(caretLine(), 2); // the first file's, which is the document again
            continue;
        }
        EXPECT_EQ(list()->model()->rowCount(), 0);
        EXPECT_EQ(counts(), QStringLiteral("まだ検査していません"));
        QTest::keyClick(list(), Qt::Key_Return); // nothing to go to
        EXPECT_EQ(editor().caret(), 0);
        EXPECT_FALSE(editor().hasSelection());

        command("NextFinding1"); // checks the new text
        EXPECT_EQ(caretLine(), 3);
        EXPECT_EQ(selection(), kOtherLine);
        ASSERT_EQ(list()->model()->rowCount(), 1);
        EXPECT_EQ(cell(0, 0), QStringLiteral("3"));
        editor().setCaret(0);
        enterOn(0);
        EXPECT_EQ(caretLine(), 3);
        EXPECT_EQ(selection(), kOtherLine);
    }
}

// A finding follows its line through edits, also where Enter or a paste at the very start of the line
// puts new lines before it; a line split in two is its beginning.
TEST_F(CheckWindowTest, AFindingFollowsItsLineThroughEditsAtEitherEnd) {
    const QString file = writeFile(QStringLiteral("a.bib"), kText.toUtf8());
    const QString line6 = QStringLiteral("@misc{c, author={C}, note {n}}"); // the error, row 0
    const auto at = [&](int line) { return store().lineStart(line); };
    const struct {
        const char* edit;
        std::function<void()> make;
        int line;
        QString selected;
    } rows[] = {
        {"Enter at its start", [&] { edit(at(5), 0, u"\n"_s); }, 7, line6},
        {"an entry pasted at its start", [&] { edit(at(5), 0, u"@misc{n, author={N}}\n\n"_s); }, 8, line6},
        {"Enter at its start, then the line typed in",
         [&] {
             edit(at(5), 0, u"\n"_s);
             edit(at(6), 0, u"x"_s);
         },
         7, QStringLiteral("x") + line6},
        {"Enter at its end", [&] { edit(at(5) + store().lineLength(5), 0, u"\n"_s); }, 6, line6},
        {"split in two", [&] { edit(at(5) + 8, 0, u"\n"_s); }, 6, QStringLiteral("@misc{c,")},
        {"Enter at the start of the line after it", [&] { edit(at(6), 0, u"\n"_s); }, 6, line6},
        {"the empty line above it deleted", [&] { edit(at(4), 1, QString()); }, 5, line6},
        {"the line typed over whole", [&] { edit(at(5), store().lineLength(5), u"x"_s); }, 6, u"x"_s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.edit);
        open(file);
        command("Check1");
        ASSERT_EQ(cell(0, 0), QStringLiteral("6"));
        row.make();
        EXPECT_EQ(cell(0, 0), QString::number(row.line));
        enterOn(0);
        EXPECT_EQ(caretLine(), row.line);
        EXPECT_EQ(selection(), row.selected);
    }
}

// A finding that names another place (a label's other use, the entry with the same doi) names the line
// that place is on now, as the 行 column does for its own line; the tooltip holds the whole message.
TEST_F(CheckWindowTest, TheOtherPlaceAFindingNamesIsTheLineItIsOnNow) {
    const QString repeated = QStringLiteral("@misc{dup, author={A}}\n\n@misc{dup, author={B}}\n");
    const QString sameDoi =
        QStringLiteral("@misc{p, author={A}, doi={10.1/x}}\n\n@misc{q, author={B}, doi={10.1/x}}\n");
    const struct {
        const char* what;
        QString text;
        bibtex::Message message;
        int insertAt; // the line (0-based) before which two lines are typed
    } rows[] = {
        {"label, lines typed above both", repeated, bibtex::Message::LabelRepeated, 0},
        {"label, lines typed between", repeated, bibtex::Message::LabelRepeated, 1},
        {"doi, lines typed above both", sameDoi, bibtex::Message::SameDoi, 0},
        {"doi, lines typed between", sameDoi, bibtex::Message::SameDoi, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        open(writeFile(QStringLiteral("pair.bib"), row.text.toUtf8()));
        command("Check1");
        bibtex::Finding expected;
        for (const bibtex::Finding& f : bibtex::checkText(row.text))
            if (f.message == row.message) expected = f;
        ASSERT_GT(expected.otherLine, 0);
        int at = -1;
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            if (cell(r, 2) == bibtex::japaneseMessage(expected)) at = r;
        ASSERT_GE(at, 0);

        edit(store().lineStart(row.insertAt), 0, QStringLiteral("x\ny\n"));
        const auto now = [&](int line) { return line - 1 >= row.insertAt ? line + 2 : line; };
        const QString before = bibtex::japaneseMessage(expected);
        expected.otherLine = now(expected.otherLine);
        EXPECT_EQ(cell(at, 0), QString::number(now(expected.line)));
        EXPECT_EQ(cell(at, 2), bibtex::japaneseMessage(expected));
        EXPECT_EQ(cell(at, 2) != before, row.insertAt == 0); // only lines above the other place move it
        const QString tip = list()->model()->index(at, 1).data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.startsWith(bibtex::japaneseSeverityName(expected.severity))) << tip.toStdString();
        EXPECT_TRUE(tip.endsWith(cell(at, 2))) << tip.toStdString();
    }
}

// F8 without the window: the finding's kind and message stand in the status bar while the caret stays
// on its line, even as the line is typed in.
TEST_F(CheckWindowTest, F8ShowsTheFindingInTheStatusBarWhileTheCaretStaysOnItsLine) {
    type(kText);
    const QList<bibtex::Finding> findings = bibtex::checkText(kText);
    const auto described = [&](int line) {
        for (const bibtex::Finding& f : findings)
            if (f.line == line)
                return bibtex::japaneseSeverityName(f.severity) + QStringLiteral("： ") +
                       bibtex::japaneseMessage(f);
        return QString();
    };
    auto* panel = form1().findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_NE(panel, nullptr);
    editor().setCaret(0);
    command("NextFinding1");
    ASSERT_EQ(caretLine(), 2);
    EXPECT_EQ(form1().findingShown(), described(2));
    EXPECT_EQ(panel->toolTip(), described(2));
    // What fits of it: all, or its beginning and "…".
    const QString shown = panel->text();
    EXPECT_TRUE(shown == described(2) || (shown.endsWith(u'…') && described(2).startsWith(shown.chopped(1))))
        << shown.toStdString();
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 3件")); // the count stays

    editor().setCaret(store().lineStart(1) + store().lineLength(1));
    editor().insertText(QStringLiteral(" %"));
    EXPECT_EQ(form1().findingShown(), described(2));
    QTest::keyClick(&editor(), Qt::Key_Down);
    EXPECT_EQ(form1().findingShown(), QString());
    EXPECT_EQ(panel->toolTip(), QString());

    command("PreviousFinding1");
    EXPECT_EQ(caretLine(), 2);
    EXPECT_EQ(form1().findingShown(), described(2));
    platform.expectSaveChanges(ui::SaveAnswer::No);
    command("New1");
    EXPECT_EQ(form1().findingShown(), QString());
}

// The window opens where the user left it at the last run; a place that is on no screen (a screen since
// taken away) is not taken, and the window opens on the screen beside the main window instead.
TEST_F(CheckWindowTest, TheWindowsPlaceAndSizeAreKeptForTheNextRun) {
    const auto stored = [&](const char* key) {
        return settings::SettingsBatch(settings).readString(QString::fromLatin1(key), QStringLiteral("none"));
    };
    program->show();
    type(kText);
    command("Check1");
    const QRect screen = form1().screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window()->frameGeometry()));
    window()->move(screen.topLeft() + QPoint(30, 40));
    window()->resize(500, 300);
    bool canClose = true;
    platform.expectSaveChanges(ui::SaveAnswer::Cancel); // a refused close request writes them too
    form1().FormCloseQuery(canClose);
    platform.verify();
    EXPECT_EQ(stored("Locate/CheckLeft"), QString::number(window()->pos().x()));
    EXPECT_EQ(stored("Locate/CheckTop"), QString::number(window()->pos().y()));
    EXPECT_EQ(stored("Locate/CheckWidth"), QStringLiteral("500"));
    EXPECT_EQ(stored("Locate/CheckHeight"), QStringLiteral("300"));
    const QPoint left = window()->pos();

    restart();
    program->show();
    type(kText);
    command("Check1");
    EXPECT_EQ(window()->pos(), left);
    EXPECT_EQ(window()->size(), QSize(500, 300));
    // A run that never showed the window keeps the stored place.
    restart();
    form1().FormCloseQuery(canClose);
    EXPECT_EQ(stored("Locate/CheckWidth"), QStringLiteral("500"));

    {
        settings::SettingsBatch batch(settings);
        batch.write(QStringLiteral("Locate/CheckLeft"), screen.right() + 5000);
        batch.close();
    }
    restart();
    program->show();
    type(kText);
    command("Check1");
    EXPECT_TRUE(screen.contains(window()->frameGeometry()));
}

} // namespace
