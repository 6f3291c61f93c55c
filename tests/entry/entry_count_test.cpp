// Recognising and counting entry heads, the status bar text, and the label check.
#include "entry/entry_count.h"

#include "entry/catalogue.h"
#include "text/ascii.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// The rule written the slow, obvious way.
bool naiveIsHead(QStringView line) {
    QString s = text::asciiLower(line);
    s.remove(u' ');
    for (const QString& head : entry::entryHeads())
        if (s.startsWith(head)) return true;
    return false;
}

QList<int> naiveHeadLines(const QString& text) {
    QList<int> numbers;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        if (naiveIsHead(lines[i])) numbers.append(i);
    return numbers;
}

TEST(EntryHeads, TheThirteenHeadsOfTheCatalogueInTheirTryingOrder) {
    const QStringList expected{
        QStringLiteral("@article{"),    QStringLiteral("@book{"),         QStringLiteral("@booklet{"),
        QStringLiteral("@inbook{"),     QStringLiteral("@incollection{"), QStringLiteral("@inproceedings{"),
        QStringLiteral("@manual{"),     QStringLiteral("@masterthesis{"), QStringLiteral("@misc{"),
        QStringLiteral("@phdthesis{"),  QStringLiteral("@proceedings{"),  QStringLiteral("@techreport{"),
        QStringLiteral("@unpublished{")};
    EXPECT_EQ(entry::entryHeads(), expected);
    std::set<QString> written;
    for (int c = 0; c < entry::kCategoryCount; ++c)
        written.insert(entry::entryHead(c));
    EXPECT_EQ(written, std::set<QString>(expected.begin(), expected.end()));
}

TEST(IsEntryHeadLine, CountedLines) {
    for (const char16_t* line :
         {u"@article{x,", u"@Article{x,", u"  @article{x,", u"@ article {x,", u"@MASTERTHESIS{x,", u"@misc{",
          u"@ b o o k {x", u"@inproceedings{x,\r", u"@unpublished{a-label-longer-than-any-head,",
          u"          @          book    {", u"@book{a,} @book{b,", u"@InBook{x,", u"@TechReport{x,"}) {
        SCOPED_TRACE(QString::fromUtf16(line).toStdString());
        EXPECT_TRUE(entry::isEntryHeadLine(QString::fromUtf16(line)));
    }
}

// Only A-Z are lowered: U+0130 and the Kelvin sign lower to ASCII letters under Unicode rules.
TEST(IsEntryHeadLine, LinesNotCounted) {
    for (const char16_t* line : {u"\t@article{x,",
                                 u"@string{x = \"y\"}",
                                 u"@conference{x,",
                                 u"@mastersthesis{x,",
                                 u"",
                                 u" ",
                                 u"@",
                                 u"@article",
                                 u"@article(x,",
                                 u"　@article{x,",
                                 u"@　article{x,",
                                 u"＠article{x,",
                                 u"@ａrticle{x,",
                                 u"x @article{x,",
                                 u"% @article{x,",
                                 u"@\tarticle{x,",
                                 u"@comment{",
                                 u"@preamble{",
                                 u"@\u0130nbook{x,",
                                 u"@boo\u212A{x,"}) {
        SCOPED_TRACE(QString::fromUtf16(line).toStdString());
        EXPECT_FALSE(entry::isEntryHeadLine(QString::fromUtf16(line)));
    }
}

TEST(CountEntries, CountsHeadLinesOnceEach) {
    EXPECT_EQ(entry::countEntries(u""), 0);
    const QString text =
        QStringLiteral("@book{a,} @book{b,\n title = \"x\",\n}\n\n@Article{c,\r\n\t@misc{d,\n@misc{e,");
    EXPECT_EQ(entry::countEntries(text), 3);
    EXPECT_EQ(entry::entryHeadLineNumbers(text), (QList<int>{0, 4, 6}));
}

