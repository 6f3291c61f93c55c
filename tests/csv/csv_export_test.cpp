// The export table built from document lines as this editor and other tools write them, the file name
// the export proposes, and CSV text that reads back as the table it was written from.
#include "csv/csv_export.h"
#include "csv/csv_format.h"
#include "entry/entry_count.h"
#include "text/encoding.h"
#include "text/line_reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Rows joined by '\n', cells by '|'.
QString joined(const QList<QStringList>& table) {
    QStringList rows;
    for (const QStringList& row : table)
        rows.append(row.join(u'|'));
    return rows.join(u'\n');
}

QStringList fieldsOf(const char16_t* names) {
    return QString::fromUtf16(names).split(u',');
}

// Every cell of `table` as readCsvTable gives it back from the CSV text.
void expectReadsBack(const QList<QStringList>& table) {
    const csv::CsvTable read = csv::readCsvTable(csv::csvText(table));
    ASSERT_EQ(read.rows.size(), table.size());
    for (int r = 0; r < table.size(); ++r)
        for (int c = 0; c < table[r].size(); ++c)
            ASSERT_EQ(read.cell(r, c), table[r][c]) << "row " << r << ", column " << c;
}

struct Case {
    const char* what;
    const char16_t* fields;
    const char16_t* document;
    const char16_t* rows; // the rows after the heading row
};

const Case kCases[] = {
    {"the entry form's own lines", u"author,title,year",
     u"@article{a,\n author  = \"山田 太郎\",\n title   = \"深層 学習\",\n year    = \"2000\",\n}\n",
     u"山田 太郎|深層 学習|2000"},
    {"braces keep their spaces; no comma after the last field", u"title,year",
     u"@Article{b,\n  title = { Deep  Learning },\n  year = 2000\n}", u"{ Deep  Learning }|2000"},
    {"blanks, one comma and blanks come off the end", u"year,note",
     u"@misc{c,\n year = 2000 , \t\n note = {a,},,\n}", u"2000|{a,},"},
    {"key never takes keywords", u"key,keywords",
     u"@misc{d,\n  keywords = {x, y},\n  key = {k1},\n}\n@misc{e,\n  keywords = {z},\n}",
     u"{k1}|{x, y}\n|{z}"},
    {"tab-separated lines", u"author,year", u"@book{f,\n\tauthor\t=\t{Ann},\n\tYEAR\t= 1999,\n}",
     u"{Ann}|1999"},
    {"names match without regard to case", u"Title", u"@ARTICLE{g,\n  TiTlE = \"X y\",\n}", u"X y"},
    {"a wrapped value is exported whole, lines inside it are no fields", u"title,year",
     u"@article{h,\n  title = {A very long\n     year = 1999,\n\n     and more},\n  year = {2001},\n}",
     u"{A very long year = 1999, and more}|{2001}"},
    {"a wrapped quoted value", u"title", u"@article{i,\n  title = \"First  \n   second\"\n}",
     u"First second"},
    {"an unclosed value stops before the next head", u"title,year",
     u"@article{j,\n  title = {Never closed,\n  year = 1990,\n @article{k,\n  year = 1991,\n}",
     u"{Never closed, year = 1990|\n|1991"},
    {"only quotes around the whole value go", u"title,note,author",
     u"@article{l,\n title = \"{\\\"U}ber alles\",\n note = \"a\" # \"b\",\n author = {\"Q\"},\n}",
     u"{\\\"U}ber alles|\"a\" # \"b\"|{\"Q\"}"},
    {"fields before the first head are ignored", u"year,author",
     u"year = 1900,\nauthor = {Nobody},\n@article{m,\n year = 2000,\n}", u"2000|"},
    {"entries of other types are not read", u"year",
     u"@article{n,\n year = 1,\n}\n@mastersthesis{o,\n year = 2,\n}\n@online {p,\n year = 3,\n}\n"
     u"@book{q,\n year = 4,\n}\n@article(r,\n year = 5,\n)\n@string{s = \"x\"}\n year = 6,\n"
     u"@preamble{\"\\newcommand{\\x}{y}\"}\n year = 7,\n@Comment{tool-meta:\nyear = 8,\n}",
     u"1\n4"},
    {"a @ line that starts nothing changes nothing", u"year", u"@article{t,\n @ note\n year = 1,\n}", u"1"},
    {"the entry's closing brace ends the value and the entry", u"title,year",
     u"@article{u,\n  title = {X}},\n  year = 1}\n  year = 2\n}\n  year = 3,\n@book{v,\n year = 4}",
     u"{X}|\n|4"},
    {"lines after an entry's closing line are no fields", u"year,note",
     u"@article{u2,\n year = 1,\n  }\nyear = 9,\nnote = {free text}", u"1|"},
    {"the later of two lines wins; missing fields stay empty", u"year,pages,year",
     u"@article{w,\n year = 1,\n year = 2,\n}", u"2||2"},
    {"a head after a tab is found", u"year", u"\t@article{x,\n\tyear = 1,\n}\n @ book {y,\n}", u"1\n"},
    {"character 26 ends the document", u"year", u"@article{z,\n year = 1,\n}\x1A\n@article{z2,\n}", u"1"},
    {"fields after the label on the head line: a one-line entry", u"author,title,year",
     u"@book{lipman_2003, place={Cambridge}, title={Thinking in Education}, author={Lipman, Matthew}, "
     u"year={2003}}\n  year = 9,\n@misc{n1,author=\"A\"}",
     u"{Lipman, Matthew}|{Thinking in Education}|{2003}\nA||"},
    {"several fields on one line, as written by hand", u"journal,volume,pages,year",
     u"@article{j1,\n   journal= tieice # \"(A)\", volume=\"J64-A\", number=10, pages=\"835-842\",\n   "
     u"year=1981}",
     u"tieice # \"(A)\"|J64-A|835-842|1981"},
    {"a wrapped value with the next field after it", u"title,year,note",
     u"@article{w2,\n  title = {A\n    B}, year = 2000, note = {x,, y},,\n}", u"{A B}|2000|{x,, y},"},
    {"a value that starts on the line after its =", u"note,year,title",
     u"@misc{v1,\n  note         =\n                  {http://x.jp/a b},\n  title =\n  year = 2012,\n  "
     u"author =\n}",
     u"{http://x.jp/a b}|2012|"},
    {"lines that are no field lines", u"author,title",
     u"@article{z3,\n author and = more\n = x\n title = ,\n}", u"|"},
};

