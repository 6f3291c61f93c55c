// The edit commands on the editor, and find and replace through the two modeless dialogs.
#include "app/search_dialogs.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using app::SearchDialog;
using namespace Qt::StringLiterals;

namespace {

const QString kNotFound = QStringLiteral("見つかりませんでした");
// A selection's start and length.
using Span = std::pair<qsizetype, qsizetype>;

class EditCommands : public AppFixture {
protected:
    QString text() { return form1().documentText(); }
    // Replaces the whole text as typing over a selection of all would.
    void setText(const QString& t) {
        editor().selectAll();
        editor().insertText(t);
    }
    void select(qsizetype start, qsizetype length) { editor().setSelection(start, start + length); }
    // Selection start and length.
    Span selection() {
        return {editor().selectionStart(), editor().selectionEnd() - editor().selectionStart()};
    }
    SearchDialog& findDialog() {
        form1().Find2Click();
        return form1().findDialog();
    }
    SearchDialog& replaceDialog() {
        form1().Replace1Click();
        return form1().replaceDialog();
    }
    // Presses a button of a dialog with the texts filled in.
    void press(SearchDialog& dialog, const char* button, const QString& find,
               const QString& replacement = {}) {
        child<QLineEdit>(dialog, "FindTextEdit").setText(find);
        if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("ReplaceTextEdit")))
            edit->setText(replacement);
        child<QPushButton>(dialog, button).click();
    }
};

TEST_F(EditCommands, DialogsShowTheirCaptionsAndControlsAndKeepTheirTexts) {
    const struct {
        bool replace;
        QString caption;
        QStringList labels, buttons;
    } dialogs[] = {
        {false,
         QStringLiteral("検索"),
         {QStringLiteral("検索する文字列(&N):")},
         {u"次を検索(&F)"_s, u"キャンセル"_s}},
        {true,
         QStringLiteral("置換"),
         {QStringLiteral("検索する文字列(&N):"), QStringLiteral("置換後の文字列(&P):")},
         {u"次を検索(&F)"_s, u"置換(&R)"_s, u"すべて置換(&A)"_s, u"キャンセル"_s}},
    };
    for (const auto& d : dialogs) {
        SearchDialog& dialog = d.replace ? replaceDialog() : findDialog();
        EXPECT_EQ(dialog.objectName(), d.replace ? u"ReplaceDialog1"_s : u"FindDialog1"_s);
        EXPECT_EQ(dialog.windowTitle(), d.caption);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.isModal());
        QStringList labels, buttons;
        for (const QLabel* l : dialog.findChildren<QLabel*>())
            labels << l->text();
        for (const QPushButton* b : dialog.findChildren<QPushButton*>())
            buttons << b->text();
        EXPECT_EQ(labels, d.labels);
        EXPECT_EQ(buttons, d.buttons);
        EXPECT_TRUE(child<QPushButton>(dialog, "FindNextButton").isDefault());
        auto& findEdit = child<QLineEdit>(dialog, "FindTextEdit");
        EXPECT_EQ(dialog.focusWidget(), &findEdit);

        findEdit.setText(QStringLiteral("山田"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        SearchDialog& again = d.replace ? replaceDialog() : findDialog();
        EXPECT_EQ(&again, &dialog);
        EXPECT_TRUE(again.isVisible());
        EXPECT_EQ(again.findText(), QStringLiteral("山田"));
        // Enter in the find edit is Find Next.
        platform.expectMessage(kNotFound);
        QTest::keyClick(&findEdit, Qt::Key_Return);
        platform.verify();
    }
    // Both stay open while the user types in the editor, and the tool buttons open them as the menu does.
    child<QToolButton>(form1(), "ToolButton10").click();
    QTest::keyClicks(&editor(), QStringLiteral("abc"));
    EXPECT_EQ(text(), QStringLiteral("abc"));
    EXPECT_TRUE(form1().findDialog().isVisible());
    EXPECT_TRUE(form1().replaceDialog().isVisible());
}

TEST_F(EditCommands, FindNextStartsAtTheTopOrAfterTheSelectionIgnoresCaseAndNeverWraps) {
    // 𠮷 is two positions, the line break one.
    setText(QStringLiteral("𠮷 Lorem\nlorem LOREM ｌｏｒｅｍ"));
    SearchDialog& dialog = findDialog();
    select(12, 0); // the caret in the middle: the search starts at the top all the same
    const Span hits[] = {{3, 5}, {9, 5}, {15, 5}}; // full-width letters are others
    for (const auto& hit : hits) {
        press(dialog, "FindNextButton", QStringLiteral("lorem"));
        EXPECT_EQ(selection(), hit);
        EXPECT_EQ(form1().focusWidget(), &editor());
    }
    // After the last hit: not found, and the hit stays selected, again and again.
    for (int i = 0; i < 2; ++i) {
        platform.expectMessage(kNotFound);
        press(dialog, "FindNextButton", QStringLiteral("lorem"));
        platform.verify();
        EXPECT_EQ(selection(), Span(15, 5));
    }
    // A selection: from its end, so a hit that begins inside it is passed over.
    select(4, 6);
    press(dialog, "FindNextButton", QStringLiteral("LOREM"));
    EXPECT_EQ(selection(), Span(15, 5));
    // The replace dialog finds with its own find text; an empty one is never found.
    select(0, 0);
    press(replaceDialog(), "FindNextButton", QStringLiteral("ｌＯｒｅｍ"));
    EXPECT_EQ(selection(), Span(21, 5));
    platform.expectMessage(kNotFound);
    press(dialog, "FindNextButton", QString());
    EXPECT_EQ(selection(), Span(21, 5));
    EXPECT_EQ(text(), QStringLiteral("𠮷 Lorem\nlorem LOREM ｌｏｒｅｍ"));
    // The text searched is the text as it stands: a hit typed after a search is found, one deleted is not.
    select(26, 0);
    QTest::keyClicks(&editor(), QStringLiteral(" LoRem"));
    select(21, 5);
    press(dialog, "FindNextButton", QStringLiteral("lorem"));
    EXPECT_EQ(selection(), Span(27, 5));
    editor().deleteSelection();
    select(21, 5);
    platform.expectMessage(kNotFound);
    press(dialog, "FindNextButton", QStringLiteral("lorem"));
    platform.verify();
}

TEST_F(EditCommands, ReplaceTakesTheFirstExactOccurrenceOfTheDocumentAsOneUndoStep) {
    setText(QStringLiteral("Lorem\nlorem x lorem"));
    SearchDialog& dialog = replaceDialog();
    for (int i = 0; i < 3; ++i)
        press(dialog, "FindNextButton", QStringLiteral("lorem"));
    ASSERT_EQ(selection(), Span(14, 5));
    // The focus stays in the dialog.
    QApplication::setActiveWindow(&dialog);
    QLineEdit& replaceEdit = child<QLineEdit>(dialog, "ReplaceTextEdit");
    replaceEdit.setFocus();
    QSignalSpy changes(&editor(), &view::TextView::textChanged);
    press(dialog, "ReplaceButton", QStringLiteral("lorem"), QStringLiteral("山田"));
    EXPECT_EQ(text(), QStringLiteral("Lorem\n山田 x lorem"));
    EXPECT_EQ(selection(), Span(8, 0));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), &replaceEdit);
    form1().Undo1Click();
    EXPECT_EQ(text(), QStringLiteral("Lorem\nlorem x lorem"));
    EXPECT_EQ(caretLine(), 1); // at the replacement undone, not at the top

    platform.expectMessage(kNotFound);
    press(dialog, "ReplaceButton", QStringLiteral("LOREM"), QStringLiteral("x"));
    platform.expectMessage(kNotFound);
    press(dialog, "ReplaceButton", QString(), QStringLiteral("x"));
    EXPECT_EQ(text(), QStringLiteral("Lorem\nlorem x lorem"));
}

