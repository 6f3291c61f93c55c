// Adding entries through the entry form: the text at the end of the document, the form made ready for
// the next entry, the label check, the buttons and keys, and the count in the main window.
#include "entry/user_list.h"
#include "support/app_fixture.h"
#include "support/catalogue_oracle.h"
#include "support/entry_form_controls.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTest>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace {

class EntryAdd : public AppFixture {
protected:
    QString document() { return form1().documentText(); }
};

TEST_F(EntryAdd, AppendsTheEntryAndReadiesTheFormForTheNextOne) {
    writeFile(QStringLiteral("user.dat"),
              QStringEncoder("windows-31j")
                  .encode(QStringLiteral("@begin{Publisher}\r\n岩波書店\r\nKodansha\r\n")));
    auto form = newForm();
    const Form f{*form};
    f.pick(1);
    QTest::mouseClick(&f.radio(2), Qt::LeftButton); // editor, not author
    f.edit(18).setText(QStringLiteral("left in a hidden slot"));
    f.type(1, QStringLiteral("k1"));
    f.type(2, QStringLiteral("E"));
    f.type(3, QStringLiteral("T"));
    QTest::keyClicks(f.combo(2).lineEdit(), QStringLiteral("P"));
    f.type(5, QStringLiteral("2000"));
    f.type(7, QStringLiteral("3"));
    f.add();
    const QString first =
        QStringLiteral("@book{k1,\n editor    = \"E\",\n title     = \"T\",\n publisher = \"P\",\n"
                       " year      = \"2000\",\n volume    = \"3\",\n}\n\n");
    EXPECT_EQ(document(), first);
    for (int k = 1; k <= 18; ++k)
        EXPECT_TRUE(f.edit(k).text().isEmpty()) << "Edit" << k;
    EXPECT_TRUE(f.combo(2).currentText().isEmpty());
    EXPECT_EQ(f.combo(2).count(), 2);
    EXPECT_EQ(f.combo(1).currentIndex(), 1);
    EXPECT_TRUE(f.radio(2).isChecked());
    EXPECT_FALSE(f.addEnabled());
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
    EXPECT_EQ(form->entryCount(), 1);           // counted by this form, which is not the main window's latest
    EXPECT_EQ(form->focusWidget(), &f.edit(1)); // typing goes on with the next label

    // The next entry follows after exactly one empty line; the publisher picked stays in its box.
    f.pick(4);
    f.type(1, QStringLiteral("k2"));
    f.type(2, QStringLiteral("A"));
    f.type(3, QStringLiteral("B"));
    f.type(4, QStringLiteral("4"));
    QTest::keyClick(&f.combo(3), Qt::Key_Down);
    QTest::keyClick(&f.combo(3), Qt::Key_Down);
    f.type(6, QStringLiteral("2001"));
    f.add();
    EXPECT_EQ(document(), first + QStringLiteral("@inbook{k2,\n editor    = \"A\",\n title     = \"B\",\n"
                                                 " chapter   = \"4\",\n publisher = \"岩波書店\",\n"
                                                 " year      = \"2001\",\n}\n\n"));
    EXPECT_EQ(f.combo(3).currentText(), QStringLiteral("岩波書店"));
    EXPECT_EQ(f.combo(3).count(), 2);
    EXPECT_FALSE(f.addEnabled());
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 2件"));
}

struct LabelCase {
    const char16_t* document;
    const char16_t* label;
    const char16_t* after; // the document after Add; nullptr when the label is refused
};

void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << QString::fromUtf16(c.document).toStdString() << " / " << QString::fromUtf16(c.label).toStdString();
}

class LabelCheck : public EntryAdd, public testing::WithParamInterface<LabelCase> {};