TEST(CountEntries, AgreesWithTheLineNumbersAndANaiveCountOnRandomLines) {
    const QStringList pieces{QStringLiteral(" "),
                             QStringLiteral("  "),
                             QStringLiteral("\t"),
                             QStringLiteral("\r"),
                             QStringLiteral("@"),
                             QStringLiteral("{"),
                             QStringLiteral(","),
                             QStringLiteral("x"),
                             QStringLiteral("article"),
                             QStringLiteral("ARTICLE"),
                             QStringLiteral("Book"),
                             QStringLiteral("let{"),
                             QStringLiteral("masters"),
                             QStringLiteral("master"),
                             QStringLiteral("thesis{"),
                             QStringLiteral("　"),
                             QStringLiteral("@misc{"),
                             QStringLiteral("@ In Book{"),
                             QStringLiteral("@string{"),
                             QStringLiteral("Ａ"),
                             QStringLiteral("@unpublished{"),
                             QStringLiteral("title = \"t\","),
                             QStringLiteral("}")};
    std::mt19937 rng(20240611);
    int heads = 0;
    for (int round = 0; round < 20; ++round) {
        QStringList lines;
        for (int i = 0; i < 500; ++i) {
            QString line;
            for (int n = int(rng() % 7); n > 0; --n)
                line += pieces[rng() % pieces.size()];
            lines.append(line);
        }
        const QString text = lines.join(u'\n');
        const QList<int> expected = naiveHeadLines(text);
        ASSERT_EQ(entry::entryHeadLineNumbers(text), expected) << text.toStdString();
        ASSERT_EQ(entry::countEntries(text), expected.size());
        heads += expected.size();
    }
    EXPECT_GT(heads, 100); // the generator does produce heads
}

TEST(CountEntries, RealFilesAgreeWithTheNaiveCount) {
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.bib")}, QDir::Files);
    if (files.isEmpty()) GTEST_SKIP() << "no corpus";
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        // Heads are ASCII, so any byte-preserving decoding counts the same.
        const QString text = QString::fromLatin1(file.readAll());
        EXPECT_EQ(entry::countEntries(text), naiveHeadLines(text).size());
    }
}

TEST(EntryCountText, FullWidthColonOneSpaceNumberAndUnit) {
    EXPECT_EQ(entry::entryCountText(0), QStringLiteral("文献数： 0件"));
    EXPECT_EQ(entry::entryCountText(12), QStringLiteral("文献数： 12件"));
    EXPECT_EQ(entry::entryCountText(150000), QStringLiteral("文献数： 150000件"));
    const QString t = entry::entryCountText(1);
    EXPECT_EQ(t.at(3), QChar(0xFF1A));
    EXPECT_EQ(t.at(4), QChar(u' '));
}

TEST(LabelInUse, BraceLabelCommaAnywhereWithAsciiCaseIgnored) {
    const QString doc =
        QStringLiteral("@book{abc,\n note = \"see {Xyz, too\",\n}\n@book{ def,\n@book{ghij,\n");
    EXPECT_TRUE(entry::labelInUse(doc, u"abc"));
    EXPECT_TRUE(entry::labelInUse(doc, u"ABC"));
    EXPECT_TRUE(entry::labelInUse(doc, u"xyz"));  // inside a value counts too
    EXPECT_FALSE(entry::labelInUse(doc, u"def")); // a blank after the brace
    EXPECT_TRUE(entry::labelInUse(doc, u" def"));
    EXPECT_FALSE(entry::labelInUse(doc, u"ghi")); // a longer label
    EXPECT_FALSE(entry::labelInUse(doc, u"bc"));
    EXPECT_FALSE(entry::labelInUse(u"", u"abc"));
    EXPECT_TRUE(entry::labelInUse(u"@misc{文献Ａ,", u"文献Ａ"));
    EXPECT_FALSE(entry::labelInUse(u"@misc{文献Ａ,", u"文献ａ")); // only A-Z and a-z are matched alike
}

} // namespace