TEST_F(EditCommands, ReplaceAllCountsIsOneChangeAndOneUndoBringsTheTextBack) {
    const struct {
        QString text, find, replacement, message, result;
    } cases[] = {
        {u"cat Cat\ncat"_s, u"cat"_s, u"dog"_s, u"2個置換えました"_s, u"dog Cat\ndog"_s},
        {u"cat"_s, u"dog"_s, u"x"_s, kNotFound, u"cat"_s},
        {u"cat"_s, QString(), u"x"_s, kNotFound, u"cat"_s},
        // The replacement holds the find text: each occurrence of the text as it stood, once.
        {u"a a"_s, u"a"_s, u"aa"_s, u"2個置換えました"_s, u"aa aa"_s},
        // Replacements that make new occurrences are searched again.
        {u"aaaa"_s, u"aa"_s, u"a"_s, u"3個置換えました"_s, u"a"_s},
        {u"𠮷山田\n山田 𠮷\n山田"_s, u"山田"_s, u"鈴木 花子"_s, u"3個置換えました"_s,
         u"𠮷鈴木 花子\n鈴木 花子 𠮷\n鈴木 花子"_s},
    };
    for (const auto& c : cases) {
        setText(c.text);
        form1().document().setModified(false);
        QSignalSpy changes(&editor(), &view::TextView::textChanged);
        platform.expectMessage(c.message);
        press(replaceDialog(), "ReplaceAllButton", c.find, c.replacement);
        platform.verify();
        EXPECT_EQ(text(), c.result);
        const bool replaced = c.result != c.text;
        EXPECT_EQ(changes.count(), replaced ? 1 : 0) << c.text.toStdString();
        EXPECT_EQ(form1().isModified(), replaced);
        if (!replaced) continue;
        form1().Undo1Click();
        EXPECT_EQ(text(), c.text);
    }
}

