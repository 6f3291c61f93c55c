// The CSV line splitter and table reader: what the export writes, the import reads back (but for empty
// cells at the end of a row, which a final comma does not make), and every table is rectangular enough.
#include "csv/csv_format.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzz::textOf(data, size);
    const csv::CsvTable table = csv::readCsvTable(text);
    FUZZ_CHECK(!table.rows.isEmpty() && table.columnCount >= 1);
    for (const QStringList& row : table.rows)
        FUZZ_CHECK(row.size() <= table.columnCount);
    FUZZ_CHECK(table.cell(-1, 0).isEmpty() && table.cell(0, table.columnCount).isEmpty());

    // Cells made of the input's pieces, without line breaks: written as the export writes them, then split.
    QStringList cells = text.split(u'|');
    for (QString& cell : cells)
        cell.remove(u'\r').remove(u'\n');
    const QStringList read = csv::splitCsvLine(csv::csvRow(cells));
    QStringList expected = cells;
    while (expected.size() > read.size() && expected.back().isEmpty())
        expected.removeLast();
    if (cells.size() == 1 && cells[0].isEmpty()) expected = {QString()}; // written as "" alone
    FUZZ_CHECK(read == expected);
    return 0;
}
