#include "app/document_adapter.h"

#include "app/main_window.h"
#include "app/program.h"
#include "entry/entry_count.h"
#include "entry/entry_form.h"
#include "view/text_view.h"

#include <QLabel>
#include <QScopeGuard>

namespace app {

void DocumentAdapter::appendLines(const QStringList& lines) {
    window_.document_.appendLines(lines);
}

void DocumentAdapter::applyEdits(const QList<text::TextEdit>& edits) {
    if (edits.isEmpty()) return;
    // One step of the view as of the history: the text-change handling runs once for all of them.
    window_.editor_->beginStep(edits.first().position);
    const auto endStep = qScopeGuard([this] { window_.editor_->endStep(); });
    window_.document_.applyEdits(edits);
}

bool DocumentAdapter::labelInUse(const QString& label) const {
    return window_.document_.labelInUse(label);
}

int DocumentAdapter::entryCount() const {
    return window_.document_.entryCount();
}

void DocumentAdapter::showEntryCount(const QString& text) {
    window_.statusPanel_->setText(text);
}

QString DocumentAdapter::text() const {
    return window_.document_.text();
}

QString DocumentAdapter::documentPath() const {
    return window_.document_.path();
}

QString DocumentAdapter::lastDir() const {
    return window_.lastDir_;
}

text::TextFormat DocumentAdapter::textFormat() const {
    return window_.document_.format().text;
}

std::optional<QString> DocumentAdapter::chooseOpenFile(int filterIndex) {
    window_.openDialog_.filterIndex = filterIndex;
    return window_.chooseFile(window_.openDialog_, false);
}

void DocumentAdapter::VolCount() {
    // The count is the entry form's, as after every change of the text.
    if (window_.windows_.form2)
        window_.windows_.form2->VolCount();
    else
        showEntryCount(entry::entryCountText(entryCount()));
}

} // namespace app