TEST_P(LabelCheck, RefusesALabelWhoseBraceFormOccursAnywhere) {
    const LabelCase& c = GetParam();
    type(QString::fromUtf16(c.document));
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    f.type(1, QString::fromUtf16(c.label));
    f.type(2, QStringLiteral("x"));
    const QString status = statusText();
    if (!c.after)
        platform.expectMessage(
            QStringLiteral("入力した文献ラベルは既に使われています\r\n別のラベルを指定してください"));
    f.add();
    platform.verify();
    if (c.after) {
        EXPECT_EQ(document(), QString::fromUtf16(c.after));
        return;
    }
    EXPECT_EQ(document(), QString::fromUtf16(c.document));
    EXPECT_EQ(f.edit(1).text(), QString::fromUtf16(c.label));
    EXPECT_EQ(f.edit(2).text(), QStringLiteral("x"));
    EXPECT_EQ(f.combo(1).currentIndex(), 12);
    EXPECT_TRUE(f.addEnabled());
    EXPECT_EQ(statusText(), status);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, LabelCheck,
    testing::Values(
        LabelCase{u"@book{abc,\n}\n", u"ABC", nullptr},
        LabelCase{u"@misc{x,\n note = \"see {abc, there\",\n}\n", u"abc", nullptr},
        LabelCase{u"@book{ abc,\n}\n", u"abc", u"@book{ abc,\n}\n@misc{abc,\n author    = \"x\",\n}\n\n"},
        LabelCase{u"@book{abcd,\n}\n", u"abc", u"@book{abcd,\n}\n@misc{abc,\n author    = \"x\",\n}\n\n"},
        // The last line has no line break: the entry still starts on a line of its own.
        LabelCase{u"% notes", u"abc", u"% notes\n@misc{abc,\n author    = \"x\",\n}\n\n"}));

TEST_F(EntryAdd, ListNamesAreOfferedButNeverFilledInForTheUser) {
    writeFile(QStringLiteral("user.dat"),
              "@begin{Journal}\r\nNature Communications\r\nNature\r\n@end{Journal}\r\n");
    auto form = newForm();
    const Form f{*form};
    f.type(1, QStringLiteral("k"));
    f.type(2, QStringLiteral("A"));
    f.type(3, QStringLiteral("T"));
    f.type(5, QStringLiteral("2020"));
    QLineEdit& journal = *f.combo(2).lineEdit();
    // Completion works only in the widget that has the keyboard focus, as a user's typing does.
    QApplication::setActiveWindow(form.get());
    journal.setFocus();
    ASSERT_TRUE(journal.hasFocus());
    for (const QString& typed :
         {QStringLiteral("Natur"), QStringLiteral("Communications"), QStringLiteral("nature")}) {
        journal.setFocus();
        journal.clear();
        QTest::keyClicks(&journal, typed);
        QTest::keyClick(&journal, Qt::Key_Tab);
        EXPECT_EQ(f.combo(2).currentText(), typed);
    }
    journal.setFocus();
    journal.clear();
    QTest::keyClicks(&journal, QStringLiteral("Natur"));
    EXPECT_EQ(f.combo(2).completer()->completionCount(), 2); // both names are offered
    f.add();
    EXPECT_TRUE(document().contains(QStringLiteral(" journal = \"Natur\",\n")));
}

TEST_F(EntryAdd, DashesFromTheInputMethodAreSavedAsShiftJisWithoutAQuestion) {
    // What input methods on Linux commit for a wave dash, a minus and a dash.
    const QString dashes = QStringLiteral("\u301C\u2212\u2014");
    editor().setFocus();
    commit(editor(), dashes);
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    commit(f.edit(1), QStringLiteral("k"));
    commit(f.edit(2), dashes);
    f.add();
    const QString file = dir.filePath(QStringLiteral("dashes.bib"));
    platform.expectSaveFile(file);
    form1().SA1Click();
    platform.verify();
    EXPECT_EQ(readFile(file), QByteArray("\x81\x60\x81\x7C\x81\x5C\r\n@misc{k,\r\n author    = "
                                         "\"\x81\x60\x81\x7C\x81\x5C\",\r\n}\r\n\r\n"));
    EXPECT_FALSE(form1().isModified());
}

TEST_F(EntryAdd, HelpButtonOpensTheProgramsHelpFile) {
    auto form = newForm();
    platform.expectHelp(QStringLiteral("C:\\My Documents\\Lorvane Editor\\LORVANE.hlp"),
                        QStringLiteral("entry_form"));
    QTest::mouseClick(&Form{*form}.button(3), Qt::LeftButton);
    platform.verify();
}

