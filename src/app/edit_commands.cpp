// The edit commands of the main window (undo, cut, copy, paste, delete, select all) and find and
// replace through FindDialog1 and ReplaceDialog1. The rules of searching are text::findNext,
// text::findFirstExact and text::replaceAll; this file only wires them to the editor. Every change goes
// through the editor, whose change signal runs the text-change handling and sets the modified flag.
#include "app/main_window.h"

#include "app/command_table.h"
#include "app/search_dialogs.h"
#include "text/search.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace app {

namespace {

const QString kNotFound = QStringLiteral("見つかりませんでした");

// The editor's cursor with [start, start + length) selected.
QTextCursor selection(QPlainTextEdit* editor, qsizetype start, qsizetype length) {
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

void TForm1::Undo1Click() {
    run([this] { RichEdit1->undo(); });
}

void TForm1::Cut1Click() {
    run([this] { RichEdit1->cut(); });
}

void TForm1::Copy1Click() {
    run([this] { RichEdit1->copy(); });
}

void TForm1::Paste1Click() {
    run([this] { RichEdit1->paste(); });
}

void TForm1::Delete1Click() {
    run([this] {
        QTextCursor cursor = RichEdit1->textCursor();
        if (!cursor.hasSelection()) return;
        cursor.removeSelectedText();
        RichEdit1->setTextCursor(cursor);
    });
}

void TForm1::A2Click() {
    run([this] { RichEdit1->selectAll(); });
}

SearchDialog& TForm1::findDialog() {
    if (!FindDialog1) {
        FindDialog1 = new SearchDialog(SearchDialog::Kind::Find, this);
        connect(FindDialog1, &SearchDialog::findRequested, this, &TForm1::FindDialog1Find);
    }
    return *FindDialog1;
}

SearchDialog& TForm1::replaceDialog() {
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new SearchDialog(SearchDialog::Kind::Replace, this);
        connect(ReplaceDialog1, &SearchDialog::findRequested, this, &TForm1::ReplaceDialog1Find);
        connect(ReplaceDialog1, &SearchDialog::replaceRequested, this, &TForm1::ReplaceDialog1Replace);
        // The text is not the user's to change while a file loads, however late the dialog is made.
        for (QWidget* button : ReplaceDialog1->changeButtons())
            commands_->addChangeControl(button);
    }
    return *ReplaceDialog1;
}

void TForm1::Find2Click() {
    run([this] { findDialog().showBeside(); });
}

void TForm1::Replace1Click() {
    run([this] { replaceDialog().showBeside(); });
}

void TForm1::FindDialog1Find() {
    run([this] { findNext(findDialog().findText()); });
}

void TForm1::ReplaceDialog1Find() {
    run([this] { findNext(replaceDialog().findText()); });
}

void TForm1::ReplaceDialog1Replace() {
    run([this] {
        const SearchDialog& dialog = replaceDialog();
        if (dialog.options() & SearchDialog::ReplaceFlag)
            replaceFirst(dialog.findText(), dialog.replaceText());
        else if (dialog.options() & SearchDialog::ReplaceAllFlag)
            replaceAll(dialog.findText(), dialog.replaceText());
    });
}

void TForm1::findNext(const QString& findText) {
    // From the end of the selection; with none, from the top wherever the caret stands.
    const QTextCursor current = RichEdit1->textCursor();
    const qsizetype from = current.hasSelection() ? current.selectionEnd() : 0;
    const qsizetype at = document_.findNext(findText, from);
    if (at < 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    activateWindow();
    RichEdit1->setFocus();
    RichEdit1->setTextCursor(selection(RichEdit1, at, findText.size()));
}

void TForm1::replaceFirst(const QString& findText, const QString& replacement) {
    // The first occurrence of the whole document, whatever is selected; the focus stays where it is.
    const qsizetype at = text::findFirstExact(document_.text(), findText);
    if (at < 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    document_.applyEdits({{at, findText.size(), replacement}});
    RichEdit1->setTextCursor(selection(RichEdit1, at + replacement.size(), 0));
}

void TForm1::replaceAll(const QString& findText, const QString& replacement) {
    const text::ReplaceAllResult result = text::replaceAll(document_.text(), findText, replacement);
    if (result.count == 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    document_.applyEdits(result.edits);
    // The caret ends after the last replacement, as if each had been selected and replaced in turn.
    const text::TextEdit& last = result.edits.last();
    qsizetype end = 0;
    for (const text::TextEdit& e : result.edits)
        end += e.replacement.size() - e.length;
    RichEdit1->setTextCursor(selection(RichEdit1, last.position + last.length + end, 0));
    platform_.showMessage(QString::number(result.count) + QStringLiteral("個置換えました"));
}

} // namespace app
