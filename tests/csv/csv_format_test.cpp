// How the import splits CSV lines and reads a file into a table, and how the export quotes its cells.
#include "csv/csv_format.h"

#include <gtest/gtest.h>

namespace {

using csv::CsvTable;

QStringList cellsOf(const char16_t* joined) {
    return QString::fromUtf16(joined).split(u'|');
}

TEST(SplitCsvLine, OnlyCommasSeparateFields) {
    const struct {
        const char16_t* line;
        const char16_t* fields; // joined by '|'; nullptr for no field at all
    } cases[] = {
        {u"a,b,c", u"a|b|c"},
        {u"Deep Learning,山田 太郎", u"Deep Learning|山田 太郎"},
        {u"  lead ,\ttab\t, \x01x\x1F ", u"lead|tab|x"},
        {u"\u3000全角\u3000,b", u"\u3000全角\u3000|b"}, // a full-width space is no blank
        {u"\"a,b\",\"c\"\"d\"", u"a,b|c\"d"},
        {u"\" a \",b", u" a |b"},
        {u"\"\",\"\"", u"|"},
        {u"\"山田 太郎\",\"深層, 学習\"", u"山田 太郎|深層, 学習"},
        {u"\"unclosed", u"unclosed"},
        {u"a,\"unclosed, to the end\"\"", u"a|unclosed, to the end\""},
        {u"a,b,", u"a|b"},
        {u"a,b, \t", u"a|b"},
        {u"a,,b", u"a||b"},
        {u"a,,", u"a|"},
        {u",a", u"|a"},
        {u",", u""},
        {u"ab\"c,d", u"ab\"c|d"},
        // Text after a closing quote joins the field up to the next comma, less its trailing blanks.
        {u"\"a\" b,c", u"a b|c"},
        {u"\"a\"b", u"ab"},
        {u"\"a\"  ,c", u"a|c"},
        {u"", nullptr},
        {u" \t ", nullptr},
    };
    for (const auto& c : cases) {
        const QStringList expected = c.fields ? cellsOf(c.fields) : QStringList();
        EXPECT_EQ(csv::splitCsvLine(c.line), expected) << QString::fromUtf16(c.line).toStdString();
    }
}

TEST(ReadCsvTable, RowsAreNonBlankLinesAndTheWidestGivesTheColumns) {
    const CsvTable ragged = csv::readCsvTable(u"a,b\r\n\r\n  c\nd,\"e f\",g\rh\x1A\ni,j,k,l");
    ASSERT_EQ(ragged.rows.size(), 4);
    EXPECT_EQ(ragged.columnCount, 3);
    EXPECT_EQ(ragged.rows[0], cellsOf(u"a|b"));
    EXPECT_EQ(ragged.rows[1], cellsOf(u"c"));
    EXPECT_EQ(ragged.rows[2], cellsOf(u"d|e f|g"));
    EXPECT_EQ(ragged.rows[3], cellsOf(u"h"));
    EXPECT_EQ(ragged.cell(1, 0), u"c");
    EXPECT_EQ(ragged.cell(1, 1), u"");
    EXPECT_EQ(ragged.cell(0, 5), u"");
    EXPECT_EQ(ragged.cell(4, 0), u"");
    EXPECT_EQ(ragged.cell(-1, 0), u"");
    EXPECT_EQ(ragged.cell(0, -1), u"");

    for (const char16_t* empty : {u"", u" \r\n\t\n",
                                  u"\x1A"
                                  u"a,b"}) {
        const CsvTable table = csv::readCsvTable(empty);
        EXPECT_EQ(table.rows, QList<QStringList>{QStringList{QString()}});
        EXPECT_EQ(table.columnCount, 1);
    }
}

TEST(QuoteCsvCell, QuotesBlanksCommasAndDoubleQuotes) {
    const struct {
        const char16_t* cell;
        bool singleColumn;
        const char16_t* written;
    } cases[] = {
        {u"abc", false, u"abc"},
        {u"山田太郎", false, u"山田太郎"},
        {u"全角\u3000空白", false, u"全角\u3000空白"},
        {u"山田 太郎", false, u"\"山田 太郎\""},
        {u"a\tb", false, u"\"a\tb\""},
        {u"\x01", false, u"\"\x01\""},
        {u"a,b", false, u"\"a,b\""},
        {u"{\\\"U}ber", false, u"\"{\\\"\"U}ber\""},
        {u"", false, u""},
        {u"", true, u"\"\""},
        {u"x", true, u"x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csv::quoteCsvCell(c.cell, c.singleColumn), c.written) << c.singleColumn;

    EXPECT_EQ(csv::csvRow(cellsOf(u"a||b c|")), u"a,,\"b c\",");
    EXPECT_EQ(csv::csvRow(QStringList{QString()}), u"\"\"");
    EXPECT_EQ(csv::csvText({cellsOf(u"year|title"), cellsOf(u"2000|"), QStringList{QString()}}),
              u"year,title\n2000,\n\"\"\n");
}

} // namespace
