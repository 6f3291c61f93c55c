#pragma once
// The CSV import's rules: when OK may be pressed, and the entry lines made from a CSV table.
#include "csv/csv_format.h"

#include <QStringList>

namespace csv {

// How each entry gets its label: none ("手動"), "ref" + its number from 1 ("自動"), or the row's first
// column ("挿入済"), which then maps no field.
enum class LabelMode { Manual, Automatic, Inserted };

// The columns that need a field: all of them, less the labels' column in "挿入済".
int columnsToMap(LabelMode mode, int csvColumnCount);
// OK needs a file read (csvColumnCount > 0) and a field for every column that is not the labels'.
bool importAllowed(LabelMode mode, int chosenCount, int csvColumnCount);

// For every row of the table: the head line of `category` (empty for an index outside 0..12) with the
// row's label and ",", one field line per name in `fields` (names padded to 11 columns, every one
// written, empty when the row has no such column), "}" and an empty line.
QStringList importEntryLines(const CsvTable& table, int category, const QStringList& fields, LabelMode mode);

} // namespace csv
