#pragma once
// How the dialogs reach the main window and its document: the entry form checks labels, appends entries
// and writes the entry count into the status bar through it; the CSV dialogs read the text, its name and
// encoding, use the open dialog and append entries.
#include "csv/csv_document.h"
#include "entry/entry_document.h"

namespace app {

class TForm1;

class DocumentAdapter final : public entry::EntryDocument, public csv::CsvDocument {
public:
    explicit DocumentAdapter(TForm1& window) : window_(window) {}

    // Both.
    void appendLines(const QStringList& lines) override;

    // entry::EntryDocument
    void applyEdits(const QList<text::TextEdit>& edits) override;
    bool labelInUse(const QString& label) const override;
    int entryCount() const override;
    void showEntryCount(const QString& text) override;

    // csv::CsvDocument
    QString text() const override;
    QString documentPath() const override;
    QString lastDir() const override;
    text::TextFormat textFormat() const override;
    std::optional<QString> chooseOpenFile(int filterIndex) override;
    void VolCount() override;

private:
    TForm1& window_;
};

} // namespace app
