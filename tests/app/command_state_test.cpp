// The command-state update SetButtons: the font boxes applied to the editor font, then the enabling of
// menu items and tool buttons by the document's emptiness and modified flag.
#include "app/command_state.h"
#include "app/search_dialogs.h"
#include "base/failure.h"
#include "base/fonts.h"
#include "support/app_fixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>

using ui::SaveAnswer;

namespace {

enum class Rule { NotEmpty, Modified, Always };
constexpr bool kWaits = true; // greyed while a large file loads
struct Control {
    const char* name;
    Rule rule;
    bool waits = false;
};

// Every menu item and tool button of the main window, menu and tool bar alike, with what enables it and
// whether it waits while a large file loads.
// clang-format off
const Control kControls[] = {
    {"New1", Rule::NotEmpty, kWaits}, {"ToolButton1", Rule::NotEmpty, kWaits},
    {"Open1", Rule::Always, kWaits}, {"ToolButton2", Rule::Always, kWaits},
    {"Save1", Rule::NotEmpty, kWaits}, {"ToolButton3", Rule::NotEmpty, kWaits},
    {"SA1", Rule::NotEmpty, kWaits},
    {"A1", Rule::Always},
    {"Print1", Rule::NotEmpty, kWaits}, {"ToolButton4", Rule::NotEmpty, kWaits},
    {"Exit1", Rule::Always}, {"ToolButton13", Rule::Always},
    {"Undo1", Rule::Modified, kWaits}, {"ToolButton16", Rule::Modified, kWaits},
    {"Cut1", Rule::NotEmpty, kWaits}, {"ToolButton5", Rule::NotEmpty, kWaits},
    {"Copy1", Rule::NotEmpty}, {"ToolButton6", Rule::NotEmpty},
    {"Paste1", Rule::Always, kWaits}, {"ToolButton7", Rule::Always, kWaits},
    {"Delete1", Rule::NotEmpty, kWaits}, {"ToolButton8", Rule::NotEmpty, kWaits},
    {"A2", Rule::NotEmpty}, {"ToolButton9", Rule::NotEmpty},
    {"Find1", Rule::NotEmpty, kWaits}, {"Find2", Rule::NotEmpty, kWaits}, {"ToolButton10", Rule::NotEmpty, kWaits},
    {"Replace1", Rule::NotEmpty, kWaits}, {"ToolButton11", Rule::NotEmpty, kWaits},
    {"Jump1", Rule::NotEmpty, kWaits}, {"Highlight1", Rule::Always},
    {"L1", Rule::Always, kWaits}, {"ToolButton12", Rule::Always, kWaits},
    {"Modify1", Rule::NotEmpty, kWaits},
    {"BibB1", Rule::Always, kWaits}, {"ToolButton18", Rule::Always, kWaits},
    {"CSVO1", Rule::NotEmpty, kWaits}, {"ToolButton15", Rule::NotEmpty, kWaits},
    {"Check1", Rule::NotEmpty, kWaits}, {"NextFinding1", Rule::NotEmpty, kWaits},
    {"PreviousFinding1", Rule::NotEmpty, kWaits},
    {"Help2", Rule::Always}, {"ToolButton17", Rule::Always},
    {"About1", Rule::Always},
};
// clang-format on

class CommandState : public AppFixture {
protected:
    bool enabled(const char* name) {
        const QString objectName = QString::fromLatin1(name);
        if (auto* button = form1().findChild<QToolButton*>(objectName)) return button->isEnabled();
        auto* action = form1().findChild<QAction*>(objectName);
        if (!action) ADD_FAILURE() << "no control " << name;
        return action && action->isEnabled();
    }
    // Fails for every control whose state the rule does not give.
    void expectStates(bool notEmpty, bool modified, const char* state, bool loading = false) {
        for (const Control& c : kControls) {
            const bool expected =
                (c.rule == Rule::Always || (c.rule == Rule::NotEmpty ? notEmpty : modified)) &&
                !(loading && c.waits);
            EXPECT_EQ(enabled(c.name), expected) << c.name << " when " << state;
        }
    }
    QComboBox& box(int n) { return *form1().findChild<QComboBox*>(QStringLiteral("ComboBox%1").arg(n)); }
    // Picks an item from the box's drop-down list, as a user does.
    void pick(QComboBox& combo, const QString& item) {
        const int row = combo.findText(item);
        ASSERT_GE(row, 0) << item.toStdString();
        combo.showPopup();
        QAbstractItemView* list = combo.view();
        list->setCurrentIndex(list->model()->index(row, 0));
        QTest::keyClick(list, Qt::Key_Return);
    }
    // Types into a box, replacing its text; keys reach the box, as the keyboard delivers them.
    void typeInto(QComboBox& combo, const QString& text, bool enter = false) {
        combo.lineEdit()->clear();
        QTest::keyClicks(&combo, text);
        if (enter) QTest::keyClick(&combo, Qt::Key_Return);
    }
    // The font the editor lays its text out in.
    QFont font() { return editor().viewLayout().font(); }
    void selectAllAndDelete() {
        editor().selectAll();
        editor().deleteSelection();
    }
};

TEST_F(CommandState, EnablingFollowsEmptinessAndTheModifiedFlagOnMenuAndToolBarAlike) {
    expectStates(false, false, "empty at start");
    type(QStringLiteral("a"));
    expectStates(true, true, "typed into");
    selectAllAndDelete();
    expectStates(false, true, "emptied by editing");

    const QString file = writeFile(QStringLiteral("a.bib"), "@book{x,\r\n}\r\n");
    platform.expectSaveChanges(SaveAnswer::No).expectOpenFile(file);
    form1().Open1Click();
    expectStates(true, false, "just opened");

    form1().New1Click();
    expectStates(false, false, "new");
    form1().FileOpen(file);
    expectStates(true, false, "opened by path");
}

TEST_F(CommandState, GreyedCommandsDoNothingFromTheirShortcuts) {
    form1().show();
    form1().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form1()));
    type(QStringLiteral("a"));
    selectAllAndDelete(); // empty but modified: an enabled Save would ask for a file name
    QTest::keySequence(&editor(), QKeySequence::Save);
    QTest::keySequence(&editor(), QKeySequence::Print);
    // Typing enables them again.
    type(QStringLiteral("b"));
    platform.expectSaveFile(std::nullopt);
    QTest::keySequence(&editor(), QKeySequence::Save);
}

