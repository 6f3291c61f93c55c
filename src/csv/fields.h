#pragma once
// The BibTeX field names the CSV conversion offers: all of them for the export, a category's own for
// the import.
#include <QStringList>

namespace csv {

// The 23 lower-case names, in alphabetical order.
const QStringList& bibtexFieldNames();

// The names the import offers for an entry category, in alphabetical order; empty for an index outside
// 0..12.
QStringList offeredFields(int category);

} // namespace csv