TEST_F(EditCommands, ReplaceAllUpdatesTheEntryCountAndLabels) {
    setText(QStringLiteral("@book{a,\n}\n\n@book{b,\n}\n\n@misc{c,\n}\n"));
    platform.expectMessage(QStringLiteral("2個置換えました"));
    press(replaceDialog(), "ReplaceAllButton", QStringLiteral("@book{"), QStringLiteral("book{z"));
    EXPECT_EQ(form1().entryCount(), 1);
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
    EXPECT_TRUE(form1().document().labelInUse(QStringLiteral("ZA")));
    EXPECT_FALSE(form1().document().labelInUse(QStringLiteral("a")));
    form1().Undo1Click();
    EXPECT_EQ(form1().entryCount(), 3);
    EXPECT_TRUE(form1().document().labelInUse(QStringLiteral("a")));
}

TEST_F(EditCommands, EditCommandsWorkOnTheSelection) {
    form1().FileOpen(writeFile(QStringLiteral("a.bib"), "abc def"));
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    // Delete without a selection changes nothing, not even the modified flag.
    select(3, 0);
    form1().Delete1Click();
    EXPECT_EQ(text(), QStringLiteral("abc def"));
    EXPECT_FALSE(form1().isModified());
    select(1, 2);
    form1().Paste1Click(); // over the selection
    EXPECT_EQ(text(), QStringLiteral("aXY def"));
    EXPECT_TRUE(form1().isModified());
    select(0, 3);
    form1().Cut1Click();
    EXPECT_EQ(text(), QStringLiteral(" def"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("aXY"));
    select(1, 3);
    form1().Copy1Click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("def"));
    form1().Delete1Click();
    EXPECT_EQ(text(), QStringLiteral(" "));
    form1().Undo1Click();
    EXPECT_EQ(text(), QStringLiteral(" def"));
    // Undo is a change like any other: back at the text as opened, the document is still modified.
    for (int i = 0; i < 3; ++i)
        form1().Undo1Click();
    EXPECT_EQ(text(), QStringLiteral("abc def"));
    EXPECT_TRUE(form1().isModified());
    form1().A2Click();
    EXPECT_EQ(selection(), Span(0, 7));
    // The tool buttons run their menu items' commands.
    child<QToolButton>(form1(), "ToolButton8").click();
    EXPECT_EQ(text(), QString());
}

// What the keys and the clipboard commands give in the window's editor, character for character.
TEST_F(EditCommands, KeysAndTheClipboardGiveTheCharactersAsTheyAre) {
    QByteArray chunk;
    for (int i = 0; i < 100; ++i)
        chunk += QStringLiteral("@misc{k%1, title = {日本}}\n").arg(i).toUtf8();
    const QString large = writeLargeFile(u"large.bib"_s, chunk);
    const QString firstLine = u"@misc{k0, title = {日本}}"_s;
    const struct {
        const char* what;
        QString file; // opened first, its caret at `from`, the selection to `to`
        qsizetype from, to;
        std::function<void()> act;
        QString textStart; // what the text begins with then
        qsizetype caret;
        QString clipboard; // what the clipboard holds then
    } rows[] = {
        {"Enter breaks the line", writeFile(u"ab.bib"_s, "ab"), 1, 1,
         [&] { QTest::keyClick(&editor(), Qt::Key_Return); }, u"a\nb"_s, 2, u"-"_s},
        {"Shift+Enter breaks the line as Enter does", writeFile(u"ab.bib"_s, "ab"), 1, 1,
         [&] { QTest::keyClick(&editor(), Qt::Key_Return, Qt::ShiftModifier); }, u"a\nb"_s, 2, u"-"_s},
        {"Shift+Enter on the keypad", writeFile(u"ab.bib"_s, "ab"), 1, 1,
         [&] { QTest::keyClick(&editor(), Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier); },
         u"a\nb"_s, 2, u"-"_s},
        {"コピー keeps a no-break space one",
         writeFile(u"nbsp.bib"_s, "a\xC2\xA0"
                                  "b c"),
         0, 3, [&] { command("Copy1"); }, u"a\u00A0b c"_s, 3, u"a\u00A0b"_s},
        {"Ctrl+C keeps a no-break space one",
         writeFile(u"nbsp.bib"_s, "a\xC2\xA0"
                                  "b c"),
         0, 3, [&] { QTest::keyClick(&editor(), Qt::Key_C, Qt::ControlModifier); }, u"a\u00A0b c"_s, 3,
         u"a\u00A0b"_s},
        {"切り取り keeps a no-break space one",
         writeFile(u"nbsp.bib"_s, "a\xC2\xA0"
                                  "b c"),
         0, 3, [&] { command("Cut1"); }, u" c"_s, 0, u"a\u00A0b"_s},
        {"the first key after a large file is taken reaches the text", large, 0, 0,
         [&] { QTest::keyClick(&editor(), Qt::Key_X); }, u"x"_s + firstLine, 1, u"-"_s},
    };
    form1().show();
    QApplication::setActiveWindow(&form1());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        form1().document().setModified(false);
        form1().FileOpen(row.file);
        editor().setFocus();
        QApplication::clipboard()->setText(u"-"_s);
        select(row.from, row.to - row.from);
        row.act();
        EXPECT_TRUE(text().startsWith(row.textStart)) << text().left(40).toStdString();
        EXPECT_EQ(editor().caret(), row.caret);
        EXPECT_EQ(QApplication::clipboard()->text(), row.clipboard);
    }
}

} // namespace
