// The entry form as the user drives it: its controls and layouts, the Add button following the typing,
// the lists from user.dat, and what a category change keeps and empties.
#include "entry/user_list.h"
#include "support/app_fixture.h"
#include "support/catalogue_oracle.h"
#include "support/entry_form_controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTest>
#include <stdexcept>
#include <vector>

namespace {

QStringList items(const QComboBox& c) {
    QStringList list;
    for (int i = 0; i < c.count(); ++i)
        list.append(c.itemText(i));
    return list;
}

// The slots, captions, pairs and list of the category's layout, as the catalogue oracle gives them.
void expectLayout(const Form& f, int category) {
    const std::vector<oracle::Slot>& slots = oracle::categories()[category].slots;
    bool pairShown[7] = {};
    QComboBox* list = nullptr;
    for (int k = 1; k <= 18; ++k) {
        SCOPED_TRACE(testing::Message() << "slot " << k);
        if (k > int(slots.size())) {
            EXPECT_FALSE(f.shown(f.label(k)));
            EXPECT_FALSE(f.shown(f.edit(k)));
            continue;
        }
        const oracle::Slot& slot = slots[k - 1];
        if (slot.isChoice()) {
            const int p = slot.pair;
            pairShown[p] = true;
            EXPECT_FALSE(f.shown(f.label(k)));
            EXPECT_TRUE(f.shown(f.edit(k)));
            // A pair in a required slot is drawn bold.
            EXPECT_EQ(f.radio(2 * p - 1).font().bold(), slot.required);
            EXPECT_EQ(f.radio(2 * p).font().bold(), slot.required);
        } else {
            EXPECT_TRUE(f.shown(f.label(k)));
            EXPECT_EQ(f.label(k).text(), slot.caption);
            EXPECT_EQ(f.label(k).font().bold(), slot.required);
            EXPECT_EQ(f.shown(f.edit(k)), !slot.list);
            if (slot.list) list = &f.get<QComboBox>(slot.inputName());
        }
    }
    for (int p = 1; p <= 6; ++p)
        EXPECT_EQ(f.shown(f.panel(p)), pairShown[p]) << "Panel" << p;
    EXPECT_EQ(f.shown(f.combo(2)), list == &f.combo(2));
    EXPECT_EQ(f.shown(f.combo(3)), list == &f.combo(3));
}

void expectFreshForm(const Form& f) {
    EXPECT_EQ(f.w.windowTitle(), QStringLiteral("文献ファイルの作成"));
    EXPECT_EQ(f.combo(1).currentIndex(), 0);
    for (int k = 1; k <= 18; ++k)
        EXPECT_TRUE(f.edit(k).text().isEmpty()) << "Edit" << k;
    EXPECT_TRUE(f.combo(2).currentText().isEmpty());
    EXPECT_TRUE(f.combo(3).currentText().isEmpty());
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(f.radio(n).isChecked(), n % 2 == 1) << "RadioButton" << n;
    EXPECT_FALSE(f.addEnabled());
    expectLayout(f, 0);
}

class EntryForm : public AppFixture {
protected:
    void writeUserList(const QStringList& journals, const QStringList& publishers) {
        const QString text =
            QStringLiteral("@begin{Journal}\r\n%1\r\n@end{Journal}\r\nnotes\r\n"
                           "@begin{Publisher}\r\n%2\r\n@end{Publisher}\r\n")
                .arg(journals.join(QStringLiteral("\r\n")), publishers.join(QStringLiteral("\r\n")));
        writeFile(QStringLiteral("user.dat"), QStringEncoder("windows-31j").encode(text));
    }
};

TEST_F(EntryForm, ProgramStartFormIsFreshWithTheThirteenCategoriesToPickFrom) {
    const Form f{form2()};
    expectFreshForm(f);
    EXPECT_EQ(f.w.minimumSize(), QSize(536, 348));
    EXPECT_EQ(f.w.maximumSize(), QSize(536, 348));
    QComboBox& categories = f.combo(1);
    EXPECT_FALSE(categories.isEditable());
    ASSERT_EQ(categories.count(), 13);
    for (int c = 0; c < 13; ++c)
        EXPECT_EQ(categories.itemText(c), oracle::categories()[c].name);
}

TEST_F(EntryForm, EveryOpeningStartsAfreshWhateverTheLastOneLeft) {
    platform.expectModal(QStringLiteral("TForm2"), [](QDialog& d) {
        const Form f{d};
        d.show();
        f.pick(1);
        QTest::mouseClick(&f.radio(2), Qt::LeftButton);
        f.type(1, QStringLiteral("k1"));
        for (int k = 2; k <= 18; ++k)
            f.edit(k).setText(QStringLiteral("x"));
        commit(*f.combo(2).lineEdit(), QStringLiteral("出版社"));
        ASSERT_TRUE(f.addEnabled());
        QTest::mouseClick(&f.button(2), Qt::LeftButton);
    });
    form1().L1Click();
    platform.expectModal(QStringLiteral("TForm2"), [](QDialog& d) { expectFreshForm(Form{d}); });
    form1().L1Click();
}

TEST_F(EntryForm, ControlsStandWhereTheFormPutsThem) {
    const Form f{form2()};
    const std::pair<const char*, QRect> places[] = {
        {"ComboBox1", {86, 9, 205, 20}},  {"Button1", {326, 7, 66, 25}},    {"Button2", {396, 7, 66, 25}},
        {"Button3", {465, 7, 66, 25}},    {"GroupBox1", {6, 42, 525, 299}}, {"Edit1", {7, 35, 164, 20}},
        {"Edit8", {180, 80, 164, 20}},    {"Edit18", {352, 260, 164, 20}},  {"Panel1", {5, 55, 161, 22}},
        {"Panel4", {5, 235, 161, 22}},    {"Panel5", {178, 10, 161, 22}},   {"Panel6", {178, 55, 161, 22}},
        {"ComboBox2", {7, 170, 164, 20}}, {"ComboBox3", {7, 215, 164, 20}},
    };
    for (const auto& [name, rect] : places)
        EXPECT_EQ(f.get<QWidget>(QString::fromLatin1(name)).geometry(), rect) << name;
    EXPECT_EQ(f.label(13).pos(), QPoint(355, 16));
    EXPECT_EQ(f.label(6).pos(), QPoint(10, 241));
    EXPECT_EQ(f.radio(9).pos(), QPoint(3, 4));
    EXPECT_EQ(f.radio(10).pos(), QPoint(65, 4));
    EXPECT_EQ(f.button(1).text(), QStringLiteral("追加(&A)"));
    EXPECT_EQ(f.button(2).text(), QStringLiteral("戻る(&R)"));
    EXPECT_EQ(f.button(3).text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    EXPECT_EQ(f.get<QGroupBox>(QStringLiteral("GroupBox1")).title(),
              QStringLiteral("入力項目(太字は必須項目)"));
}

class CategoryLayout : public EntryForm, public testing::WithParamInterface<int> {};

TEST_P(CategoryLayout, ShowsTheSlotsCaptionsPairsAndListOfTheCategory) {
    const int category = GetParam();
    auto form = newForm();
    const Form f{*form};
    // Pass through every other layout first, so that nothing is left shown by chance.
    for (int i = 1; i <= 13; ++i)
        f.pick((category + i) % 13);
    expectLayout(f, category);
}

INSTANTIATE_TEST_SUITE_P(EveryCategory, CategoryLayout, testing::Range(0, 13));

TEST_F(EntryForm, LabelAloneCompletesCategory12AndASingleBlankCounts) {
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    EXPECT_FALSE(f.addEnabled());
    f.type(1, QStringLiteral(" "));
    EXPECT_TRUE(f.addEnabled());
    QTest::keyClick(&f.edit(1), Qt::Key_Backspace);
    EXPECT_FALSE(f.addEnabled());
    f.type(1, QStringLiteral("k"));
    EXPECT_TRUE(f.addEnabled());
}

TEST_F(EntryForm, JournalTypedOrPickedCompletesCategory0) {
    writeUserList({QStringLiteral("情報処理学会論文誌")}, {});
    auto form = newForm();
    const Form f{*form};
    f.type(1, QStringLiteral("k"));
    f.type(2, QStringLiteral("a"));
    f.type(3, QStringLiteral("t"));
    f.edit(4).setText(QStringLiteral("hidden under the journal list"));
    f.type(5, QStringLiteral("1999"));
    EXPECT_FALSE(f.addEnabled());
    QLineEdit& journal = *f.combo(2).lineEdit();
    commit(journal, QStringLiteral("電子情報通信学会論文誌")); // not in the list
    EXPECT_TRUE(f.addEnabled());
    QTest::keyClick(&journal, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&journal, Qt::Key_Delete);
    EXPECT_FALSE(f.addEnabled());
    QTest::keyClick(&f.combo(2), Qt::Key_Down);
    EXPECT_EQ(f.combo(2).currentText(), QStringLiteral("情報処理学会論文誌"));
    EXPECT_TRUE(f.addEnabled());
    QTest::keyClick(&f.edit(2), Qt::Key_Backspace);
    EXPECT_FALSE(f.addEnabled());
}

TEST_F(EntryForm, CategoryChangeLeavesAddAsItWasUntilTheNextEdit) {
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    f.type(1, QStringLiteral("k"));
    f.pick(0);
    ASSERT_TRUE(f.addEnabled()); // author, title, journal and year are still empty
    // Such an entry can be added: its required fields are written empty.
    QTest::mouseClick(&f.button(1), Qt::LeftButton);
    EXPECT_EQ(form1().documentText(), QStringLiteral("@article{k,\n author  = \"\",\n title   = \"\",\n"
                                                     " journal = \"\",\n year    = \"\",\n}\n\n"));

    f.pick(12);
    f.type(1, QStringLiteral("k2"));
    f.pick(0);
    ASSERT_TRUE(f.addEnabled());
    f.type(6, QStringLiteral("5")); // an optional slot, but the rule runs again
    EXPECT_FALSE(f.addEnabled());
}

TEST_F(EntryForm, CategoryChangeKeepsSlotTextsAndPairSelections) {
    auto form = newForm();
    const Form f{*form};
    f.type(3, QStringLiteral("xyz"));
    f.pick(1);
    EXPECT_EQ(f.edit(3).text(), QStringLiteral("xyz"));
    QTest::mouseClick(&f.radio(2), Qt::LeftButton);
    QTest::mouseClick(&f.radio(10), Qt::LeftButton);
    f.type(12, QStringLiteral("yomi"));
    f.pick(0);
    EXPECT_FALSE(f.shown(f.edit(12)));
    EXPECT_FALSE(f.shown(f.panel(1)));
    f.pick(1);
    EXPECT_EQ(f.edit(12).text(), QStringLiteral("yomi"));
    EXPECT_EQ(f.edit(3).text(), QStringLiteral("xyz"));
    EXPECT_TRUE(f.radio(2).isChecked());
    EXPECT_FALSE(f.radio(1).isChecked());
    EXPECT_TRUE(f.radio(10).isChecked());
    EXPECT_TRUE(f.radio(3).isChecked());
}

TEST_F(EntryForm, CategoryChangeEmptiesBothListsAndRefillsTheOneInUseFromTheFile) {
    // File order is not shown order; the duplicate stays.
    writeUserList({QStringLiteral("電子情報通信学会論文誌"), QStringLiteral("Beta"), QStringLiteral("かく"),
                   QStringLiteral("alpha"), QStringLiteral("情報処理学会論文誌"), QStringLiteral("カキ"),
                   QStringLiteral("alpha")},
                  {QStringLiteral("岩波書店"), QStringLiteral("Kodansha")});
    const QStringList journals =
        QStringLiteral("alpha alpha Beta カキ かく 情報処理学会論文誌 電子情報通信学会論文誌").split(u' ');
    const QStringList publishers = {QStringLiteral("Kodansha"), QStringLiteral("岩波書店")};
    auto form = newForm();
    const Form f{*form};
    QComboBox& c2 = f.combo(2);
    QComboBox& c3 = f.combo(3);
    EXPECT_EQ(items(c2), journals);
    EXPECT_TRUE(c2.currentText().isEmpty());
    for (int k : {1, 2, 3, 5})
        f.type(k, QStringLiteral("v"));
    QTest::keyClicks(c2.lineEdit(), QStringLiteral("J"));
    ASSERT_TRUE(f.addEnabled());

    f.pick(1);
    EXPECT_TRUE(c2.currentText().isEmpty());
    EXPECT_EQ(items(c2), publishers);
    EXPECT_EQ(c3.count(), 0);
    EXPECT_TRUE(f.addEnabled()); // emptying the journal is no edit of the user's
    f.pick(3);
    EXPECT_EQ(c2.count(), 0);
    EXPECT_EQ(items(c3), publishers);
    commit(*c3.lineEdit(), QStringLiteral("有斐閣"));
    f.pick(4);
    EXPECT_TRUE(c3.currentText().isEmpty());
    EXPECT_EQ(items(c3), publishers);
    f.pick(12);
    EXPECT_EQ(c2.count() + c3.count(), 0);
    EXPECT_TRUE(c3.currentText().isEmpty());

    // The file is read again at every change, never cached.
    writeUserList({QStringLiteral("新しい雑誌")}, {});
    f.pick(0);
    EXPECT_EQ(items(c2), QStringList{QStringLiteral("新しい雑誌")});
    EXPECT_TRUE(c2.currentText().isEmpty());
}

TEST_F(EntryForm, TabWalksTheShownInputsInSlotOrderThenTheButtonsAndSkipsTheCategoryList) {
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    f.type(1, QStringLiteral("k")); // Add stays enabled across the change of category
    f.pick(4);
    QApplication::setActiveWindow(form.get());
    f.edit(1).setFocus();
    QStringList order;
    for (int i = 0; i < 22; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        order << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(u' '),
              QStringLiteral("Edit1 RadioButton1 Edit2 Edit3 RadioButton3 Edit4 ComboBox3 Edit6 Edit7 "
                             "RadioButton11 Edit8 Edit9 Edit10 Edit11 Edit12 Edit13 Edit14 "
                             "Button1 Button2 Button3 Edit1 RadioButton1"));
}

// 「情報」 typed into 雑誌名 opens the list of the journals holding it, over 刊行年. A click beside the list
// closes it and reaches what it was aimed at, so the next keys go there; a click on the list picks the
// entry drawn there; once the list is closed, a click where it stood reaches the slot under it.
TEST_F(EntryForm, AClickBesideTheJournalListClosesItAndReachesItsTarget) {
    writeUserList({QStringLiteral("情報処理学会論文誌"), QStringLiteral("人工知能"),
                   QStringLiteral("情報処理"), QStringLiteral("電子情報通信学会論文誌 A")},
                  {});
    auto form = newForm();
    const Form f{*form};
    QComboBox& journal = f.combo(2);
    QWidget* list = journal.completer()->popup();
    const auto activate = [&] {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return QGuiApplication::focusWindow() == form->windowHandle() &&
                   QApplication::activeWindow() == form.get();
        }));
    };
    const auto click = [&](QPoint global) { // where a user clicks on the screen
        // A click activates the window it lands in, as a desktop does (the offscreen platform leaves the
        // list's window active once it has gone). Not while the list is open: that would close it first.
        if (!list->isVisible()) activate();
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, form->mapFromGlobal(global));
    };
    const auto centre = [](QWidget& w) { return w.mapToGlobal(w.rect().center()); };
    enum Closing { StaysOpen, Escape, ClickOnVolume };
    const struct {
        const char* what;
        Closing closing; // how the list is closed before the click
        const char* aimedAt;
    } cases[] = {
        {"巻数 beside the list", StaysOpen, "Edit7"},
        {"刊行年 where the list stood, closed by Esc", Escape, "Edit5"},
        {"刊行年 where the list stood, closed by a click", ClickOnVolume, "Edit5"},
        {"the list's first entry", StaysOpen, "list"},
    };
    const auto openList = [&] {
        activate();
        journal.clearEditText();
        journal.setFocus();
        commit(*journal.lineEdit(), QStringLiteral("情報"));
        QCoreApplication::processEvents(); // (the offscreen platform activates the list's window)
        ASSERT_TRUE(list->isVisible());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int k : {5, 7})
            f.edit(k).clear();
        openList();
        EXPECT_TRUE(list->geometry().contains(centre(f.edit(5)))); // the list covers 刊行年
        if (c.closing == Escape) QTest::keyClick(list, Qt::Key_Escape);
        if (c.closing == ClickOnVolume) click(centre(f.edit(7)));
        const bool onList = c.aimedAt == std::string("list");
        const auto* view = static_cast<QAbstractItemView*>(list);
        const QModelIndex first = view->model()->index(0, 0);
        click(onList ? view->viewport()->mapToGlobal(view->visualRect(first).center())
                     : centre(f.get<QWidget>(QString::fromLatin1(c.aimedAt))));
        EXPECT_FALSE(list->isVisible());
        EXPECT_EQ(journal.currentText(), onList ? first.data().toString() : QStringLiteral("情報"));
        if (onList) continue;
        QWidget& target = f.get<QWidget>(QString::fromLatin1(c.aimedAt));
        EXPECT_EQ(QApplication::focusWidget(), &target);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
        EXPECT_EQ(static_cast<QLineEdit&>(target).text(), QStringLiteral("3"));
    }

    // A button beside the list is pressed by the click: 戻る closes the form.
    openList();
    click(centre(f.button(2)));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(EntryForm, UnreadableListFileIsReportedAndTheLayoutStands) {
    const QString path = dir.filePath(QStringLiteral("user.dat"));
    if (!makeUnreadableFile(path)) GTEST_SKIP() << "no unreadable file on this system";
    const QString report = QStringLiteral("ファイル %1 は開けません.").arg(path);

    platform.expectError(report);
    auto form = newForm();
    const Form f{*form};
    platform.verify();
    expectLayout(f, 0);
    EXPECT_FALSE(f.addEnabled());

    platform.expectError(report);
    f.pick(4);
    platform.verify();
    expectLayout(f, 4);
    f.pick(2); // no list, no reading
}

} // namespace