TEST(ExportTable, ValuesAsOtherToolsWriteThem) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const QStringList fields = fieldsOf(c.fields);
        const QList<QStringList> table = csv::exportTable(c.document, fields);
        EXPECT_EQ(joined(table), fields.join(u'|') + u'\n' + QString::fromUtf16(c.rows));
        expectReadsBack(table);
    }
}

TEST(ExportTable, NoHeadGivesTheHeadingsAlone) {
    EXPECT_EQ(csv::exportTable(u"", fieldsOf(u"author,year")), QList<QStringList>{fieldsOf(u"author,year")});
    EXPECT_EQ(csv::exportTable(u"year = 1,\n% @article{", fieldsOf(u"year")),
              QList<QStringList>{fieldsOf(u"year")});
}

TEST(ExportTable, SingleColumnWithEmptyCellsReadsBack) {
    const QList<QStringList> table = csv::exportTable(
        u"@misc{a,\n}\n@misc{b,\n note = {x, \"y\" },\n}\n@misc{c,\n}", {QStringLiteral("note")});
    EXPECT_EQ(csv::csvText(table), u"note\n\"\"\n\"{x, \"\"y\"\" }\"\n\"\"\n");
    expectReadsBack(table);
}

TEST(ProposedCsvName, ReplacesTheExtensionOrNamesANewFile) {
    const QString untitled = QStringLiteral("新規ファイル");
    const struct {
        const char16_t* document;
        const char16_t* proposed;
    } cases[] = {
        {u"/home/u/refs.bib", u"/home/u/refs.Csv"}, {u"/home/u/refs.tar.bib", u"/home/u/refs.tar.Csv"},
        {u"/home/u/data.CSV", u"/home/u/data.Csv"}, {u"/home/u/refs", u"/home/u/refs.Csv"},
        {u"/home/u.d/refs", u"/home/u.d/refs.Csv"}, {u"新規ファイル", u"/home/last/NewFile.Csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            csv::proposedCsvName(QString::fromUtf16(c.document), QStringLiteral("/home/last"), untitled),
            c.proposed);
}

TEST(EncodeCsv, TheDocumentsEncodingOrUtf8WithAByteOrderMark) {
    text::TextFormat cp932;
    cp932.lineBreak = text::LineBreak::Lf;
    cp932.alternateForms.insert(u'\u2252', 0x8790); // the document writes ≒ in its NEC form
    text::TextFormat utf8;
    utf8.encoding = text::Encoding::Utf8;
    text::TextFormat utf8Bom = utf8;
    utf8Bom.byteOrderMark = true;
    utf8Bom.lineBreak = text::LineBreak::Cr;
    const QByteArray bom("\xEF\xBB\xBF");
    const struct {
        const char* what;
        const text::TextFormat& format;
        const char16_t* csv;
        QByteArray bytes;
        const char16_t* unencodable;
    } cases[] = {
        {"CP932 in the document's byte forms, CR LF", cp932, u"a,山\n≒\n", "a,\x8E\x52\r\n\x87\x90\r\n", u""},
        {"UTF-8 gets its byte-order mark", utf8, u"a,山\n", bom + "a,\xE5\xB1\xB1\r\n", u""},
        {"UTF-8 with its mark, CR LF", utf8Bom, u"x\n", bom + "x\r\n", u""},
        {"a character CP932 lacks makes it UTF-8", cp932, u"ü,山,😀\n",
         bom + QStringLiteral("ü,山,😀\r\n").toUtf8(), u"ü😀"},
        {"a byte that was no character is written back as it was", cp932, u"a\xDC81\n", "a\x81\r\n", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const csv::CsvFile file = csv::encodeCsv(QString::fromUtf16(c.csv), c.format);
        EXPECT_EQ(file.bytes, c.bytes);
        EXPECT_EQ(file.unencodable, QString::fromUtf16(c.unencodable));
    }
    EXPECT_EQ(csv::exportDoneMessage({}), u"完了しました");
    EXPECT_EQ(csv::exportDoneMessage({"", QStringLiteral("ü")}),
              u"完了しました\r\nShift-JIS で書けない文字 ü があるため、UTF-8 (BOM付き) で書き出しました");
}

TEST(IsSameFile, FollowsLinksAndNeedsAnExistingFile) {
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("refs.csv"));
    QFile file(doc);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(doc, dir.filePath(QStringLiteral("link.csv"))));
    EXPECT_TRUE(csv::isSameFile(doc, doc));
    EXPECT_TRUE(csv::isSameFile(dir.path() + QStringLiteral("/./refs.csv"), doc));
    EXPECT_TRUE(csv::isSameFile(dir.filePath(QStringLiteral("link.csv")), doc));
    EXPECT_FALSE(csv::isSameFile(dir.filePath(QStringLiteral("refs.Csv")), doc));
    EXPECT_FALSE(
        csv::isSameFile(dir.filePath(QStringLiteral("new.csv")), dir.filePath(QStringLiteral("new.csv"))));
}

// Real files written by other people and tools: one row per head line, and the CSV reads back.
TEST(ExportTable, CorpusFilesGiveARowPerHead) {
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.bib")}, QDir::Files);
    if (files.isEmpty()) GTEST_SKIP() << "no corpus folder beside the project";
    const QStringList fields = fieldsOf(u"author,title,year,key,note");
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = text::decodeText(file.readAll()).text;
        int heads = 0;
        text::LineReader reader(text);
        while (!reader.atEnd())
            heads += entry::isEntryHeadLine(reader.readLine()) ? 1 : 0;
        const QList<QStringList> table = csv::exportTable(text, fields);
        EXPECT_EQ(table.size(), heads + 1);
        expectReadsBack(table);
    }
}

} // namespace
