// The import's OK rule, the names it offers per category, and the entry lines it makes from a table.
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "csv/fields.h"
#include "entry/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using csv::LabelMode;

QStringList linesOf(const char16_t* text) {
    return QString::fromUtf16(text).split(u'\n');
}

TEST(CsvFields, ExportOffersAllNamesImportTheCategorys) {
    const QStringList& all = csv::bibtexFieldNames();
    ASSERT_EQ(all.size(), 23);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(all.first(), u"address");
    EXPECT_EQ(all.last(), u"yomi");

    const int sizes[entry::kCategoryCount] = {10, 11, 8, 16, 12, 9, 9, 14, 11, 8, 10, 6, 7};
    for (int category = 0; category < entry::kCategoryCount; ++category) {
        const QStringList offered = csv::offeredFields(category);
        EXPECT_EQ(offered.size(), sizes[category]) << category;
        EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end())) << category;
        for (const QString& name : offered)
            EXPECT_TRUE(all.contains(name)) << category << " " << name.toStdString();
    }
    EXPECT_EQ(csv::offeredFields(0).join(u','),
              u"author,journal,month,note,number,pages,title,volume,year,yomi");
    EXPECT_EQ(csv::offeredFields(10).join(u','),
              u"address,author,institution,month,note,number,title,type,year,yomi");
    EXPECT_EQ(csv::offeredFields(12).join(u','), u"author,howpublished,month,note,title,year,yomi");
    EXPECT_TRUE(csv::offeredFields(-1).isEmpty());
    EXPECT_TRUE(csv::offeredFields(13).isEmpty());
}

TEST(ImportAllowed, EveryColumnNeedsAField) {
    const struct {
        LabelMode mode;
        int chosen, columns;
        bool allowed;
    } cases[] = {
        {LabelMode::Manual, 0, 0, false},    {LabelMode::Manual, 0, 1, false},
        {LabelMode::Manual, 2, 3, false},    {LabelMode::Manual, 3, 3, true},
        {LabelMode::Automatic, 2, 3, false}, {LabelMode::Automatic, 4, 3, true},
        {LabelMode::Inserted, 1, 3, false},  {LabelMode::Inserted, 2, 3, true},
        {LabelMode::Inserted, 0, 1, true},   {LabelMode::Inserted, 0, 0, false},
        {LabelMode::Inserted, 5, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csv::importAllowed(c.mode, c.chosen, c.columns), c.allowed)
            << int(c.mode) << " " << c.chosen << " " << c.columns;
}

TEST(ImportEntryLines, LabelModesAndColumns) {
    const csv::CsvTable table = csv::readCsvTable(u"k1,Deep Learning,2000\r\nk2,\"A, \"\"B\"\"\"\r\n");
    const QStringList fields{QStringLiteral("title"), QStringLiteral("year")};
    const struct {
        LabelMode mode;
        const char16_t* lines;
    } cases[] = {
        {LabelMode::Manual, uR"(@article{,
 title       = "k1",
 year        = "Deep Learning",
}

@article{,
 title       = "k2",
 year        = "A, "B"",
}
)"},
        {LabelMode::Automatic, uR"(@article{ref1,
 title       = "k1",
 year        = "Deep Learning",
}

@article{ref2,
 title       = "k2",
 year        = "A, "B"",
}
)"},
        {LabelMode::Inserted, uR"(@article{k1,
 title       = "Deep Learning",
 year        = "2000",
}

@article{k2,
 title       = "A, "B"",
 year        = "",
}
)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csv::importEntryLines(table, 0, fields, c.mode), linesOf(c.lines)) << int(c.mode);
}

TEST(ImportEntryLines, NamesPastTheColumnsAndOddCategories) {
    const csv::CsvTable one = csv::readCsvTable(u"x");
    // Names of 11 and 12 characters, one more name than columns, and an empty name.
    const QStringList fields{QStringLiteral("institution"), QStringLiteral("organization"), QString()};
    EXPECT_EQ(csv::importEntryLines(one, 5, fields, LabelMode::Manual), linesOf(uR"(@masterthesis{,
 institution = "x",
 organization = "",
  = "",
}
)"));
    EXPECT_EQ(csv::importEntryLines(one, 13, {}, LabelMode::Automatic), linesOf(u"ref1,\n}\n"));
    EXPECT_EQ(csv::importEntryLines(one, -1, {}, LabelMode::Inserted), linesOf(u"x,\n}\n"));
    EXPECT_EQ(csv::importEntryLines(csv::readCsvTable(u""), 12, {QStringLiteral("note")}, LabelMode::Manual),
              linesOf(u"@misc{,\n note        = \"\",\n}\n"));
}

// The lines the import appends export again as the values they were made from.
TEST(ImportEntryLines, ExportReadsTheImportedValues) {
    const csv::CsvTable table =
        csv::readCsvTable(u"山田 太郎,\"深層, 学習\",2000\n鈴木,{\\\"U}ber,\n,,1999,extra\n");
    const QStringList fields{QStringLiteral("author"), QStringLiteral("title"), QStringLiteral("year"),
                             QStringLiteral("note")};
    const QString document = csv::importEntryLines(table, 0, fields, LabelMode::Automatic).join(u'\n');
    const QList<QStringList> exported = csv::exportTable(document, fields);
    ASSERT_EQ(exported.size(), table.rows.size() + 1);
    for (int r = 0; r < table.rows.size(); ++r)
        for (int c = 0; c < fields.size(); ++c)
            EXPECT_EQ(exported[r + 1][c], table.cell(r, c)) << r << " " << c;
}

} // namespace