TEST_F(EntryAdd, BackClosesWithoutAQuestionWhateverTheSlotsHold) {
    platform.expectModal(QStringLiteral("TForm2"), [](QDialog& d) {
        const Form f{d};
        d.show();
        f.type(1, QStringLiteral("unsaved"));
        QTest::mouseClick(&f.button(2), Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    form1().L1Click();
    EXPECT_TRUE(document().isEmpty());
}

TEST_F(EntryAdd, EscapeAndEnterNeitherCloseTheFormNorAdd) {
    auto form = newForm();
    const Form f{*form};
    f.pick(12);
    f.type(1, QStringLiteral("k"));
    ASSERT_TRUE(f.addEnabled());
    QTest::keyClick(&f.edit(1), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    QTest::keyClick(&f.edit(1), Qt::Key_Return);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(document().isEmpty());
    EXPECT_EQ(f.edit(1).text(), QStringLiteral("k"));
}

TEST_F(EntryAdd, MnemonicOfADisabledButtonTypesNothingIntoTheSlot) {
    auto form = newForm();
    const Form f{*form};
    f.type(1, QStringLiteral("abc"));
    ASSERT_FALSE(f.addEnabled());
    QTest::keyClick(&f.edit(1), Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(f.combo(2).lineEdit(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(f.edit(1).text(), QStringLiteral("abc"));
    EXPECT_TRUE(f.combo(2).currentText().isEmpty());
    EXPECT_TRUE(document().isEmpty());
}

TEST_F(EntryAdd, CountFollowsEveryChangeOfTheMainEditorThroughTheLatestForm) {
    platform.expectModal(QStringLiteral("TForm2"));
    form1().L1Click();
    entry::TForm2& latest = form2();
    view::TextView& editor = AppFixture::editor();
    QTest::keyClicks(&editor, QStringLiteral("@Article{x,"));
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
    EXPECT_EQ(latest.entryCount(), 1);
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClicks(&editor, QStringLiteral("  @ book {y,"));
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 2件"));
    QTest::keyClick(&editor, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&editor, Qt::Key_Delete); // "  @" goes
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
    EXPECT_EQ(latest.entryCount(), 1);
}

TEST_F(EntryAdd, NewUserWritesOneEntryOfEachCategoryAndSavesThemAsCp932) {
    auto form = newForm();
    const Form f{*form};
    QString expected;
    for (int c = 0; c < 13; ++c) {
        SCOPED_TRACE(testing::Message() << "category " << c);
        f.pick(c);
        const QString label = QStringLiteral("e%1").arg(c);
        f.type(1, label);
        // The head, then the required inputs in the order the rule reads them, each pair on its first option.
        const oracle::Category& category = oracle::categories()[c];
        expected += category.head() + label + QStringLiteral(",\n");
        const std::vector<oracle::Slot> required = category.requiredSlots();
        for (size_t i = 1; i < required.size(); ++i) {
            EXPECT_FALSE(f.addEnabled());
            QWidget& input = f.get<QWidget>(required[i].inputName());
            QComboBox* box = qobject_cast<QComboBox*>(&input);
            // "①" and "～" are characters of code page 932 that plain Shift-JIS lacks.
            const QString value = QStringLiteral("①日本%1～").arg(i - 1);
            commit(box ? *box->lineEdit() : input, value);
            expected += category.linePrefix(required[i].field) + u'"' + value + QStringLiteral("\",\n");
        }
        expected += QStringLiteral("}\n\n");
        ASSERT_TRUE(f.addEnabled());
        f.add();
    }
    EXPECT_EQ(document(), expected);
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 13件"));

    const QString file = dir.filePath(QStringLiteral("refs.bib"));
    platform.expectSaveFile(file);
    form1().SA1Click();
    platform.verify();
    QStringEncoder cp932("windows-31j");
    const QByteArray bytes = cp932.encode(QString(expected).replace(u'\n', QStringLiteral("\r\n")));
    ASSERT_FALSE(cp932.hasError());
    EXPECT_EQ(readFile(file), bytes);
}

} // namespace
