#include "csv/csv_format.h"

#include "text/line_reader.h"

#include <algorithm>

namespace csv {
namespace {

bool isBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Appends straight to the output: an export writes a cell for every field of every entry.
void appendCell(QString& out, QStringView cell, bool singleColumn) {
    if (cell.isEmpty()) {
        if (singleColumn) out.append(u"\"\"");
        return;
    }
    if (std::none_of(cell.begin(), cell.end(),
                     [](QChar c) { return isBlank(c) || c == u'"' || c == u','; })) {
        out.append(cell);
        return;
    }
    out.append(u'"');
    for (QChar c : cell) {
        if (c == u'"') out.append(u'"');
        out.append(c);
    }
    out.append(u'"');
}

QString& appendRow(QString& out, const QStringList& cells) {
    const bool singleColumn = cells.size() == 1;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0) out.append(u',');
        appendCell(out, cells[c], singleColumn);
    }
    return out;
}

QStringView trimmedBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

} // namespace

QStringList splitCsvLine(QStringView line) {
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype pos = 0;
    while (pos < n && isBlank(line[pos]))
        ++pos;
    while (pos < n) {
        QString field;
        if (line[pos] == u'"') {
            ++pos;
            bool closed = false;
            while (pos < n) {
                if (line[pos] == u'"') {
                    if (pos + 1 < n && line[pos + 1] == u'"') {
                        field.append(u'"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    closed = true;
                    break;
                }
                field.append(line[pos++]);
            }
            if (closed) {
                // Stray text after the closing quote belongs to the same field, as spreadsheet programs
                // read it; the blanks before the comma do not.
                qsizetype end = line.indexOf(u',', pos);
                if (end < 0) end = n;
                QStringView rest = line.sliced(pos, end - pos);
                while (!rest.isEmpty() && isBlank(rest.back()))
                    rest.chop(1);
                field.append(rest);
                pos = end;
            }
        } else {
            qsizetype end = line.indexOf(u',', pos);
            if (end < 0) end = n;
            field = trimmedBlanks(line.sliced(pos, end - pos)).toString();
            pos = end;
        }
        fields.append(field);
        if (pos < n && line[pos] == u',') {
            ++pos;
            while (pos < n && isBlank(line[pos]))
                ++pos;
        }
    }
    return fields;
}

QString CsvTable::cell(int row, int column) const {
    if (row < 0 || row >= rows.size() || column < 0) return QString();
    const QStringList& cells = rows[row];
    return column < cells.size() ? cells[column] : QString();
}

CsvTable readCsvTable(QStringView text) {
    CsvTable table;
    text::LineReader reader(text);
    while (!reader.atEnd()) {
        table.rows.append(splitCsvLine(reader.readLine()));
        table.columnCount = std::max(table.columnCount, int(table.rows.back().size()));
    }
    if (table.rows.isEmpty()) table.rows.append(QStringList{QString()});
    return table;
}

QString quoteCsvCell(QStringView cell, bool singleColumn) {
    QString quoted;
    appendCell(quoted, cell, singleColumn);
    return quoted;
}

QString csvRow(const QStringList& cells) {
    QString row;
    appendRow(row, cells);
    return row;
}

QString csvText(const QList<QStringList>& rows) {
    qsizetype size = 0;
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            size += cell.size() + 3;
    QString text;
    text.reserve(size + rows.size());
    for (const QStringList& row : rows)
        appendRow(text, row).append(u'\n');
    return text;
}

} // namespace csv
