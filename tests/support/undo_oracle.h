#pragma once
// How the editor groups changes into undo steps and where an undo leaves the caret, as a table of what a
// user does and what each undo then gives. The same rows run on the main window's editor and on the text
// store's edit history, each through a driver of its own; a view that replaces the editor runs them too.
#include "text/search.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace oracle {

// One thing the user does.
struct UserAction {
    enum Kind {
        Type,        // types `text`, key by key
        Key,         // presses `key` (Qt::Key: Return, Backspace, Delete, Left, Right)
        Select,      // selects from `from` to `to` (the caret at `to`)
        Paste,       // pastes `text` (the clipboard holds it)
        Cut,         // cuts the selection
        InputMethod, // an input method commits `text` (after showing `preedit`, when given)
        Drop,        // drops `text` from another program at position `from`
        ReplaceAll,  // すべて置換 of `text` by `replacement`
        AddEntry,    // the entry form adds the entry `lines`
        ChangeEntry, // the entry form's 文献の修正 makes `edits` (sorted, apart) with the caret where it is
        Save,        // 上書き保存
    };
    Kind kind;
    QString text = {};
    int key = 0;
    int from = 0;
    int to = 0;
    QString replacement = {};
    QStringList lines = {};
    QString preedit = {};
    QList<text::TextEdit> edits = {};
};

// The text and the caret after one undo.
struct AfterUndo {
    QString text;
    int caret;
};

struct UndoCase {
    const char* what;
    QString text; // the file opened
    int caret;    // where the caret is put first
    std::vector<UserAction> actions;
    // After each undo in turn; after the last one the file's text is back and nothing is left to undo.
    std::vector<AfterUndo> undos;
};

const std::vector<UndoCase>& undoCases();

} // namespace oracle
