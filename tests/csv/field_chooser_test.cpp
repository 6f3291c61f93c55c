// The field chooser: where moved names land, what stays selected and focused, and the buttons.
#include "csv/field_chooser.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList namesOf(const char* joined) {
    return joined[0] ? QString::fromLatin1(joined).split(u',') : QStringList();
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

QStringList selectedOf(const QListWidget* list) {
    QStringList selected;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) selected << list->item(i)->text();
    return selected;
}

void select(QListWidget* list, const QStringList& names) {
    list->clearSelection();
    for (const QString& name : names)
        list->findItems(name, Qt::MatchExactly).first()->setSelected(true);
}

class Chooser : public ::testing::Test {
protected:
    Chooser() {
        window.resize(345, 290);
        chooser->move(8, 43);
        chooser->setSetButtons2([this] { ++setButtons2Calls; });
        // Given unsorted: SrcList sorts them.
        chooser->addSourceNames(namesOf("year,author,note,yomi,title,month,howpublished"));
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QPushButton* button(const char* name) {
        return chooser->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void expectButtons() {
        const bool source = chooser->srcList()->count() > 0, chosen = chooser->dstList()->count() > 0;
        EXPECT_EQ(button("IncludeBtn")->isEnabled(), source);
        EXPECT_EQ(button("IncAllBtn")->isEnabled(), source);
        EXPECT_EQ(button("ExcludeBtn")->isEnabled(), chosen);
        EXPECT_EQ(button("ExAllBtn")->isEnabled(), chosen);
    }

    QWidget window;
    csv::FieldChooser* chooser =
        new csv::FieldChooser(QStringLiteral("転送元ﾘｽﾄ :"), QStringLiteral("転送先ﾘｽﾄ :"), &window);
    int setButtons2Calls = 0;
};

TEST_F(Chooser, StartsSortedWithOnlyTheMovesIntoDstListEnabled) {
    EXPECT_EQ(itemsOf(chooser->srcList()), namesOf("author,howpublished,month,note,title,year,yomi"));
    EXPECT_TRUE(itemsOf(chooser->dstList()).isEmpty());
    expectButtons();
    EXPECT_EQ(chooser->srcList()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(chooser->dstList()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(setButtons2Calls, 0);
}

TEST_F(Chooser, MovesLandAndSelectAsTheChooserRuleSays) {
    const struct {
        const char* what;
        const char* chosen;    // moved into DstList one at a time first (so in this order)
        const char* selectSrc; // then selected in SrcList
        const char* selectDst; // and in DstList
        const char* button;
        const char* src;      // SrcList afterwards
        const char* dst;      // DstList afterwards
        bool fromSrc;         // whether the names left SrcList (which then has the focus)
        const char* selected; // what the list the names left has selected
    } cases[] = {
        {"several move bottom-up", "", "author,title,year", "", "IncludeBtn", "howpublished,month,note,yomi",
         "year,title,author", true, "howpublished"},
        {"one at a time keeps the click order", "title,author,yomi", "", "", "IncludeBtn",
         "howpublished,month,note,year", "title,author,yomi", true, "howpublished"},
        {"nothing selected moves nothing", "", "", "", "IncludeBtn",
         "author,howpublished,month,note,title,year,yomi", "", true, "author"},
        {"non-adjacent names", "", "howpublished,title", "", "IncludeBtn", "author,month,note,year,yomi",
         "title,howpublished", true, "month"},
        {"the last name leaves the last selected", "", "yomi", "", "IncludeBtn",
         "author,howpublished,month,note,title,year", "yomi", true, "year"},
        {"the receiving list keeps its selection", "note", "month", "note", "IncludeBtn",
         "author,howpublished,title,year,yomi", "note,month", true, "title"},
        {"back into SrcList at their sorted places", "year,title,author", "", "title,author", "ExcludeBtn",
         "author,howpublished,month,note,title,yomi", "year", false, "year"},
        {"nothing selected in DstList", "year,title", "", "", "ExcludeBtn",
         "author,howpublished,month,note,yomi", "year,title", false, "year"},
        {"the last chosen name goes back", "note", "", "note", "ExcludeBtn",
         "author,howpublished,month,note,title,year,yomi", "", false, ""},
        {">> appends after the names chosen", "note", "", "", "IncAllBtn", "",
         "note,author,howpublished,month,title,year,yomi", true, ""},
        {"<< returns every name sorted", "year,author", "", "", "ExAllBtn",
         "author,howpublished,month,note,title,year,yomi", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (chooser->dstList()->count() > 0) chooser->ExcAllBtnClick();
        for (const QString& name : namesOf(c.chosen)) {
            select(chooser->srcList(), {name});
            chooser->IncludeBtnClick();
        }
        select(chooser->srcList(), namesOf(c.selectSrc));
        select(chooser->dstList(), namesOf(c.selectDst));
        setButtons2Calls = 0;
        click(c.button);
        EXPECT_EQ(itemsOf(chooser->srcList()), namesOf(c.src));
        EXPECT_EQ(itemsOf(chooser->dstList()), namesOf(c.dst));
        QListWidget* left = c.fromSrc ? chooser->srcList() : chooser->dstList();
        QListWidget* received = c.fromSrc ? chooser->dstList() : chooser->srcList();
        EXPECT_EQ(selectedOf(left), namesOf(c.selected));
        if (left->count() > 0) {
            EXPECT_EQ(left->currentItem()->text(), QString::fromLatin1(c.selected));
        }
        EXPECT_EQ(QApplication::focusWidget(), left);
        EXPECT_EQ(selectedOf(received), c.fromSrc ? namesOf(c.selectDst) : QStringList());
        EXPECT_EQ(setButtons2Calls, 1);
        expectButtons();
    }
}

// Enter and a double-click on a name move it to the other list, as ">" and "<" do.
TEST_F(Chooser, EnterOrADoubleClickOnANameMovesItAcross) {
    enum How { Enter, DoubleClick };
    const struct {
        const char* what;
        const char* chosen; // moved into DstList first
        bool inSrc;         // the list acted on
        const char* select; // selected there; "" leaves the current name only
        const char* current;
        How how;
        const char* src; // SrcList afterwards
        const char* dst; // DstList afterwards
    } cases[] = {
        {"Enter on the selected names", "", true, "month,title", "title", Enter,
         "author,howpublished,note,year,yomi", "title,month"},
        {"Enter on the current name, none selected", "", true, "", "note", Enter,
         "author,howpublished,month,title,year,yomi", "note"},
        {"Enter in DstList sends the name back", "title,note", false, "title", "title", Enter,
         "author,howpublished,month,title,year,yomi", "note"},
        {"a double-click on a name", "", true, "", "month", DoubleClick,
         "author,howpublished,note,title,year,yomi", "month"},
        {"a double-click in DstList", "title,note", false, "", "note", DoubleClick,
         "author,howpublished,month,note,year,yomi", "title"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (chooser->dstList()->count() > 0) chooser->ExcAllBtnClick();
        for (const QString& name : namesOf(c.chosen)) {
            select(chooser->srcList(), {name});
            chooser->IncludeBtnClick();
        }
        QListWidget* list = c.inSrc ? chooser->srcList() : chooser->dstList();
        QListWidgetItem* current = list->findItems(QString::fromLatin1(c.current), Qt::MatchExactly).first();
        list->setCurrentItem(current, QItemSelectionModel::NoUpdate);
        select(list, namesOf(c.select));
        list->setFocus();
        setButtons2Calls = 0;
        const QPoint at = list->visualItemRect(current).center();
        if (c.how == Enter) {
            QTest::keyClick(list, Qt::Key_Return);
        } else { // a double-click is a click, then the double-click
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        EXPECT_EQ(itemsOf(chooser->srcList()), namesOf(c.src));
        EXPECT_EQ(itemsOf(chooser->dstList()), namesOf(c.dst));
        EXPECT_EQ(setButtons2Calls, 1);
    }
}

TEST_F(Chooser, ListsAndButtonsStandWhereTheDialogsPutThem) {
    const std::pair<const char*, QRect> places[] = {
        {"SrcList", {8, 59, 144, 185}},     {"DstList", {192, 59, 144, 185}},
        {"IncludeBtn", {160, 67, 24, 24}},  {"IncAllBtn", {160, 99, 24, 24}},
        {"ExcludeBtn", {160, 131, 24, 24}}, {"ExAllBtn", {160, 163, 24, 24}},
    };
    for (const auto& [name, place] : places) {
        const QWidget* w = chooser->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(QRect(w->mapTo(&window, QPoint()), w->size()), place) << name;
    }
    const char* captions[][2] = {
        {"IncludeBtn", ">"}, {"IncAllBtn", ">>"}, {"ExcludeBtn", "<"}, {"ExAllBtn", "<<"}};
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(button(name)->text(), QString::fromLatin1(caption));
        EXPECT_EQ(button(name)->focusPolicy(), Qt::TabFocus); // Tab reaches it; a click leaves the focus
    }
}

} // namespace
