#pragma once
// Undo and redo over a text store. A step is the edits of one command in the order they were made, each
// with the text and the line ends it took out and put in, so that taking a step back restores every
// character and every line end exactly, and making it again does the same.
//
// Steps group as the editor has always grouped them: characters typed one after another are one step
// (also when typed right after a paste, a drop or an input method's commit, which they then join), as are
// Backspaces or Deletes one after another; a line break, an erased line break, typing over a selection
// and every command start a step of their own. A save, an undo or a redo ends the grouping.
#include "document/text_store.h"

#include <optional>
#include <vector>

namespace document {

// What an edit is to the grouping.
enum class EditKind : quint8 {
    Typing,  // text typed at the caret, or over the selection
    Erasing, // Backspace or Delete of the characters beside the caret, with nothing selected
    Command, // anything else: Enter, paste, cut, a drop, an input method's commit, a command's edits
};

class EditHistory {
public:
    explicit EditHistory(TextStore& store) : store_(store) {}

    // Makes one edit through the store (TextStore::replace) and records it. Undone steps are dropped.
    Replacement edit(qsizetype from, qsizetype length, QStringView text, EditKind kind);
    // Every edit until the matching endStep() is one step (Replace All, a drag that moves text). An undo of
    // it puts the caret at `caretOnUndo` when given and not where the step's first edit begins; otherwise
    // where undoing any step puts it.
    void beginStep(std::optional<qsizetype> caretOnUndo = {});
    void endStep();
    // The next edit starts a step of its own (the document was just saved).
    void closeStep() { mergeable_ = false; }

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    qsizetype undoSteps() const { return qsizetype(done_.size()); }
    // Takes the last step back; returns where the caret goes: after the text its first edit took out, put
    // back (for a typed text, where the typing began), unless the step says otherwise. Nothing while a
    // step is open or none is left.
    std::optional<qsizetype> undo();
    // Makes the last step taken back again; the caret goes after what its last edit put in.
    std::optional<qsizetype> redo();
    void clear();

private:
    struct Step {
        std::vector<Replacement> edits;
        EditKind kind = EditKind::Command;
        std::optional<qsizetype> caretOnUndo;
    };
    // Takes `r` into `step` as typing or erasing joins the step before.
    static bool join(Step& step, const Replacement& r, EditKind kind);

    TextStore& store_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
    std::optional<Step> open_; // between beginStep and endStep
    int depth_ = 0;
    bool mergeable_ = false; // the last step may take in the next typed or erased edit
};

} // namespace document
