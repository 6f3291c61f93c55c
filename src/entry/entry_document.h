#pragma once
// What the entry form needs of the main window's document.
#include "text/search.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace entry {

class EntryDocument {
public:
    virtual ~EntryDocument() = default;
    // Whether "{" + label + "," occurs anywhere in the text, A-Z and a-z alike.
    virtual bool labelInUse(const QString& label) const = 0;
    // Appends the lines after the document's last line, as one change.
    virtual void appendLines(const QStringList& lines) = 0;
    // Makes the edits (sorted, apart from each other, on the text with '\n' between lines) as one change.
    virtual void applyEdits(const QList<text::TextEdit>& edits) = 0;
    // The number of entry heads in the document.
    virtual int entryCount() const = 0;
    // Writes the count text into the status bar's panel.
    virtual void showEntryCount(const QString& text) = 0;
};

} // namespace entry
