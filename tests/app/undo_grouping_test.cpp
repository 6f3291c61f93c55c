// Undo on the main window's editor: how changes group into steps and where each undo leaves the caret,
// row by row as the undo oracle says.
#include "app/search_dialogs.h"
#include "support/app_fixture.h"
#include "support/undo_oracle.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace {

class UndoGrouping : public AppFixture {
protected:
    void sendInputMethod(const QString& preedit, const QString& commit) {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(&editor(), &event);
    }
    // Text dragged from another program and dropped on the character at `at`.
    void drop(const QString& text, int at) {
        QMimeData data;
        data.setText(text);
        const QPoint point = editor().caretRect(at).center() + QPoint(1, 0);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(editor().viewport(), &enter);
        QDragMoveEvent move(point, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(editor().viewport(), &move);
        QDropEvent dropEvent(QPointF(point), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(editor().viewport(), &dropEvent);
        EXPECT_TRUE(dropEvent.isAccepted());
    }
    void replaceAll(const QString& find, const QString& replacement) {
        platform.expectMessageContaining(QStringLiteral("置換えました"));
        command("Replace1");
        app::SearchDialog& dialog = form1().replaceDialog();
        child<QLineEdit>(dialog, "FindTextEdit").setText(find);
        child<QLineEdit>(dialog, "ReplaceTextEdit").setText(replacement);
        child<QPushButton>(dialog, "ReplaceAllButton").click();
        platform.verify();
    }

    void perform(const oracle::UserAction& a) {
        using A = oracle::UserAction;
        switch (a.kind) {
        case A::Type:
            QTest::keyClicks(&editor(), a.text);
            break;
        case A::Key:
            QTest::keyClick(&editor(), Qt::Key(a.key));
            break;
        case A::Select:
            select(a.from, a.to);
            break;
        case A::Paste:
            QApplication::clipboard()->setText(a.text);
            command("Paste1");
            break;
        case A::Cut:
            command("Cut1");
            break;
        case A::InputMethod:
            if (!a.preedit.isEmpty()) sendInputMethod(a.preedit, {});
            sendInputMethod({}, a.text);
            break;
        case A::Drop:
            drop(a.text, a.from);
            break;
        case A::ReplaceAll:
            replaceAll(a.text, a.replacement);
            break;
        case A::AddEntry:
            form1().entryDocument().appendLines(a.lines);
            break;
        case A::ChangeEntry:
            form1().entryDocument().applyEdits(a.edits);
            break;
        case A::Save:
            command("Save1");
            break;
        }
    }
};

TEST_F(UndoGrouping, StepsAndTheCaretAfterEachUndoAreAsTheOracleSays) {
    form1().show(); // a drop finds its place on the laid-out text
    for (const oracle::UndoCase& c : oracle::undoCases()) {
        SCOPED_TRACE(c.what);
        form1().document().setModified(false);
        form1().FileOpen(writeFile(QStringLiteral("undo.bib"), c.text.toUtf8()));
        ASSERT_EQ(form1().documentText(), c.text);
        select(c.caret, c.caret);
        for (const oracle::UserAction& a : c.actions)
            perform(a);
        for (const oracle::AfterUndo& after : c.undos) {
            ASSERT_TRUE(editor().isUndoAvailable());
            // The key, not the menu item: 元に戻す is grey once an undo is back at the text as saved.
            QTest::keyClick(&editor(), Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(form1().documentText(), after.text);
            EXPECT_EQ(editor().caret(), after.caret);
            EXPECT_FALSE(editor().hasSelection());
        }
        EXPECT_FALSE(editor().isUndoAvailable());
    }
}

} // namespace
