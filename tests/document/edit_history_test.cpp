// The edit history against the undo oracle: each row's actions made on a text store the way the editor
// makes them (a typed key is typing, Backspace and Delete beside the caret are erasing, the rest
// commands), then undone one step at a time and redone.
#include "document/anchors.h"
#include "document/document_file.h"
#include "document/edit_history.h"
#include "support/undo_oracle.h"
#include "text/search.h"

#include <gtest/gtest.h>

namespace {

using document::EditKind;

// A text store with a caret and a selection, driven as the editor drives its text.
class Session {
public:
    Session(const QString& text, int caret)
        : store_(text), history_(store_), marks_(store_, {caret, caret}) {}

    QString text() const { return store_.toString(); }
    qsizetype caret() const { return marks_.position(1); }
    bool hasSelection() const { return marks_.position(0) != caret(); }
    document::EditHistory& history() { return history_; }
    const document::TextStore& store() const { return store_; }

    void perform(const oracle::UserAction& a) {
        using A = oracle::UserAction;
        switch (a.kind) {
        case A::Type:
            for (QChar c : a.text)
                replaceSelection(QStringView(&c, 1), EditKind::Typing);
            break;
        case A::Key:
            pressKey(Qt::Key(a.key));
            break;
        case A::Select:
            marks_.reset({a.from, a.to});
            break;
        case A::Paste:
        case A::InputMethod: // the preedit is shown, never put in the text
            replaceSelection(a.text, EditKind::Command);
            break;
        case A::Cut:
            replaceSelection({}, EditKind::Command);
            break;
        case A::Drop: {
            const document::Replacement r = history_.edit(a.from, 0, a.text, EditKind::Command);
            moveCaret(r.from + r.inserted.size());
            break;
        }
        case A::ReplaceAll:
            replaceAll(a.text, a.replacement);
            break;
        case A::AddEntry: {
            const qsizetype last = store_.lineCount() - 1;
            history_.edit(store_.size(), 0, document::textToAppend(a.lines, store_.lineLength(last) > 0),
                          EditKind::Command);
            break;
        }
        case A::ChangeEntry:
            // As the document makes them: one step, the last first, begun where the first edit begins.
            history_.beginStep(a.edits.first().position);
            for (auto e = a.edits.crbegin(); e != a.edits.crend(); ++e)
                history_.edit(e->position, e->length, e->replacement, EditKind::Command);
            history_.endStep();
            break;
        case A::Save:
            history_.closeStep();
            break;
        }
    }
    void undo() { moveCaret(history_.undo().value()); }
    void redo() { moveCaret(history_.redo().value()); }

private:
    void moveCaret(qsizetype to) { marks_.reset({to, to}); }
    // The anchors follow the edit: both end after the text put in.
    void replaceSelection(QStringView text, EditKind kind) {
        const qsizetype from = std::min(marks_.position(0), caret());
        history_.edit(from, std::max(marks_.position(0), caret()) - from, text, kind);
    }
    void pressKey(Qt::Key key) {
        const qsizetype at = caret();
        switch (key) {
        case Qt::Key_Return:
            replaceSelection(u"\n", EditKind::Command);
            break;
        case Qt::Key_Tab:
            replaceSelection(u"\t", EditKind::Typing);
            break;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (hasSelection())
                replaceSelection({}, EditKind::Command);
            else if (key == Qt::Key_Backspace && at > 0)
                history_.edit(at - 1, 1, {}, EditKind::Erasing);
            else if (key == Qt::Key_Delete && at < store_.size())
                history_.edit(at, 1, {}, EditKind::Erasing);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            moveCaret(std::clamp<qsizetype>(at + (key == Qt::Key_Left ? -1 : 1), 0, store_.size()));
            break;
        default:
            ADD_FAILURE() << "no key " << key;
        }
    }
    // As the editor's Replace All: one step of every replacement, the last first, the caret after the last
    // one; an undo of it leaves the caret where the first replacement began.
    void replaceAll(const QString& find, const QString& replacement) {
        const text::ReplaceAllResult result = text::replaceAll(store_.text(), find, replacement);
        if (result.count == 0) return;
        history_.beginStep(result.edits.first().position);
        qsizetype shift = 0;
        for (const text::TextEdit& e : result.edits)
            shift += e.replacement.size() - e.length;
        for (auto e = result.edits.crbegin(); e != result.edits.crend(); ++e)
            history_.edit(e->position, e->length, e->replacement, EditKind::Command);
        history_.endStep();
        const text::TextEdit& last = result.edits.last();
        moveCaret(last.position + last.length + shift);
    }

    document::TextStore store_;
    document::EditHistory history_;
    document::AnchorSet marks_; // the selection's anchor, then the caret
};

TEST(EditHistory, GroupsStepsAndPlacesTheCaretAsTheEditorDoes) {
    for (const oracle::UndoCase& c : oracle::undoCases()) {
        SCOPED_TRACE(c.what);
        Session session(c.text, c.caret);
        for (const oracle::UserAction& a : c.actions)
            session.perform(a);
        const QString edited = session.text();
        const text::LineEnds editedEnds = session.store().lineEnds();
        for (const oracle::AfterUndo& after : c.undos) {
            ASSERT_TRUE(session.history().canUndo());
            session.undo();
            EXPECT_EQ(session.text(), after.text);
            EXPECT_EQ(session.caret(), after.caret);
        }
        EXPECT_FALSE(session.history().canUndo());
        // Made again step by step, the edits give the same text.
        while (session.history().canRedo())
            session.redo();
        EXPECT_EQ(session.text(), edited);
        EXPECT_EQ(session.store().lineEnds(), editedEnds);
    }
}

} // namespace
