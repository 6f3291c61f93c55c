#include "csv/csv_export.h"

#include "csv/csv_format.h"
#include "entry/entry_count.h"
#include "text/ascii.h"
#include "text/line_reader.h"

#include <QFileInfo>
#include <QHash>

namespace csv {
namespace {

bool isBlank(QChar c) {
    return c.unicode() <= 32;
}

bool isSpaceOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isAsciiLetter(QChar c) {
    const char16_t u = text::asciiLower(c.unicode());
    return u >= u'a' && u <= u'z';
}

// The characters a BibTeX name may hold.
bool isNameChar(QChar c) {
    switch (c.unicode()) {
    case u'"':
    case u'#':
    case u'%':
    case u'\'':
    case u'(':
    case u')':
    case u',':
    case u'=':
    case u'{':
    case u'}':
        return false;
    default:
        return !isBlank(c);
    }
}

// "@" + a type + "{" or "(", blanks allowed between: the start of something that is not one of the
// thirteen kinds of entry ("@string{", "@comment{", "@online{", an entry in parentheses ...).
bool isOtherTypeLine(QStringView line) {
    qsizetype i = 1;
    const auto skipSpaces = [&] {
        while (i < line.size() && isSpaceOrTab(line[i]))
            ++i;
    };
    skipSpaces();
    const qsizetype typeStart = i;
    while (i < line.size() && isAsciiLetter(line[i]))
        ++i;
    if (i == typeStart) return false;
    skipSpaces();
    return i < line.size() && (line[i] == u'{' || line[i] == u'(');
}

QStringView chopBlanks(QStringView s) {
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// Brace depth and double-quote state over a value as it is read, line by line. As in BibTeX, a double
// quote inside braces neither opens nor closes anything, so `{\"U}ber` stays whole.
class ValueScan {
public:
    // The position in `part` of a "}" that closes nothing (the entry's own), or -1.
    qsizetype scan(QStringView part) {
        for (qsizetype i = 0; i < part.size(); ++i) {
            switch (part[i].unicode()) {
            case u'{':
                ++depth_;
                break;
            case u'}':
                if (depth_ > 0)
                    --depth_;
                else if (!inQuotes_)
                    return i;
                break;
            case u'"':
                if (depth_ == 0) inQuotes_ = !inQuotes_;
                break;
            default:
                break;
            }
        }
        return -1;
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
    QStringView pending; // a head line that ended a value before it (lines read are never empty)
    QString key;
    for (;;) {
        QStringView line;
        if (!pending.isEmpty()) {
            line = pending;
            pending = {};
        } else {
            if (reader.atEnd()) break;
            line = reader.readLine();
        }
        if (entry::isEntryHeadLine(line)) {
            table.append(QStringList(columns));
            current = table.size() - 1;
            continue;
        }
        if (line.front() == u'@') {
            if (isOtherTypeLine(line)) current = -1;
            continue;
        }
        if (line.front() == u'}') {
            current = -1;
            continue;
        }
        if (current < 0) continue;

        qsizetype nameEnd = 0;
        while (nameEnd < line.size() && isNameChar(line[nameEnd]))
            ++nameEnd;
        qsizetype i = nameEnd;
        while (i < line.size() && isSpaceOrTab(line[i]))
            ++i;
        if (nameEnd == 0 || i == line.size() || line[i] != u'=') continue;
        ++i;
        while (i < line.size() && isSpaceOrTab(line[i]))
            ++i;

        key.resize(nameEnd);
        for (qsizetype k = 0; k < nameEnd; ++k)
            key[k] = QChar(text::asciiLower(line[k].unicode()));
        const qsizetype column = columnOf.value(key, -1);

        // Every field's value is followed to its end, chosen or not, so that no line inside it is taken
        // for a field.
        const qsizetype row = current;
        QStringView first = line.sliced(i);
        ValueScan scan;
        qsizetype close = scan.scan(first);
        if (close >= 0) {
            first = first.first(close);
            current = -1;
        }
        if (close >= 0 || !scan.open()) {
            if (column >= 0) table[row][column] = finishedValue(first);
            continue;
        }
        QString value;
        if (column >= 0) value = chopBlanks(first).toString();
        while (!reader.atEnd()) {
            QStringView next = reader.readLine();
            if (entry::isEntryHeadLine(next)) {
                pending = next;
                break;
            }
            next = chopBlanks(next);
            close = scan.scan(next);
            if (close >= 0) {
                next = next.first(close);
                current = -1;
            }
            if (column >= 0) value.append(u' ').append(next);
            if (close >= 0 || !scan.open()) break;
        }
        if (column >= 0) table[row][column] = finishedValue(value);
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
    return QStringLiteral("%1 は書き出す文書そのもののファイルです。\r\n"
                          "文書が失われるため書き出しません。別のファイル名を指定してください")
        .arg(path);
}

} // namespace csv
