#pragma once
// What the CSV dialogs need of the main window and its document.
#include "text/encoding.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace csv {

class CsvDocument {
public:
    virtual ~CsvDocument() = default;
    // The document's text, lines separated by '\n'.
    virtual QString text() const = 0;
    // The document's full path; empty for a document that has no file yet.
    virtual QString documentPath() const = 0;
    // The main window's last folder.
    virtual QString lastDir() const = 0;
    // How the document's file is encoded.
    virtual text::TextFormat textFormat() const = 0;
    // The main window's open dialog, shown with filter `filterIndex` selected; it remembers the file
    // chosen, whose folder becomes the working directory. nullopt when the user cancels.
    virtual std::optional<QString> chooseOpenFile(int filterIndex) = 0;
    // Appends the lines after the document's last line, as one change (one undo step).
    virtual void appendLines(const QStringList& lines) = 0;
    // Counts the entries and shows the count in the status bar.
    virtual void VolCount() = 0;
};

} // namespace csv
