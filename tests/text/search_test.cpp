#include "text/search.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>

using namespace text;
using namespace Qt::StringLiterals;

namespace {

// 𠮷 is the pair D842 DFB7; 𐐀 (U+10400) folds to 𐐨 (U+10428).
TEST(Search, FindNextIgnoresCaseFindFirstExactDoesNot) {
    const struct {
        const char16_t *text, *needle;
        qsizetype from, next, firstExact;
    } cases[] = {
        {u"Lorem lorem LOREM", u"lorem", 0, 0, 6},
        {u"Lorem lorem LOREM", u"lorem", 1, 6, 6},
        {u"Lorem lorem LOREM", u"lorem", 7, 12, 6},
        {u"Lorem lorem LOREM", u"lorem", 13, -1, 6}, // no wrap-around
        {u"Lorem lorem LOREM", u"lorem", 100, -1, 6},
        {u"XzxA", u"xa", 0, 2, -1}, // the upper-case candidate fails first
        {u"xZXa", u"xa", 0, 2, -1}, // the lower-case candidate fails first
        {u"ＡＢＣ ａｂｃ", u"ａｂｃ", 0, 0, 4},
        {u"ABC", u"ａｂｃ", 0, -1, -1},
        {u"Élan élan", u"élan", 0, 0, 5},
        {u"1 \u212A", u"k", 0, 2, -1}, // the Kelvin sign folds to k as well
        {u"x𐐨", u"𐐀", 0, 1, -1},
        {u"𠮷野家 𠮷", u"𠮷", 1, 5, 0},
        {u"𠮷野家 𠮷", u"\xDFB7", 0, -1, -1},
        {u"𠮷野家 𠮷", u"\xD842", 0, -1, -1},
        {u"a\xDFB7", u"\xDFB7", 0, 1, 1}, // a lone half is a character of its own
        {u"abc", u"", 0, -1, -1},
        {u"ab", u"abc", 0, -1, -1},
        {u"山田 太郎 and 鈴木", u"太郎", 0, 3, 3},
        {u"ｶﾀｶﾅ", u"カタカナ", 0, -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findNext(c.text, c.needle, c.from), c.next) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(findFirstExact(c.text, c.needle), c.firstExact) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(Search, ReplaceAllCountsAndText) {
    const struct {
        const char16_t *text, *needle, *replacement;
        int count;
        const char16_t* result;
    } cases[] = {
        {u"cat Cat cat", u"cat", u"dog", 2, u"dog Cat dog"},
        {u"abc", u"x", u"y", 0, u"abc"},
        {u"ab", u"abc", u"x", 0, u"ab"},
        {u"", u"a", u"b", 0, u""},
        {u"abc", u"", u"x", 0, u"abc"},
        {u"a-b-c", u"-", u"", 2, u"abc"},
        {u"aaa", u"a", u"ba", 3, u"bababa"},   // would never end: each original occurrence once
        {u"aab", u"ab", u"bbaa", 1, u"abbaa"}, // never ends either, without containing the find text
        {u"aaaa", u"aa", u"a", 3, u"a"},
        {u"xaabby", u"ab", u"", 2, u"xy"},
        {u"xxxa", u"xa", u"aQQ", 3, u"aQQQQQQ"}, // reaches back left, pushing the earlier ones along
        {u"aab", u"ab", u"ba", 2, u"baa"},
        {u"山田 太郎\n山田 花子\n", u"山田", u"鈴木", 2, u"鈴木 太郎\n鈴木 花子\n"},
        {u"𠮷\xD842", u"\xD842", u"x", 1, u"𠮷x"},
    };
    for (const auto& c : cases) {
        const ReplaceAllResult r = replaceAll(c.text, c.needle, c.replacement);
        EXPECT_EQ(r.count, c.count) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(applyEdits(c.text, r.edits), QString::fromUtf16(c.result));
    }
}

TEST(Search, ReplaceAllEditsOnlyWhatChanged) {
    const struct {
        const char16_t *text, *needle, *replacement;
        QList<TextEdit> edits;
    } cases[] = {
        {u"ab\ncd aa\nef aa", u"aa", u"b", {{6, 2, u"b"_s}, {12, 2, u"b"_s}}},
        {u"xaaaay", u"aa", u"b", {{1, 4, u"bb"_s}}},
        {u"aaaa", u"aa", u"a", {{0, 4, u"a"_s}}},
        {u"xxxa", u"xa", u"aQQ", {{0, 4, u"aQQQQQQ"_s}}},
        {u"aaa", u"a", u"ba", {{0, 3, u"bababa"_s}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replaceAll(c.text, c.needle, c.replacement).edits, c.edits) << c.edits.size();
}

// A shorter replacement shortens the text every time, so the rule ends however many new occurrences it
// makes; it is followed to its end, never cut short as if it would not end.
TEST(Search, ReplaceAllFollowsAShorteningRunToItsEnd) {
    const QString text = QString(600000, u'a') + u'b';
    const ReplaceAllResult r = replaceAll(text, u"ab", u"b");
    EXPECT_EQ(r.count, 600000);
    EXPECT_EQ(applyEdits(text, r.edits), u"b"_s);
}

bool whole(QStringView s, qsizetype at, qsizetype n) {
    const auto pair = [&](qsizetype i) {
        return i >= 0 && i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate();
    };
    return !pair(at - 1) && !pair(at + n - 1);
}

qsizetype naiveFind(QStringView s, QStringView needle, qsizetype from) {
    for (qsizetype at = from; at + needle.size() <= s.size(); ++at)
        if (s.sliced(at, needle.size()) == needle && whole(s, at, needle.size())) return at;
    return -1;
}

// The rule as stated, rebuilding the text each time; nothing when it has not ended after 200 rounds.
std::optional<std::pair<int, QString>> naiveRule(QString s, const QString& needle,
                                                 const QString& replacement) {
    for (int count = 0;; ++count) {
        const qsizetype at = naiveFind(s, needle, 0);
        if (at < 0) return std::pair(count, s);
        if (count == 200) return std::nullopt;
        s.replace(at, needle.size(), replacement);
    }
}

std::pair<int, QString> naiveEachOnce(const QString& s, const QString& needle, const QString& replacement) {
    QString out;
    int count = 0;
    qsizetype from = 0;
    for (qsizetype at; (at = naiveFind(s, needle, from)) >= 0; from = at + needle.size(), ++count)
        out += s.sliced(from, at - from) + replacement;
    return {count, out + s.sliced(from)};
}

TEST(Search, ReplaceAllMatchesTheRuleOnRandomTexts) {
    std::mt19937 random(8);
    // Mostly two letters, so that occurrences and new ones are frequent; now and then a half of a pair.
    const char16_t alphabet[] = {u'a', u'b', u'a', u'b', u'a', u'b', 0xD83D, 0xDE00};
    const auto randomString = [&](int minSize, int maxSize) {
        QString s;
        for (int n = std::uniform_int_distribution(minSize, maxSize)(random); n > 0; --n)
            s += QChar(alphabet[std::uniform_int_distribution(0, 7)(random)]);
        return s;
    };
    int compared = 0;
    for (int i = 0; i < 5000; ++i) {
        const QString text = randomString(0, 16), needle = randomString(1, 3);
        // One replacement in eight holds the find text; half are the find text cut short at one end and
        // extended at the other, which makes new occurrences to the left and right.
        const QString replacement = i % 8 == 0  ? randomString(0, 1) + needle + randomString(0, 1)
                                    : i % 8 < 4 ? randomString(0, 4)
                                    : i % 8 < 6 ? needle.sliced(1) + randomString(0, 2)
                                                : randomString(0, 2) + needle.chopped(1);
        ASSERT_EQ(findFirstExact(text, needle), naiveFind(text, needle, 0));
        std::optional<std::pair<int, QString>> expected;
        if (replacement.contains(needle))
            expected = naiveEachOnce(text, needle, replacement);
        else
            expected = naiveRule(text, needle, replacement);
        if (!expected) continue;
        ++compared;
        const ReplaceAllResult r = replaceAll(text, needle, replacement);
        ASSERT_EQ(std::pair(r.count, applyEdits(text, r.edits)), *expected)
            << text.toStdString() << " / " << needle.toStdString() << " / " << replacement.toStdString();
        for (qsizetype k = 1; k < r.edits.size(); ++k)
            ASSERT_LT(r.edits[k - 1].position + r.edits[k - 1].length, r.edits[k].position);
    }
    EXPECT_GT(compared, 4500);
}

} // namespace
