// 文献 > 文献の修正 through the window: the entry the caret stands in (in braces or parentheses, of any
// type BibTeX reads) shown in the entry form, a choice pair's options each with its own field's value, only
// the changed field written anew as one undo step, the label check, the refusals, and saving what the
// file's encoding cannot hold.
#include "entry/entry_count.h"
#include "entry/entry_edit.h"
#include "support/app_fixture.h"
#include "support/entry_form_controls.h"

#include <QAction>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

namespace {

// A Shift-JIS file with CR LF, as the Japanese author's files are.
const QString kText = QStringLiteral("@string{ipsj = {情報処理学会論文誌}}\n"
                                     "\n"
                                     "@article{yamada1991,\n"
                                     "  author = {山田 太郎},\n"
                                     "  title = {古い表題},\n"
                                     "  journal = ipsj,\n"
                                     "  year = 1991,\n"
                                     "  month = jan,\n"
                                     "  doi = {10.1/x},\n"
                                     "}\n"
                                     "\n"
                                     "@book{suzuki2000,\n"
                                     "  editor = {鈴木 花子},\n"
                                     "  title = {本},\n"
                                     "  publisher = {岩波書店},\n"
                                     "  year = {2000},\n"
                                     "}\n");

class EntryEditCommand : public AppFixture {
protected:
    EntryEditCommand() { open(kText); }
    // Opens `text` as a Shift-JIS file with CR LF.
    void open(const QString& text) {
        QString crlf = text;
        bytes = text::encodeCp932(crlf.replace(u'\n', QStringLiteral("\r\n")));
        file = writeFile(QStringLiteral("refs.bib"), bytes);
        form1().FileOpen(file);
    }
    QString document() { return form1().documentText(); }
    // 文献の修正 with the caret on `line`; `drive` works the form as a user does.
    void modifyAt(int line, std::function<void(const Form&)> drive) {
        caretOnLine(line);
        platform.expectModal(QStringLiteral("TForm2"), [drive](QDialog& d) { drive(Form{d}); });
        command("Modify1");
        platform.verify();
    }
    static void retype(QLineEdit& edit, const QString& text) {
        edit.clear();
        commit(edit, text);
    }
    // kText with line `line` replaced by `by`.
    static QString withLine(int line, const QString& by) {
        QStringList lines = kText.split(u'\n');
        lines[line] = by;
        return lines.join(u'\n');
    }