// One rule for menu, tool bar, shortcuts, the replace dialog (whenever it was made) and the check window. A
// file this large is first read while the window answers, the document before it still shown.
TEST_F(CommandState, WhileALargeFileLoadsWhatWaitsIsGreyShortcutsAndTheReplaceDialogAlike) {
    QByteArray bytes;
    while (bytes.size() <= 9 * 1024 * 1024)
        bytes += "@book{a,\n}\n";
    const QString large = writeFile(QStringLiteral("large.bib"), bytes);
    form1().show();
    form1().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form1()));
    type(QStringLiteral("a"));
    form1().Check1Click(); // the check window, open before the load, waits too
    const auto replaceButtonsEnabled = [this] {
        return child<QPushButton>(form1().replaceDialog(), "ReplaceButton").isEnabled() &&
               child<QPushButton>(form1().replaceDialog(), "ReplaceAllButton").isEnabled();
    };
    const auto checkWindowEnabled = [this] {
        QWidget* window = form1().findChild<QWidget*>(QStringLiteral("CheckForm1"));
        return child<QPushButton>(*window, "RecheckButton").isEnabled() &&
               child<QWidget>(*window, "FindingList").isEnabled();
    };
    bool sawLoad = false;
    QTimer::singleShot(0, &form1(), [&] {
        ASSERT_TRUE(form1().isLoading());
        sawLoad = true;
        expectStates(true, true, "loading", true);
        QTest::keySequence(&editor(), QKeySequence::Find);
        QTest::keySequence(&editor(), QKeySequence::Replace);
        EXPECT_EQ(form1().findChild<app::SearchDialog*>(), nullptr); // neither shortcut made its dialog
        EXPECT_FALSE(replaceButtonsEnabled());                       // made during the load
        EXPECT_FALSE(checkWindowEnabled());
        QTest::keyClick(&editor(), Qt::Key_Escape);
    });
    EXPECT_THROW(form1().FileOpen(large), base::Cancelled);
    EXPECT_TRUE(sawLoad);
    expectStates(true, true, "after the load");
    EXPECT_TRUE(replaceButtonsEnabled());
    EXPECT_TRUE(checkWindowEnabled());
}

