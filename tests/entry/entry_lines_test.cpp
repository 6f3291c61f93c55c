// Where the entries of a text are: the entry a line stands in (read from nearby, with and without the
// states of a reading from the top), every entry of a text, the entry of a label, and the lines where an
// entry begins.
#include "entry/entry_lines.h"
#include "support/entry_lines_oracle.h"

#include <gtest/gtest.h>

#include <ostream>

namespace oracle {
void PrintTo(const EntryPlaces& p, std::ostream* os) {
    *os << p.name;
}
} // namespace oracle

namespace {

using namespace Qt::StringLiterals;

// Lines of a text held as views; `known`: the start of each line as reading from the top gives it, or none.
struct TextLines {
    QList<QStringView> lines;
    QList<bibtex::LineState> starts; // empty: nothing known
    int previous(int line) const { return line - 1; }
    int next(int line) const { return line + 1; }
    bool isValid(int line) const { return line >= 0 && line < lines.size(); }
    QStringView text(int line) const { return lines[line]; }
    std::optional<bibtex::LineState> knownStart(int line) const {
        if (starts.isEmpty()) return std::nullopt;
        return starts[line];
    }
};

TextLines linesOf(const QString& text, bool known) {
    TextLines t;
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(u'\n', start);
        t.lines.append(end < 0 ? QStringView(text).sliced(start)
                               : QStringView(text).sliced(start, end - start));
        if (end < 0) break;
        start = end + 1;
    }
    if (known) {
        bibtex::LineState state;
        for (const QStringView line : std::as_const(t.lines)) {
            t.starts.append(state);
            state = bibtex::readLine(line, state);
        }
    }
    return t;
}

class EntryPlacesTest : public ::testing::TestWithParam<oracle::EntryPlaces> {};

TEST_P(EntryPlacesTest, EachLineStandsInTheFirstEntryThatHoldsIt) {
    const oracle::EntryPlaces& p = GetParam();
    for (const bool known : {false, true}) {
        const TextLines lines = linesOf(p.text, known);
        ASSERT_EQ(lines.lines.size(), p.lineCount());
        for (int line = 0; line < p.lineCount(); ++line) {
            SCOPED_TRACE(testing::Message() << "line " << line << (known ? ", states known" : ""));
            const auto at = entry::entryAround(line, lines);
            const oracle::PlacedEntry* expected = p.around(line);
            ASSERT_EQ(at.has_value(), expected != nullptr);
            if (!expected) continue;
            EXPECT_EQ(at->first, expected->first);
            EXPECT_EQ(at->last, expected->last);
            EXPECT_EQ(at->column, expected->column);
        }
    }
}

TEST_P(EntryPlacesTest, TheWholeTextHoldsTheEntriesInOrder) {
    const oracle::EntryPlaces& p = GetParam();
    const QList<entry::EntrySpan> spans = entry::entriesOf(p.text);
    ASSERT_EQ(spans.size(), p.entries.size());
    const QStringList lines = p.text.split(u'\n');
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const oracle::PlacedEntry& e = p.entries[i];
        EXPECT_EQ(spans[i].lines, (entry::EntryLines{e.first, e.last, e.column})) << i;
        // The span runs from the "@" to the end of the last line.
        const QString expected =
            (QStringList(lines.mid(e.first, e.last - e.first + 1)).join(u'\n')).sliced(e.column);
        EXPECT_EQ(QStringView(p.text).sliced(spans[i].position, spans[i].length), expected) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EntryPlacesTest, ::testing::ValuesIn(oracle::entryPlaces()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EntryLines, AnEntryLongerThanTheReachEndsThereAndALineFarBelowEveryHeadIsInNone) {
    QString text = u"@misc{long,\n  note = {"_s;
    for (int i = 0; i < entry::kEntryReach + 10; ++i)
        text += u"\nword"_s;
    const TextLines lines = linesOf(text, false);
    const auto at = entry::entryAround(5, lines);
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->last, entry::kEntryReach);
    // Further down, no head is near enough to start a reading from.
    EXPECT_FALSE(entry::entryAround(entry::kEntryReach + 5, lines).has_value());
}

TEST(EntryLines, AnEntryIsFoundByItsLabelInAnyLetterCaseAsBibTeXReadsTheFile) {
    const QString text = u"@string{k0 = {see k2}}\n"         // 0: an abbreviation's name is no label
                         u"@misc{a, note = {k2 and k9}}\n"   // 1: the label in another entry's value
                         u"@article(k1,\n  title = {T}\n)\n" // 2-4
                         u"@misc{k2}\n"                      // 5: no "," after the label
                         u"@Book{ Mixed ,\n}\n"              // 6-7
                         u"@misc{k2, title = {second}}\n"    // 8: the first of two wins
                         u"x} @online{k3,\n}\n"_s;           // 9-10: an entry after other text on its line
    struct Case {
        const char16_t* label;
        int first; // -1: none
    };
    const Case cases[] = {{u"k1", 2},  {u"K1", 2},  {u"k2", 5},   {u"mixed", 6}, {u"k3", 9},
                          {u"k0", -1}, {u"k9", -1}, {u"k1,", -1}, {u"", -1},     {u"zz", -1}};
    for (const Case& c : cases) {
        const entry::EntrySpan span = entry::entryOfLabel(text, QString::fromUtf16(c.label));
        EXPECT_EQ(span.lines.first, c.first) << QString::fromUtf16(c.label).toStdString();
    }
    EXPECT_EQ(QStringView(text).sliced(entry::entryOfLabel(text, u"k3").position, 13), u"@online{k3,\n}");
}

TEST(EntryLines, ALineOpensAnEntryWithAnAtATypeAndItsOpeningDelimiter) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"@article{k,", true},     {u"\t @ Book (k,", true},
        {u"@online{", true},        {u"@string{a = b}", true},
        {u"@article", false},       {u"x @misc{k,", false},
        {u"@{k,", false},           {u"@1misc{k,", false},
        {u"@b.c}", false},          {u"", false},
        {u"\u3000@misc{k,", false},
    };
    for (const auto& [line, opens] : cases)
        EXPECT_EQ(entry::opensEntry(QString::fromUtf16(line)), opens)
            << QString::fromUtf16(line).toStdString();
}

} // namespace
