#include "base/failure.h"
#include "text/ascii.h"
#include "text/line_reader.h"
#include "text/text_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace text;
using namespace Qt::StringLiterals;

TEST(ReadLines, SkipsBlanksAndEndsAtCharacter26) {
    EXPECT_EQ(readLines(u" \t\r\n\n"), QStringList());
    EXPECT_EQ(readLines(u"a\r\nb\nc\rd"), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    EXPECT_EQ(readLines(u"  lead\t \r\n\r\n\n\x01\x1F  \u3000x"), (QStringList{u"lead\t "_s, u"\u3000x"_s}));
    EXPECT_EQ(readLines(u"a\x1A\nb"), QStringList{u"a"_s});
    EXPECT_EQ(readLines(u"\x1A\na"), QStringList());

    // Without atEnd() nothing is skipped, so a half-taken line end would show as an extra empty line.
    LineReader reader(u"  a\r\n\r\nb\n\rc");
    for (const char16_t* line : {u"  a", u"", u"b", u"", u"c"})
        EXPECT_EQ(reader.readLine(), line);
    EXPECT_TRUE(reader.atEnd());
}

// The lines of a value joined as the CSV export and the entry form read it.
TEST(JoinedLines, LinesMeetAtOneBlankTheirEndsTrimmedWhereTheyMeet) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"one line  ", u"one line  "},
        {u"Two\n      lines", u"Two lines"},
        {u"  start\nend  ", u"  start end  "},                        // the outer ends stay
        {u"Gap \t\n\n \x01 \n  over\x1f\n lines", u"Gap over lines"}, // blank lines go
        {u"\nafter an empty first", u"after an empty first"},
        {u"before an empty last\n", u"before an empty last"},
        {u"   \nblank first", u"blank first"},
        {u"a\n\u3000b", u"a \u3000b"}, // only codes up to 32 are trimmed
        {u"\n\n", u""},
    };
    for (const auto& [value, joined] : cases)
        EXPECT_EQ(joinedLines(value), QString::fromUtf16(joined)) << QString::fromUtf16(value).toStdString();
}

TEST(AsciiCase, MatchesOnlyAsciiLettersAlike) {
    EXPECT_EQ(asciiLower(u"AZaz@[`{\uFF21\u00C9"), u"azaz@[`{\uFF21\u00C9");
    EXPECT_TRUE(startsWithAsciiCaseless(u"AUTHOR = x", u"author"));
    EXPECT_FALSE(startsWithAsciiCaseless(u"\uFF21uthor", u"author"));

    const struct {
        const char16_t *haystack, *needle;
        qsizetype from, index;
    } cases[] = {
        {u"x@Article{", u"@ARTICLE", 0, 1},
        {u"xAbab", u"AB", 0, 1},
        {u"xAbab", u"AB", 2, 3},
        {u"XzxA", u"xa", 0, 2}, // the upper-case candidate fails first
        {u"xZXa", u"xa", 0, 2}, // the lower-case candidate fails first
        {u"aab", u"abc", 0, -1},
        {u"abc", u"", 3, 3},
        {u"abc", u"", 4, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(indexOfAsciiCaseless(c.haystack, c.needle, c.from), c.index) << c.from;
}

TEST(TextFile, WritesReadsAndReportsFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"a.bib"_s);
    writeFileBytes(path, "@book{x,\r\n  title = {\x82\xA0},\r\n}\r\n");
    writeFileBytes(path, "\x82\xA0\r\n");
    EXPECT_EQ(readFileBytes(path), "\x82\xA0\r\n");
    EXPECT_EQ(readTextFile(path).text, u"あ\n");

    const auto messageOf = [](auto&& action) {
        try {
            action();
        } catch (const base::Failure& failure) {
            return failure.message();
        }
        return QString();
    };
    const QString missing = dir.filePath(u"no/a.bib"_s);
    EXPECT_EQ(messageOf([&] { readFileBytes(missing); }), u"ファイル "_s + missing + u" は開けません"_s);
    EXPECT_EQ(messageOf([&] { readTextFile(dir.path()); }), u"ファイル "_s + dir.path() + u" は開けません"_s);
    EXPECT_EQ(messageOf([&] { writeFileBytes(missing, "x"); }),
              u"ファイル "_s + missing + u" を作成できません"_s);
    EXPECT_EQ(messageOf([&] { writeFileBytes(dir.path(), "x"); }),
              u"ファイル "_s + dir.path() + u" を作成できません"_s);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u"a.bib"_s});
}