TEST_F(CommandState, SavingLeavesUndoAsItWasNewAndOpenGreyIt) {
    type(QStringLiteral("text"));
    platform.expectSaveFile(path(QStringLiteral("saved.bib")));
    form1().Save1Click();
    ASSERT_FALSE(form1().isModified());
    EXPECT_TRUE(enabled("Undo1"));
    EXPECT_TRUE(enabled("ToolButton16"));
    // Typed and undone back to the text as saved: still a change, so 元に戻す stays, with more to undo.
    type(QStringLiteral("+"));
    form1().Undo1Click();
    ASSERT_TRUE(form1().isModified());
    EXPECT_TRUE(enabled("Undo1"));
    // The editor's own key is the same change, after a save too.
    form1().Save1Click();
    ASSERT_FALSE(form1().isModified());
    QTest::keyClick(&editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form1().documentText(), QString());
    EXPECT_TRUE(form1().isModified());
    EXPECT_TRUE(enabled("Undo1"));

    platform.expectSaveChanges(ui::SaveAnswer::No);
    form1().New1Click();
    EXPECT_FALSE(enabled("Undo1"));
    type(QStringLiteral("more"));
    platform.expectSaveFile(path(QStringLiteral("saved.bib")));
    form1().SA1Click();
    EXPECT_TRUE(enabled("ToolButton16"));
    platform.expectOpenFile(path(QStringLiteral("saved.bib")));
    form1().Open1Click();
    EXPECT_FALSE(enabled("Undo1"));
    EXPECT_FALSE(enabled("ToolButton16"));
}

TEST_F(CommandState, APickedSizeAppliesAtOnceATypedOneOnEnterOrAtTheNextChange) {
    pick(box(2), QStringLiteral("20"));
    EXPECT_EQ(font().pointSize(), 20);
    typeInto(box(2), QStringLiteral("18"), true);
    EXPECT_EQ(font().pointSize(), 18);
    typeInto(box(2), QStringLiteral("9"));
    Q_EMIT box(2).lineEdit()->editingFinished(); // the box loses focus: "9" is typed, not picked
    EXPECT_EQ(font().pointSize(), 18);
    type(QStringLiteral("a"));
    EXPECT_EQ(font().pointSize(), 9);
    // Every key, Enter included, still reaches the box.
    EXPECT_EQ(box(2).currentText(), QStringLiteral("9"));
}

TEST_F(CommandState, APickedNameAppliesAtOnceATypedOneAtTheNextChangeAnEmptyBoxKeepsIt) {
    pick(box(1), QStringLiteral("Arial"));
    EXPECT_EQ(font().family(), QStringLiteral("Arial"));
    typeInto(box(1), QStringLiteral("courier"));
    Q_EMIT box(1).lineEdit()->editingFinished();
    EXPECT_EQ(font().family(), QStringLiteral("Arial"));
    typeInto(box(1), QStringLiteral("No Such Face"));
    type(QStringLiteral("a"));
    EXPECT_EQ(font().family(), QStringLiteral("No Such Face"));
    typeInto(box(1), QString());
    type(QStringLiteral("b"));
    EXPECT_EQ(font().family(), QStringLiteral("No Such Face"));
    EXPECT_EQ(font().pointSize(), 12);
}

