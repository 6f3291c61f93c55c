#pragma once
// The CSV reading and writing rules: how the import splits a line into fields and reads a file into a
// table, and how the export writes its cells.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace csv {

// The fields of one CSV line. Only commas separate fields; blanks (codes 1..32) around an unquoted field
// are dropped. A field that starts with a double quote runs to the next double quote not doubled, with
// "" inside standing for one "; without that closing quote it takes the rest of the line. Text after a
// closing quote up to the next comma, less its trailing blanks, is appended to the field ("a" b -> a b).
// A comma at the end of the line adds no empty field.
QStringList splitCsvLine(QStringView line);

// The fields of a CSV file: row r is the r-th non-blank line. Rows may be shorter than columnCount.
struct CsvTable {
    QList<QStringList> rows;
    int columnCount = 1; // the widest row, at least 1

    // The cell, or "" outside the table.
    QString cell(int row, int column) const;
};

// Lines as the shared line reader reads them (CR, CR LF and bare LF end a line, blank lines vanish,
// character 26 ends the input). Always at least one row and one column: an input without lines gives
// one empty row.
CsvTable readCsvTable(QStringView text);

// A cell holding a blank (code 1..32), a double quote or a comma is written between double quotes with
// each inner double quote doubled; an empty cell of a single-column row is written as "".
QString quoteCsvCell(QStringView cell, bool singleColumn);
// The cells quoted and joined by ",".
QString csvRow(const QStringList& cells);
// Every row followed by '\n'; the caller turns that into the file's line break.
QString csvText(const QList<QStringList>& rows);

} // namespace csv
