// The export's value extraction on any text: a heading row and one row per entry it finds, each as wide
// as the fields chosen; and entries written by the entry form export the values they were made from.
#include "csv/csv_export.h"
#include "csv/fields.h"
#include "entry/catalogue.h"
#include "entry/entry_format.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int category = fuzz::takeNumber(data, size, entry::kCategoryCount);
    const QString input = fuzz::textOf(data, size);
    const QStringList fields = csv::bibtexFieldNames();

    const QList<QStringList> table = csv::exportTable(input, fields);
    FUZZ_CHECK(!table.isEmpty() && table[0] == fields);
    for (const QStringList& row : table)
        FUZZ_CHECK(row.size() == fields.size());

    // An entry of the category with the input's pieces as values. Values the line reading or the
    // extraction would change (blanks at the ends, a final comma) are left out of the comparison.
    entry::EntryInput form;
    form.category = category;
    // Line breaks and character 26 inside a value would make lines of their own; the form's edits hold none.
    QString oneLine = input;
    oneLine.remove(u'\r').remove(u'\n').remove(QChar(26));
    const QStringList pieces = oneLine.split(u'|');
    for (int k = 1; k <= entry::kSlotCount; ++k)
        form.slotTexts[k] = pieces.value(k - 1);
    form.comboBox2 = form.comboBox3 = pieces.value(entry::kSlotCount);
    form.slotTexts[1] = QStringLiteral("label");
    const QStringList lines = entry::formatEntry(form);
    const QList<QStringList> exported = csv::exportTable(lines.join(u'\n'), fields);
    FUZZ_CHECK(exported.size() == 2);
    // A brace or quote left open in one value carries it over the lines after it.
    const QStringList fieldLines = lines.mid(1, lines.size() - 3);
    if (std::any_of(fieldLines.cbegin(), fieldLines.cend(), [](const QString& line) {
            return line.count(u'"') != 2 || line.contains(u'{') || line.contains(u'}');
        }))
        return 0;
    for (const QString& line : fieldLines) {
        const qsizetype equals = line.indexOf(QStringLiteral(" = \""));
        const QString name = line.left(equals).trimmed();
        const QString value = line.mid(equals + 4).chopped(2);
        const bool plain = !value.isEmpty() && value.trimmed() == value && value[0].unicode() > 32 &&
                           std::none_of(value.cbegin(), value.cend(), [](QChar c) {
                               return c.unicode() < 32 || c == u'"' || c == u'{' || c == u'}' || c == u',' ||
                                      c == QChar(26) || c.isSpace();
                           });
        if (plain) FUZZ_CHECK(exported[1][fields.indexOf(name)] == value);
    }
    return 0;
}