TEST_F(CommandState, ASizeThatIsNoWholeNumberIsReportedAndSkipsTheEnabling) {
    typeInto(box(2), QStringLiteral("1x"));
    platform.expectError(QStringLiteral("'1x' は数値ではありません."));
    QTest::keyClick(&box(2), Qt::Key_Return);
    platform.verify();
    EXPECT_EQ(font().pointSize(), 12);

    // Every change of the text reports it again; the name still applies, the enabling waits.
    typeInto(box(1), QStringLiteral("Arial"));
    platform.expectError(QStringLiteral("'1x' は数値ではありません."));
    type(QStringLiteral("a"));
    platform.verify();
    EXPECT_EQ(font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(font().pointSize(), 12);
    EXPECT_FALSE(enabled("New1"));
    EXPECT_FALSE(enabled("Undo1"));

    typeInto(box(2), QString());
    platform.expectError(QStringLiteral("'' は数値ではありません."));
    type(QStringLiteral("b"));
    platform.verify();

    // A whole number again: the next change enables what the document's state says.
    typeInto(box(2), QStringLiteral("14"));
    type(QStringLiteral("c"));
    EXPECT_EQ(font().pointSize(), 14);
    EXPECT_TRUE(enabled("New1"));
    EXPECT_TRUE(enabled("Undo1"));
}

// The report comes from the text-change handling; the file is loaded all the same.
TEST_F(CommandState, ASizeReportedWhileOpeningLeavesTheOpenDone) {
    const QString file = writeFile(QStringLiteral("a.bib"), "@book{x,\r\n}\r\n");
    typeInto(box(2), QStringLiteral("x"));
    platform.expectOpenFile(file)
        .expectError(QStringLiteral("'x' は数値ではありません."))  // the load's text change
        .expectError(QStringLiteral("'x' は数値ではありません.")); // the finishing steps' update
    form1().Open1Click();
    platform.verify();
    EXPECT_EQ(form1().documentName(), file);
    EXPECT_FALSE(form1().isModified());
}

TEST(FontSize, OnlyAWholeNumberIsASize) {
    EXPECT_EQ(app::fontSizeFromText(QStringLiteral("25")), 25);
    EXPECT_EQ(app::fontSizeFromText(QStringLiteral("-3")), -3);
    for (const char* text : {"", "1.5", "12pt", "0x10", "９", "99999999999"})
        EXPECT_THROW(app::fontSizeFromText(QString::fromUtf8(text)), base::Failure) << text;
}

// Japanese renders in the chosen family where that family has the character (the user chose it), and
// otherwise in the first installed Japanese gothic: never as boxes, nor in whichever CJK face the system
// would pick. The font database says which family has which character, so this holds on any machine.
TEST(EditorFont, JapaneseIsShownInTheChosenFamilyWhereItHasTheCharacterElseInTheJapaneseGothic) {
    base::registerFontSubstitutions();
    const QStringList installed = QFontDatabase::families();
    QString gothic;
    for (const QString& f : QFont::substitutes(base::kEditorFontName))
        if (gothic.isEmpty() && installed.contains(f, Qt::CaseInsensitive)) gothic = f;
    if (gothic.isEmpty()) GTEST_SKIP() << "no Japanese gothic installed";
    QStringList names = {QStringLiteral("Default"), QStringLiteral("No Such Face"), base::kEditorFontName};
    for (const QString& family : installed)
        // Qt gives a symbol font no fallback: its letters are symbols by design.
        if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)) names << family;
    ASSERT_GT(names.size(), 3) << "no text family installed";

    const QString sample = QStringLiteral("日本語のｶﾅ");
    for (const QString& name : names) {
        const bool isInstalled = installed.contains(name, Qt::CaseInsensitive);
        const QRawFont chosen = QRawFont::fromFont(QFont(name));
        for (const QChar c : sample) {
            const QString expected =
                isInstalled && chosen.supportsCharacter(c) ? chosen.familyName() : gothic;
            QTextLayout layout(QString(c), app::editorFont(name, 12));
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                EXPECT_EQ(run.rawFont().familyName().toLower().toStdString(),
                          expected.toLower().toStdString())
                    << name.toStdString() << " " << QString(c).toStdString();
                for (quint32 glyph : run.glyphIndexes())
                    EXPECT_NE(glyph, 0u) << name.toStdString();
            }
        }
    }
}

} // namespace