    QByteArray bytes;
    QString file;
};

TEST_F(EntryEditCommand, TheFormShowsTheEntryAndOnlyTheChangedFieldIsWrittenAsOneUndoStep) {
    modifyAt(4, [](const Form& f) {
        EXPECT_EQ(f.w.windowTitle(), QStringLiteral("文献の修正"));
        EXPECT_EQ(f.button(1).text(), QStringLiteral("修正(&A)"));
        EXPECT_EQ(f.combo(1).currentText(), QStringLiteral("論文誌の論文"));
        EXPECT_EQ(f.edit(1).text(), QStringLiteral("yamada1991"));
        EXPECT_EQ(f.edit(2).text(), QStringLiteral("山田 太郎"));
        EXPECT_EQ(f.edit(3).text(), QStringLiteral("古い表題"));
        EXPECT_EQ(f.combo(2).currentText(), QStringLiteral("ipsj")); // an abbreviation, as written
        EXPECT_EQ(f.edit(5).text(), QStringLiteral("1991"));
        EXPECT_EQ(f.edit(6).text(), QStringLiteral("jan"));
        EXPECT_EQ(f.w.focusWidget(), &f.edit(1));
        EXPECT_TRUE(f.addEnabled());
        retype(f.edit(3), QStringLiteral("新しい表題"));
        f.add();
        EXPECT_FALSE(f.w.isVisible());
    });
    EXPECT_EQ(document(), withLine(4, QStringLiteral(" title   = \"新しい表題\",")));
    EXPECT_EQ(statusText(), entry::entryCountText(2));

    command("Undo1");
    EXPECT_EQ(document(), kText);
    // The caret stays in the entry (an undo of the document's own edits put it at the top).
    EXPECT_EQ(caretLine(), 4);
    form1().Save1Click();
    EXPECT_TRUE(readFile(file) == bytes) << "the file's bytes changed";
}

// Several fields changed at once are one change of the text: the window's text-change handling runs
// once, and one undo takes all of them back.
TEST_F(EntryEditCommand, SeveralFieldsChangedAreOneChangeOfTheText) {
    QSignalSpy changes(&editor(), &view::TextView::textChanged);
    modifyAt(4, [](const Form& f) {
        retype(f.edit(2), QStringLiteral("山田 次郎"));
        retype(f.edit(3), QStringLiteral("新しい表題"));
        retype(f.edit(5), QStringLiteral("1992"));
        f.add();
    });
    for (const QString& value :
         {QStringLiteral("山田 次郎"), QStringLiteral("新しい表題"), QStringLiteral("1992")})
        EXPECT_TRUE(document().contains(value)) << value.toStdString();
    EXPECT_EQ(changes.count(), 1);
    command("Undo1");
    EXPECT_EQ(document(), kText);
}

TEST_F(EntryEditCommand, TheEntryIsTheOneTheCaretStandsInFromItsHeadToItsClosingLine) {
    struct Case {
        int line;
        const char16_t* label; // nullptr: no entry to change there
    };
    const Case cases[] = {{2, u"yamada1991"}, {9, u"yamada1991"}, {11, u"suzuki2000"}, {16, u"suzuki2000"},
                          {0, nullptr},       {1, nullptr},       {10, nullptr},       {17, nullptr}};
    // With 色分け表示 on and off: the colouring's band is not what finds the entry. The file is opened again
    // with it off, as a user's next file is.
    for (const bool coloured : {true, false}) {
        if (!coloured) {
            command("Highlight1");
            open(kText);
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.line) + (coloured ? ", coloured" : ", not coloured"));
            if (!c.label) {
                caretOnLine(c.line);
                platform.expectMessage(entry::kNoEntryToEdit);
                command("Modify1");
                platform.verify();
                continue;
            }
            modifyAt(c.line,
                     [&](const Form& f) { EXPECT_EQ(f.edit(1).text(), QString::fromUtf16(c.label)); });
        }
    }
    // The book's choice pair shows the editor the entry has.
    modifyAt(12, [](const Form& f) {
        EXPECT_TRUE(f.radio(2).isChecked());
        EXPECT_EQ(f.edit(2).text(), QStringLiteral("鈴木 花子"));
        EXPECT_EQ(f.combo(2).currentText(), QStringLiteral("岩波書店"));
    });
    EXPECT_EQ(document(), kText);
}

// An entry in parentheses, after another on its line, of a style's other type name: the form shows it and
// 修正 changes it in place; a type of no category and @string get their refusals.
const QString kKinds =
    QStringLiteral("@article(paren1,\n"                           // 0
                   "  author = {A},\n"                            // 1
                   "  title = {古い表題},\n"                      // 2
                   "  journal = {J},\n"                           // 3
                   "  year = 1990\n"                              // 4
                   ")\n"                                          // 5
                   "@MastersThesis{m1,\n"                         // 6
                   "  author = {M}, title = {T}, school = {S},\n" // 7
                   "  year = 2001,\n"                             // 8
                   "}\n"                                          // 9
                   "@conference{c1, author = {C}, title = {T}, booktitle = {B}, year = 2002}\n"
                   "@online{o1,\n"        // 11
                   "  title = {O},\n"     // 12
                   "}\n"                  // 13
                   "@misc{x} @misc{y,\n"  // 14
                   "  title = {Y},\n"     // 15
                   "}\n"                  // 16
                   "@string{s = {S}}\n"); // 17

