#pragma once
// The CSV export's table, built from the document's lines in memory, the bytes of the CSV file, and the
// file name it proposes.
#include "text/encoding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace csv {

// Row 0 holds `fields` as headings; then one row per entry head line, in document order, holding the
// entry's value of each field ("" where it has none). `documentText` has '\n' between lines; the lines
// are read as the shared line reader reads a file.
//
// A field is a name, blanks, "=", blanks and the value; names match without regard to A-Z case. A
// value whose braces or double quotes are still open at the end of its line goes on over the next
// lines (trimmed, joined by one space) until they close, but never over an entry head line; one with
// nothing after its "=" starts on the next line. A comma outside braces and quotes that another field
// follows ends the value, so one line may hold several fields, the head line too (after the label). An
// unmatched "}" ends the value and the entry. From the end of the value blanks, one comma and blanks
// are removed, then a pair of double quotes enclosing the whole of it. Of two lines of one field the
// later wins. Field lines outside the thirteen kinds of entry are not read: before the first head,
// after a line beginning with "}", and in entries of other types ("@string{", "@comment{",
// "@article(", ...).
QList<QStringList> exportTable(QStringView documentText, const QStringList& fields);

// The CSV file name proposed for a document: for the untitled document (`documentName` equal to
// `untitledName`) "NewFile.Csv" in `lastDir`; otherwise the document's path with its extension (from
// the last "." after the last "/") replaced by ".Csv", or ".Csv" appended when it has none.
QString proposedCsvName(const QString& documentName, const QString& lastDir, const QString& untitledName);

// The CSV file of an export, with CR LF after every row: CP932 for a CP932 document (in the byte forms
// the document uses), UTF-8 with a byte-order mark for a document in any other encoding, so that
// spreadsheet programs read it right. A value CP932 cannot hold makes the file UTF-8 with a byte-order
// mark too; `unencodable` then names the characters.
struct CsvFile {
    QByteArray bytes;
    QString unencodable;
};
CsvFile encodeCsv(QStringView csvText, const text::TextFormat& documentFormat);
// exportTable + csvText + encodeCsv: what the export dialog and `lorvane-cli export` write.
CsvFile exportCsv(QStringView documentText, const text::TextFormat& documentFormat,
                  const QStringList& fields);

// "完了しました", and, when the file had to be UTF-8, why.
QString exportDoneMessage(const CsvFile& file);
// Whether two paths name one existing file (links followed), so that an export never replaces the
// document it reads.
bool isSameFile(const QString& a, const QString& b);
QString exportOntoDocumentMessage(const QString& path);

} // namespace csv
