// The import's entry lines for any CSV: every row one entry of the chosen category, counted as one by the
// status bar's rule, with a field line for every chosen field.
#include "csv/csv_format.h"
#include "csv/csv_import.h"
#include "csv/fields.h"
#include "entry/catalogue.h"
#include "entry/entry_count.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int category = fuzz::takeNumber(data, size, entry::kCategoryCount + 1) - 1; // -1: none chosen
    const auto mode = static_cast<csv::LabelMode>(fuzz::takeNumber(data, size, 3));
    const int fieldCount = fuzz::takeNumber(data, size, 6);
    const csv::CsvTable table = csv::readCsvTable(fuzz::textOf(data, size));
    const QStringList fields = csv::offeredFields(category).mid(0, fieldCount);

    const QStringList lines = csv::importEntryLines(table, category, fields, mode);
    const qsizetype perEntry = fields.size() + 3;
    FUZZ_CHECK(lines.size() == table.rows.size() * perEntry);
    const QString head = entry::entryHead(category);
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QString& headLine = lines[r * perEntry];
        FUZZ_CHECK(headLine.startsWith(head) && headLine.endsWith(u','));
        if (mode == csv::LabelMode::Automatic)
            FUZZ_CHECK(headLine == head + QStringLiteral("ref") + QString::number(r + 1) + u',');
        FUZZ_CHECK(lines[r * perEntry + perEntry - 2] == u"}" &&
                   lines[r * perEntry + perEntry - 1].isEmpty());
    }
    if (entry::isCategoryIndex(category))
        FUZZ_CHECK(entry::countEntries(lines.join(u'\n')) == table.rows.size());
    return 0;
}
