#include "csv/csv_export.h"

#include "bibtex/reader.h"
#include "csv/csv_format.h"
#include "entry/entry_count.h"
#include "text/ascii.h"
#include "text/line_reader.h"

#include <QFileInfo>
#include <QHash>

#include <tuple>
#include <utility>

namespace csv {
namespace {

bool isSpaceOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isAsciiLetter(QChar c) {
    const char16_t u = text::asciiLower(c.unicode());
    return u >= u'a' && u <= u'z';
}

qsizetype skipSpaces(QStringView s, qsizetype i) {
    while (i < s.size() && isSpaceOrTab(s[i]))
        ++i;
    return i;
}

// "@" + a type + "{" or "(", blanks allowed between: the start of something that is not one of the
// thirteen kinds of entry ("@string{", "@comment{", "@online{", an entry in parentheses ...).
bool isOtherTypeLine(QStringView line) {
    qsizetype i = skipSpaces(line, 1);
    const qsizetype typeStart = i;
    while (i < line.size() && isAsciiLetter(line[i]))
        ++i;
    if (i == typeStart) return false;
    i = skipSpaces(line, i);
    return i < line.size() && (line[i] == u'{' || line[i] == u'(');
}

QStringView chopBlanks(QStringView s) {
    while (!s.isEmpty() && text::isSpaceOrControl(s.back()))
        s.chop(1);
    return s;
}

// The end of the name a field starts with in `s`, after blanks; 0 when `s` starts no field (a name,
// blanks, then "=").
qsizetype fieldNameEnd(QStringView s) {
    qsizetype end = skipSpaces(s, 0);
    const qsizetype start = end;
    while (end < s.size() && bibtex::isIdentifierChar(s[end].unicode()))
        ++end;
    if (end == start) return 0;
    const qsizetype eq = skipSpaces(s, end);
    return eq < s.size() && s[eq] == u'=' ? end : 0;
}

// Why a value's text ends where it does within a line.
enum class Stop {
    LineEnd,   // the line ends (the value may go on over the next lines)
    NextField, // at a comma that another field follows on the same line
    EntryEnd,  // at the "}" that closes the entry
};

// Brace depth and double-quote state over a value as it is read, line by line. As in BibTeX, a double
// quote inside braces neither opens nor closes anything, so `{\"U}ber` stays whole.
class ValueScan {
public:
    // Where the value stops in `part`, and why.
    std::pair<qsizetype, Stop> scan(QStringView part) {
        for (qsizetype i = 0; i < part.size(); ++i) {
            switch (part[i].unicode()) {
            case u'{':
                ++depth_;
                break;
            case u'}':
                if (depth_ > 0)
                    --depth_;
                else if (!inQuotes_)
                    return {i, Stop::EntryEnd};
                break;
            case u'"':
                if (depth_ == 0) inQuotes_ = !inQuotes_;
                break;
            case u',':
                // Several fields on one line, as hand-written files and one-line entries have them.
                if (depth_ == 0 && !inQuotes_ && fieldNameEnd(part.sliced(i + 1)) > 0)
                    return {i, Stop::NextField};
                break;
            default:
                break;
            }
        }
        return {part.size(), Stop::LineEnd};
    }
    bool open() const { return depth_ > 0 || inQuotes_; }

private:
    int depth_ = 0;
    bool inQuotes_ = false;
};

// Blanks, one final comma and blanks off the end; then the double quotes, when one pair encloses the
// whole value.
QString finishedValue(QStringView value) {
    value = chopBlanks(value);
    if (value.endsWith(u',')) value = chopBlanks(value.chopped(1));
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') {
        // The pair encloses the whole value when no double quote between them closes the first one.
        const QStringView body = value.sliced(1, value.size() - 2);
        int depth = 0;
        bool closedEarly = false;
        for (QChar c : body) {
            if (c == u'{')
                ++depth;
            else if (c == u'}' && depth > 0)
                --depth;
            else if (c == u'"' && depth == 0)
                closedEarly = true;
        }
        if (!closedEarly) return body.toString();
    }
    return value.toString();
}

} // namespace

