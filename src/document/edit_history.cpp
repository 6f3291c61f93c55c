#include "document/edit_history.h"

namespace document {

bool EditHistory::join(Step& step, const Replacement& r, EditKind kind) {
    Replacement& last = step.edits.back();
    if (kind == EditKind::Typing && r.removed.isEmpty() && !r.inserted.isEmpty() &&
        !r.inserted.contains(u'\n') && !last.inserted.isEmpty() && !last.inserted.endsWith(u'\n') &&
        r.from == last.from + last.inserted.size()) {
        last.inserted += r.inserted;
        return true;
    }
    if (kind != EditKind::Erasing || step.kind != EditKind::Erasing || !r.inserted.isEmpty() ||
        !last.inserted.isEmpty() || r.removed.contains(u'\n') || last.removed.contains(u'\n'))
        return false;
    if (r.from + r.removed.size() == last.from) { // Backspace: the text before the last erased
        last.from = r.from;
        last.removed.prepend(r.removed);
        return true;
    }
    if (r.from == last.from) { // Delete: the text after it
        last.removed += r.removed;
        return true;
    }
    return false;
}

Replacement EditHistory::edit(qsizetype from, qsizetype length, QStringView text, EditKind kind) {
    Replacement r = store_.replace(from, length, text);
    if (r.removed.isEmpty() && r.inserted.isEmpty()) return r;
    undone_.clear();
    if (open_) {
        open_->edits.push_back(r);
    } else if (!(mergeable_ && !done_.empty() && join(done_.back(), r, kind))) {
        done_.push_back({{r}, kind, {}});
        mergeable_ = true;
    }
    return r;
}

void EditHistory::beginStep(std::optional<qsizetype> caretOnUndo) {
    if (depth_++ == 0) open_ = Step{{}, EditKind::Command, caretOnUndo};
}

void EditHistory::endStep() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (!open_->edits.empty()) {
        done_.push_back(std::move(*open_));
        mergeable_ = true;
    }
    open_.reset();
}

std::optional<qsizetype> EditHistory::undo() {
    if (open_ || done_.empty()) return std::nullopt;
    Step step = std::move(done_.back());
    done_.pop_back();
    for (auto e = step.edits.crbegin(); e != step.edits.crend(); ++e)
        store_.replace(e->from, e->inserted.size(), e->removed, e->removedEnds);
    const Replacement& first = step.edits.front();
    // A step's own caret counts only where its first edit began elsewhere: where they meet, the caret goes
    // after the text put back, as for any step (the editor's undo records no move of the caret there).
    const qsizetype caret = step.caretOnUndo && *step.caretOnUndo != first.from
                                ? *step.caretOnUndo
                                : first.from + first.removed.size();
    undone_.push_back(std::move(step));
    mergeable_ = false;
    return caret;
}

std::optional<qsizetype> EditHistory::redo() {
    if (open_ || undone_.empty()) return std::nullopt;
    Step step = std::move(undone_.back());
    undone_.pop_back();
    for (const Replacement& e : step.edits)
        store_.replace(e.from, e.removed.size(), e.inserted, e.insertedEnds);
    const Replacement& last = step.edits.back();
    const qsizetype caret = last.from + last.inserted.size();
    done_.push_back(std::move(step));
    mergeable_ = false;
    return caret;
}

void EditHistory::clear() {
    done_.clear();
    undone_.clear();
    open_.reset();
    depth_ = 0;
    mergeable_ = false;
}

} // namespace document
