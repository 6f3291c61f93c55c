#include "csv/csv_import.h"

#include "entry/catalogue.h"
#include "entry/entry_format.h"

namespace csv {
namespace {

// The import's field-name column: the entry form's field line with a width of 11 in every category.
constexpr int kColumnWidth = 11;

} // namespace

int columnsToMap(LabelMode mode, int csvColumnCount) {
    return mode == LabelMode::Inserted ? csvColumnCount - 1 : csvColumnCount;
}

bool importAllowed(LabelMode mode, int chosenCount, int csvColumnCount) {
    return csvColumnCount > 0 && chosenCount >= columnsToMap(mode, csvColumnCount);
}

QStringList importEntryLines(const CsvTable& table, int category, const QStringList& fields, LabelMode mode) {
    const QString head = entry::entryHead(category); // empty outside 0..12
    const int firstColumn = mode == LabelMode::Inserted ? 1 : 0;
    QStringList lines;
    lines.reserve(table.rows.size() * (fields.size() + 3));
    for (int r = 0; r < table.rows.size(); ++r) {
        QString label;
        if (mode == LabelMode::Automatic) label = QStringLiteral("ref") + QString::number(r + 1);
        if (mode == LabelMode::Inserted) label = table.cell(r, 0);
        lines.append(head + label + u',');
        for (int k = 0; k < fields.size(); ++k) {
            // An empty name gets the single space that follows a name of 12 or more characters.
            const int width = fields[k].isEmpty() ? 0 : kColumnWidth;
            lines.append(entry::fieldLine(fields[k], width, table.cell(r, firstColumn + k)));
        }
        lines.append(QStringLiteral("}"));
        lines.append(QString());
    }
    return lines;
}

} // namespace csv