TEST_F(EntryEditCommand, EntriesOfEveryFormAreChangedInPlaceAndOtherTypesAreRefused) {
    struct Row {
        int line;
        int category;          // -1: refused with `refusal`
        const char16_t* label; // the label slot
        const char16_t* title; // typed into 表題名; nullptr: nothing typed
        int changedLine;       // the line 修正 changes
        const char16_t* changedTo;
        const char16_t* refusal = nullptr; // the start of the message
    };
    const Row rows[] = {
        {3, 0, u"paren1", u"新しい表題", 2, u" title   = \"新しい表題\","},
        {8, 5, u"m1", nullptr, -1, nullptr},
        {10, 7, u"c1", u"U", 10,
         u"@conference{c1, author = {C}, title = \"U\", booktitle = {B}, year = 2002}"},
        {14, 12, u"x", nullptr, -1, nullptr},
        {15, 12, u"y", u"Z", 15, u" title     = \"Z\","},
        {12, -1, nullptr, nullptr, -1, nullptr, u"文献の種類 @online は 13 の文献カテゴリのどれでもないため"},
        {17, -1, nullptr, nullptr, -1, nullptr, u"カーソルの位置に修正できる文献がありません"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        open(kKinds);
        caretOnLine(row.line);
        if (row.refusal) {
            platform.expectMessageContaining(QString::fromUtf16(row.refusal));
            command("Modify1");
            platform.verify();
            EXPECT_EQ(document(), kKinds);
            continue;
        }
        modifyAt(row.line, [&](const Form& f) {
            EXPECT_EQ(f.combo(1).currentIndex(), row.category);
            EXPECT_EQ(f.edit(1).text(), QString::fromUtf16(row.label));
            if (row.title) retype(f.edit(3), QString::fromUtf16(row.title)); // 表題名 in each of them
            f.add();
        });
        QStringList expected = kKinds.split(u'\n');
        if (row.changedLine >= 0) expected[row.changedLine] = QString::fromUtf16(row.changedTo);
        EXPECT_EQ(document(), expected.join(u'\n')); // the type words, delimiters and labels as they were
    }
}

// A book with both an author and an editor: each option of the pair shows its own field's value, and 修正
// writes only the field of the option chosen. With one of the two, the option renames it.
TEST_F(EntryEditCommand, EachOptionOfAChoicePairShowsItsOwnFieldsValue) {
    const QString both = QStringLiteral("@book{b,\n  author = {著者},\n  editor = {編者},\n  title = {T},\n"
                                        "  publisher = {P},\n  year = 2000,\n}\n");
    struct Row {
        const char* name;
        const QString& text;
        int caretLine;
        // Separated by "|": a number clicks that option (1 author, 2 editor), "=text" retypes the slot,
        // "?text" expects the slot to show the text. Then 修正.
        const char16_t* steps;
        int changedLine; // -1: no change
        const char16_t* changedTo;
    };
    const Row rows[] = {
        {"EachOptionShowsItsField", both, 1, u"?著者|2|?編者|1|?著者|2", -1, nullptr},
        {"TheEditorChangedTheAuthorKept", both, 1, u"2|=新しい編者", 2, u" editor    = \"新しい編者\","},
        {"WhatWasTypedStaysWithItsOption", both, 1, u"2|=新しい編者|1|?著者|2|?新しい編者", 2,
         u" editor    = \"新しい編者\","},
        {"TheOptionNotChosenIsNotWritten", both, 1, u"=新しい著者|2|?編者", -1, nullptr},
        {"OneFieldIsRenamedWithItsValue", kText, 12, u"?鈴木 花子|1|?鈴木 花子", 12,
         u" author    = \"鈴木 花子\","},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open(row.text);
        modifyAt(row.caretLine, [&](const Form& f) {
            for (const QString& step : QString::fromUtf16(row.steps).split(u'|')) {
                if (step.startsWith(u'='))
                    retype(f.edit(2), step.sliced(1));
                else if (step.startsWith(u'?'))
                    EXPECT_EQ(f.edit(2).text(), step.sliced(1));
                else
                    QTest::mouseClick(&f.radio(step.toInt()), Qt::LeftButton);
            }
            f.add();
        });
        QStringList expected = row.text.split(u'\n');
        if (row.changedLine >= 0) expected[row.changedLine] = QString::fromUtf16(row.changedTo);
        EXPECT_EQ(document(), expected.join(u'\n'));
    }
}

TEST_F(EntryEditCommand, AnotherEntrysLabelIsRefusedTheEntrysOwnInOtherLetterCaseIsNot) {
    modifyAt(3, [this](const Form& f) {
        retype(f.edit(1), QStringLiteral("SUZUKI2000"));
        platform.expectMessage(entry::kLabelInUseMessage);
        f.add();
        EXPECT_EQ(document(), kText);
        retype(f.edit(1), QStringLiteral("Yamada1991"));
        f.add();
    });
    EXPECT_EQ(document(), withLine(2, QStringLiteral("@article{Yamada1991,")));
}

TEST_F(EntryEditCommand, AnotherCategoryKeepsTheValuesOfTheFieldsBothHave) {
    modifyAt(5, [](const Form& f) {
        f.pick(1); // 書籍(発行元あり): author or editor, title, publisher, year, ...
        EXPECT_TRUE(f.radio(1).isChecked());
        EXPECT_EQ(f.edit(2).text(), QStringLiteral("山田 太郎"));
        EXPECT_EQ(f.edit(3).text(), QStringLiteral("古い表題"));
        EXPECT_TRUE(f.combo(2).currentText().isEmpty());
        EXPECT_FALSE(f.addEnabled()); // no publisher yet
        QTest::keyClicks(f.combo(2).lineEdit(), QStringLiteral("Kodansha"));
        f.pick(0);
        EXPECT_EQ(f.combo(2).currentText(), QStringLiteral("ipsj"));
        f.pick(1);
        EXPECT_EQ(f.combo(2).currentText(), QStringLiteral("Kodansha"));
        f.add();
    });
    QStringList lines = kText.split(u'\n');
    lines[2] = QStringLiteral("@book{yamada1991,");
    lines.insert(5, QStringLiteral(" publisher = \"Kodansha\","));
    EXPECT_EQ(document(), lines.join(u'\n')); // the journal has no slot in a book: it stays
}

TEST_F(EntryEditCommand, AnEntryWithAnErrorIsRefusedWithTheChecksWords) {
    edit(store().lineStart(6) + store().lineLength(6) - 1, 1, QString()); // "year = 1991" without its ","
    const QString broken = document();
    caretOnLine(3);
    // The missing "," belongs at the end of line 7, where the check reports it.
    platform.expectMessageContaining(QStringLiteral("7 行目: "));
    command("Modify1");
    platform.verify();
    EXPECT_EQ(document(), broken);
}

TEST_F(EntryEditCommand, ACharacterTheFileCannotHoldIsAskedAboutWhenSaving) {
    modifyAt(4, [](const Form& f) {
        retype(f.edit(3), QStringLiteral("表題😀"));
        f.add();
    });
    platform.expectYesNo(false, QStringLiteral("UTF-8"));
    form1().Save1Click();
    platform.verify();
    EXPECT_TRUE(readFile(file) == bytes) << "いいえ wrote the file";
}

TEST_F(EntryEditCommand, CtrlEInTheEditorOpensTheForm) {
    form1().show();
    QApplication::setActiveWindow(&form1());
    editor().setFocus();
    caretOnLine(13);
    platform.expectModal(QStringLiteral("TForm2"),
                         [](QDialog& d) { EXPECT_EQ(Form{d}.edit(1).text(), QStringLiteral("suzuki2000")); });
    QTest::keyClick(&editor(), Qt::Key_E, Qt::ControlModifier);
    platform.verify();
    EXPECT_EQ(document(), kText); // and no end of the line either
    EXPECT_EQ(caretColumn(), 0);
}

} // namespace