QList<QStringList> exportTable(QStringView documentText, const QStringList& fields) {
    const qsizetype columns = fields.size();
    // One scan serves every column: lower-cased name -> its first column.
    QHash<QString, qsizetype> columnOf;
    columnOf.reserve(columns);
    for (qsizetype j = columns - 1; j >= 0; --j)
        columnOf.insert(text::asciiLower(fields[j]), j);

    QList<QStringList> table{fields};
    qsizetype current = -1; // the row of the entry being read; -1 outside the thirteen kinds of entry
    text::LineReader reader(documentText);
    QStringView pending; // a line read ahead that a value did not take (lines read are never empty)
    const auto nextLine = [&](QStringView& line) {
        if (!pending.isEmpty()) {
            line = std::exchange(pending, {});
            return true;
        }
        if (reader.atEnd()) return false;
        line = reader.readLine();
        return true;
    };
    QString key;
    QStringView line;
    while (nextLine(line)) {
        QStringView rest = line; // where the fields of this line start
        if (entry::isEntryHeadLine(line)) {
            table.append(QStringList(columns));
            current = table.size() - 1;
            // Fields written on the head line itself, after the label's comma (one-line entries).
            const qsizetype comma = line.indexOf(u',', line.indexOf(u'{'));
            if (comma < 0) continue;
            rest = line.sliced(comma + 1);
        } else if (line.front() == u'@') {
            if (isOtherTypeLine(line)) current = -1;
            continue;
        } else if (line.front() == u'}') {
            current = -1;
            continue;
        }

        while (current >= 0) {
            const qsizetype nameEnd = fieldNameEnd(rest);
            if (nameEnd == 0) break; // no field: the rest of the line is ignored
            const qsizetype nameStart = skipSpaces(rest, 0);
            key.resize(nameEnd - nameStart);
            for (qsizetype k = nameStart; k < nameEnd; ++k)
                key[k - nameStart] = QChar(text::asciiLower(rest[k].unicode()));
            const qsizetype column = columnOf.value(key, -1);
            const qsizetype row = current;
            QStringView part = rest.sliced(skipSpaces(rest, rest.indexOf(u'=', nameEnd) + 1));

            // Every field's value is followed to its end, chosen or not, so that no line inside it is
            // taken for a field. Most values end on their own line and are taken from it as they stand.
            ValueScan scan;
            text::JoinedLines joined; // the value's lines so far, when it spans several
            bool multiLine = false, started = false;
            Stop stop = Stop::LineEnd;
            for (;;) {
                qsizetype end = 0;
                std::tie(end, stop) = scan.scan(part);
                const QStringView piece = part.first(end);
                started = started || !piece.isEmpty();
                if (stop == Stop::EntryEnd) current = -1;
                const bool goesOn = stop == Stop::LineEnd && (scan.open() || !started);
                QStringView next;
                if (goesOn && nextLine(next) && !entry::isEntryHeadLine(next) &&
                    !(!started && (next.front() == u'@' || fieldNameEnd(next) > 0))) {
                    // A value still open, or not begun after its "=", goes on over the next line.
                    if (column >= 0) joined.add(piece);
                    multiLine = true;
                    part = chopBlanks(next);
                    continue;
                }
                if (goesOn && !next.isEmpty()) pending = next; // read again as a line of its own
                if (column >= 0) {
                    if (multiLine) joined.add(piece);
                    table[row][column] = finishedValue(multiLine ? QStringView(joined.text()) : piece);
                }
                if (stop == Stop::NextField) rest = part.sliced(end + 1);
                break;
            }
            if (stop != Stop::NextField) break;
        }
    }

    for (qsizetype j = 0; j < columns; ++j) {
        const qsizetype source = columnOf.value(text::asciiLower(fields[j]));
        if (source == j) continue;
        for (qsizetype r = 1; r < table.size(); ++r)
            table[r][j] = table[r][source];
    }
    return table;
}

QString proposedCsvName(const QString& documentName, const QString& lastDir, const QString& untitledName) {
    if (documentName == untitledName) return lastDir + QStringLiteral("/NewFile.Csv");
    const qsizetype dot = documentName.lastIndexOf(u'.');
    const qsizetype base = dot > documentName.lastIndexOf(u'/') ? dot : documentName.size();
    return documentName.left(base) + QStringLiteral(".Csv");
}

CsvFile encodeCsv(QStringView csvText, const text::TextFormat& documentFormat) {
    CsvFile file;
    if (documentFormat.encoding == text::Encoding::Cp932) {
        text::TextFormat cp932 = documentFormat;
        cp932.lineBreak = text::LineBreak::CrLf;
        text::EncodedText encoded = text::encodeText(csvText, cp932);
        if (encoded.ok()) {
            file.bytes = std::move(encoded.bytes);
            return file;
        }
        file.unencodable = std::move(encoded.unencodable);
    }
    text::TextFormat utf8;
    utf8.encoding = text::Encoding::Utf8;
    utf8.byteOrderMark = true;
    utf8.lineBreak = text::LineBreak::CrLf;
    file.bytes = text::encodeText(csvText, utf8).bytes;
    return file;
}

CsvFile exportCsv(QStringView documentText, const text::TextFormat& documentFormat,
                  const QStringList& fields) {
    return encodeCsv(csvText(exportTable(documentText, fields)), documentFormat);
}

QString exportDoneMessage(const CsvFile& file) {
    const QString done = QStringLiteral("完了しました");
    if (file.unencodable.isEmpty()) return done;
    return done +
           QStringLiteral("\r\nShift-JIS で書けない文字 %1 があるため、UTF-8 (BOM付き) で書き出しました")
               .arg(file.unencodable);
}

bool isSameFile(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

QString exportOntoDocumentMessage(const QString& path) {
    return QStringLiteral(
               "%1 は書き出し元の文書のファイルです。\r\n"
               "上書きすると文書が失われるため、書き出しませんでした。別のファイル名を指定してください")
        .arg(path);
}

} // namespace csv
