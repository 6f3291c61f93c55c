// Program start and the windows of the menu "文献(&B)".
#include "support/app_fixture.h"

#include "app/about_box.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "ui/guarded.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

using ProgramStart = AppFixture;

TEST_F(ProgramStart, CreatesEveryWindowAndShowsOnlyTheMain) {
    app::Windows& w = program->windows();
    ASSERT_TRUE(w.form1 && w.form2 && w.aboutBox && w.form4 && w.form5);
    program->show();
    EXPECT_TRUE(w.form1->isVisible());
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{w.form2.get(), w.aboutBox.get(), w.form4.get(), w.form5.get()})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_EQ(w.form1->frameGeometry().size(), QSize(610, 414)); // the frame included
    EXPECT_EQ(w.form1->windowTitle(), QStringLiteral("新規ファイル"));
    // The dialogs belong to the main window, in the order they were created.
    QStringList order;
    for (QObject* child : w.form1->children())
        if (qobject_cast<QDialog*>(child)) order << child->objectName();
    EXPECT_EQ(order, (QStringList{QStringLiteral("TForm2"), QStringLiteral("TAboutBox"),
                                  QStringLiteral("TForm4"), QStringLiteral("TForm5")}));
}

TEST_F(ProgramStart, MenusAndToolButtonsCarryTheirNamesCaptionsAndHints) {
    const struct {
        const char* name;
        const char* caption;
    } items[] = {{"File1", "ファイル(&F)"},
                 {"New1", "新規作成(&N)"},
                 {"SA1", "名前を付けて保存(&S)"},
                 {"A1", "印刷設定(&A)"},
                 {"Exit1", "終了(&C)"},
                 {"N11", "&1"},
                 {"N51", "&5"},
                 {"Undo1", "元に戻す(&R)"},
                 {"A2", "全て選択(&A)"},
                 {"Find2", "検索(&S)"},
                 {"Replace1", "置換(&R)"},
                 {"L1", "文献リスト作成(&L)"},
                 {"BibB1", "CSVファイルから変換(&B)"},
                 {"CSVO1", "CSVファイルに変換(&O)"},
                 {"Check1", "文献の検査(&K)"},
                 {"NextFinding1", "次の検査結果(&N)"},
                 {"PreviousFinding1", "前の検査結果(&P)"},
                 {"About1", "ﾊﾞｰｼﾞｮﾝ情報(&V)"}};
    for (const auto& item : items) {
        auto* action = form1().findChild<QAction*>(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.caption)) << item.name;
    }
    for (const char* recent : {"N11", "N21", "N31", "N41", "N51"})
        EXPECT_FALSE(form1().findChild<QAction*>(QString::fromLatin1(recent))->isEnabled());

    const char* const buttonOrder[] = {
        "ToolButton1",  "ToolButton2",  "ToolButton3",  "ToolButton4",  "ToolButton16", "ToolButton5",
        "ToolButton6",  "ToolButton7",  "ToolButton8",  "ToolButton9",  "ToolButton10", "ToolButton11",
        "ToolButton12", "ToolButton18", "ToolButton15", "ToolButton17", "ToolButton13"};
    const QList<QToolButton*> buttons =
        form1().findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^ToolButton")));
    ASSERT_EQ(buttons.size(), 17);
    form1().show();
    for (size_t i = 1; i < std::size(buttonOrder); ++i) {
        auto* left = form1().findChild<QToolButton*>(QString::fromLatin1(buttonOrder[i - 1]));
        auto* right = form1().findChild<QToolButton*>(QString::fromLatin1(buttonOrder[i]));
        EXPECT_EQ(right->x() - left->x(), 23) << buttonOrder[i];
        EXPECT_FALSE(right->icon().isNull()) << buttonOrder[i];
    }
    EXPECT_EQ(form1().findChild<QToolButton*>(QStringLiteral("ToolButton12"))->toolTip(),
              QStringLiteral("文献ﾘｽﾄ作成"));
    // A bar 22 pixels high, the font boxes inside it, after a separator 8 pixels wide.
    EXPECT_EQ(form1().findChild<QToolBar*>(QStringLiteral("ToolBar1"))->height(), 22);
    EXPECT_EQ(form1().findChild<QWidget*>(QStringLiteral("ToolButton14"))->width(), 8);
    auto* fontName = form1().findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    auto* fontSize = form1().findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    EXPECT_EQ(fontName->width(), 145);
    EXPECT_EQ(fontSize->width(), 47);
    EXPECT_EQ(fontName->toolTip(), QStringLiteral("フォント名"));
    EXPECT_EQ(fontSize->toolTip(), QStringLiteral("フォントのサイズ"));
    // The font names: "Default" and the installed families once each, sorted without regard to case.
    QStringList names;
    for (int i = 0; i < fontName->count(); ++i)
        names << fontName->itemText(i);
    EXPECT_EQ(names, QString::fromLatin1("Arial,courier,Default,Noto Sans CJK JP").split(u','));
    EXPECT_EQ(fontName->currentText(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(fontSize->currentText(), QStringLiteral("12"));
}

TEST_F(ProgramStart, EachWindowCommandShowsAFreshCurrentInstanceModally) {
    entry::TForm2* first = program->windows().form2.get();
    entry::TForm2* shown = nullptr;
    platform.expectModal(QStringLiteral("TForm2"),
                         [&](QDialog& d) { shown = static_cast<entry::TForm2*>(&d); });
    form1().L1Click();
    EXPECT_NE(shown, first);
    EXPECT_EQ(program->windows().form2.get(), shown);

    type(QStringLiteral("x")); // CSV export is greyed while the document is empty
    platform.expectModal(QStringLiteral("TForm4")).expectModal(QStringLiteral("TForm5"));
    form1().findChild<QAction*>(QStringLiteral("CSVO1"))->trigger();
    form1().findChild<QToolButton*>(QStringLiteral("ToolButton18"))->click();
    EXPECT_EQ(program->windows().form4->windowTitle(), QStringLiteral("CSVファイルへの書出し"));
    EXPECT_EQ(program->windows().form5->windowTitle(), QStringLiteral("CSVファイル形式から変換"));
}

TEST(ErrorReport, AppendsAPeriodAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(base::withFinalPeriod(QStringLiteral("ファイル a は開けません")),
              QStringLiteral("ファイル a は開けません."));
    EXPECT_EQ(base::withFinalPeriod(QStringLiteral("done.")), QStringLiteral("done."));
    EXPECT_EQ(base::withFinalPeriod(QStringLiteral("what?!")),
              QStringLiteral("what?!")); // '!' sorts before '.'
    EXPECT_EQ(base::withFinalPeriod(QStringLiteral("x")), QStringLiteral("x."));
    EXPECT_EQ(base::withFinalPeriod(QString()), QString());

    ScriptedPlatform platform;
    platform.expectError(QStringLiteral("ファイル b を作成できません."));
    bool after = false;
    ui::guarded(platform, [&] {
        throw base::Failure(QStringLiteral("ファイル b を作成できません"));
        after = true;
    });
    EXPECT_FALSE(after);
}

TEST(ErrorReport, AFailingFinishingStepIsReportedAndTheCommandsOwnFailureStillReachesTheCaller) {
    ScriptedPlatform platform;
    platform.expectError(QStringLiteral("ファイル settings を作成できません."));
    QStringList steps;
    EXPECT_THROW(ui::withFinishingSteps(
                     platform,
                     [&] {
                         steps << QStringLiteral("body");
                         throw base::Failure(QStringLiteral("ファイル a は開けません"));
                     },
                     [&] {
                         steps << QStringLiteral("finish");
                         throw base::Failure(QStringLiteral("ファイル settings を作成できません"));
                     }),
                 base::Failure);
    EXPECT_EQ(steps, (QStringList{QStringLiteral("body"), QStringLiteral("finish")}));
    platform.verify();
    // A finishing step's failure after a body that went well is reported and goes no further.
    platform.expectError(QStringLiteral("x."));
    EXPECT_NO_THROW(ui::withFinishingSteps(
        platform, [] {}, [] { throw base::Failure(QStringLiteral("x")); }));
}

} // namespace
