#pragma once
// How the dialogs reach the main window's document: the entry form checks labels, appends entries and
// writes the entry count into the status bar through it.
#include "entry/entry_document.h"

#include <functional>

namespace app {

class Document;

class DocumentAdapter final : public entry::EntryDocument {
public:
    DocumentAdapter(Document& document, std::function<void(const QString&)> showStatus)
        : document_(document), showStatus_(std::move(showStatus)) {}

    bool labelInUse(const QString& label) const override;
    void appendLines(const QStringList& lines) override;
    int entryCount() const override;
    void showEntryCount(const QString& text) override { showStatus_(text); }

private:
    Document& document_;
    std::function<void(const QString&)> showStatus_;
};

} // namespace app
