// The entry text the entry form writes, and the completeness rule that enables its Add button.
#include "entry/entry_format.h"

#include "entry/catalogue.h"
#include "support/catalogue_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using entry::EntryInput;

// Every edit holds "s" + its number, the combo boxes "c2" and "c3", every pair its first option.
EntryInput filledInput(int category) {
    EntryInput in;
    in.category = category;
    for (int k = 1; k <= entry::kSlotCount; ++k)
        in.slotTexts[k] = QStringLiteral("s%1").arg(k);
    in.comboBox2 = QStringLiteral("c2");
    in.comboBox3 = QStringLiteral("c3");
    return in;
}

QStringList linesOf(const char16_t* text) {
    return QString::fromUtf16(text).split(u'\n');
}

struct Golden {
    int category;
    const char16_t* text; // the lines joined by '\n'; the entry ends with "}" and an empty line
};

// Every shown slot filled; hidden slots hold text too, which must not appear.
const Golden kGolden[] = {
    {0, uR"(@article{s1,
 author  = "s2",
 title   = "s3",
 journal = "c2",
 year    = "s5",
 month   = "s6",
 volume  = "s7",
 number  = "s8",
 pages   = "s9",
 note    = "s10",
 yomi    = "s11",
}
)"},
    {1, uR"(@book{s1,
 author    = "s2",
 title     = "s3",
 publisher = "c2",
 year      = "s5",
 month     = "s6",
 volume    = "s7",
 series    = "s8",
 address   = "s9",
 edition   = "s10",
 note      = "s11",
 yomi      = "s12",
}
)"},
    {2, uR"(@booklet{s1,
 title        = "s2",
 author       = "s3",
 howpublished = "s4",
 address      = "s5",
 year         = "s6",
 month        = "s7",
 note         = "s8",
 yomi         = "s9",
}
)"},
    {3, uR"(@incollection{s1,
 author    = "s2",
 title     = "s3",
 booktitle = "s4",
 publisher = "c3",
 year      = "s6",
 month     = "s7",
 volume    = "s8",
 editor    = "s9",
 series    = "s10",
 type      = "s11",
 chapter   = "s12",
 pages     = "s13",
 address   = "s14",
 edition   = "s15",
 note      = "s16",
 yomi      = "s17",
}
)"},
    {4, uR"(@inbook{s1,
 author    = "s2",
 title     = "s3",
 chapter   = "s4",
 publisher = "c3",
 year      = "s6",
 month     = "s7",
 volume    = "s8",
 series    = "s9",
 type      = "s10",
 address   = "s11",
 edition   = "s12",
 note      = "s13",
 yomi      = "s14",
}
)"},
    {5, uR"(@masterthesis{s1,
 author    = "s2",
 title     = "s3",
 school    = "s4",
 year      = "s5",
 month     = "s6",
 type      = "s7",
 address   = "s8",
 note      = "s9",
 yomi      = "s10",
}
)"},
    {6, uR"(@phdthesis{s1,
 author    = "s2",
 title     = "s3",
 school    = "s4",
 year      = "s5",
 month     = "s6",
 type      = "s7",
 address   = "s8",
 note      = "s9",
 yomi      = "s10",
}
)"},
    {7, uR"(@inproceedings{s1,
 author    = "s2",
 title     = "s3",
 booktitle = "s4",
 year      = "s5",
 month     = "s6",
 volume    = "s7",
 editor    = "s8",
 series    = "s9",
 pages     = "s10",
 organization = "s11",
 publisher = "s12",
 address   = "s13",
 note      = "s14",
 yomi      = "s15",
}
)"},
    {8, uR"(@proceedings{s1,
 title     = "s2",
 year      = "s3",
 month     = "s4",
 volume    = "s5",
 editor    = "s6",
 series    = "s7",
 organization = "s8",
 publisher = "s9",
 address   = "s10",
 note      = "s11",
 yomi      = "s12",
}
)"},
    {9, uR"(@manual{s1,
 title     = "s2",
 author    = "s3",
 organization = "s4",
 edition   = "s5",
 year      = "s6",
 month     = "s7",
 note      = "s8",
 yomi      = "s9",
}
)"},
    {10, uR"(@techreport{s1,
 author    = "s2",
 title     = "s3",
 institution = "s4",
 year      = "s5",
 month     = "s6",
 type      = "s7",
 number    = "s8",
 address   = "s9",
 note      = "s10",
 yomi      = "s11",
}
)"},
    {11, uR"(@unpublished{s1,
 author    = "s2",
 title     = "s3",
 note      = "s4",
 year      = "s5",
 month     = "s6",
 yomi      = "s7",
}
)"},
    {12, uR"(@misc{s1,
 author    = "s2",
 title     = "s3",
 howpublished = "s4",
 year      = "s5",
 month     = "s6",
 note      = "s7",
 yomi      = "s8",
}
)"},
};

class EntryGolden : public ::testing::TestWithParam<Golden> {};

TEST_P(EntryGolden, EveryFieldInSlotOrderAtTheCategorysColumnWidth) {
    const Golden& g = GetParam();
    EXPECT_EQ(entry::formatEntry(filledInput(g.category)), linesOf(g.text));
}

TEST_P(EntryGolden, PairsOutsideTheLayoutChangeNothing) {
    EntryInput in = filledInput(GetParam().category);
    in.firstOption.fill(false);
    for (const entry::Slot& s : entry::category(in.category).slotList)
        if (s.state == entry::SlotState::Choice) in.firstOption[s.pair] = true;
    EXPECT_EQ(entry::formatEntry(in), linesOf(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(AllCategories, EntryGolden, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return "Category" + std::to_string(info.param.category); });

// Every use of a choice pair in the catalogue oracle: its second option changes only the field name of
// its line, in place.
TEST(EntrySecondOption, ChangesOnlyTheFieldNameInPlace) {
    int uses = 0;
    for (const oracle::Category& c : oracle::categories())
        for (const oracle::Slot& s : c.slots) {
            if (!s.isChoice()) continue;
            SCOPED_TRACE(testing::Message() << "category " << c.index << ", pair " << s.pair);
            ++uses;
            EntryInput in = filledInput(c.index);
            in.firstOption[s.pair] = false;
            QStringList expected = entry::formatEntry(filledInput(c.index));
            expected[s.number - 1] = c.linePrefix(s.secondField) + QStringLiteral("\"s%1\",").arg(s.number);
            EXPECT_EQ(entry::formatEntry(in), expected);
        }
    EXPECT_EQ(uses, 8);
}

TEST(FieldLine, PadsTheNameToTheColumnButNeverCutsIt) {
    EXPECT_EQ(entry::fieldLine(u"author", 7, u"A"), QStringLiteral(" author  = \"A\","));
    EXPECT_EQ(entry::fieldLine(u"title", 12, u"T"), QStringLiteral(" title        = \"T\","));
    EXPECT_EQ(entry::fieldLine(u"address", 9, u"X"), QStringLiteral(" address   = \"X\","));
    EXPECT_EQ(entry::fieldLine(u"howpublished", 12, u"H"), QStringLiteral(" howpublished = \"H\","));
    EXPECT_EQ(entry::fieldLine(u"organization", 9, u"O"), QStringLiteral(" organization = \"O\","));
    EXPECT_EQ(entry::fieldLine(u"institution", 9, u"I"), QStringLiteral(" institution = \"I\","));
}

TEST(FormatEntry, OnlyTheLabelGivesHeadAndClosingLines) {
    EntryInput in;
    in.category = 12;
    in.slotTexts[1] = QStringLiteral("only");
    EXPECT_EQ(entry::formatEntry(in),
              (QStringList{QStringLiteral("@misc{only,"), QStringLiteral("}"), QString()}));
}

TEST(FormatEntry, EmptyRequiredIsWrittenEmptyOptionalOmittedBlankKept) {
    EntryInput in;
    in.category = 0;
    in.slotTexts[1] = QStringLiteral("k");
    in.slotTexts[6] = QStringLiteral(" ");       // month: one blank
    in.slotTexts[4] = QStringLiteral("ignored"); // the combo box covers this edit
    EXPECT_EQ(entry::formatEntry(in), linesOf(uR"(@article{k,
 author  = "",
 title   = "",
 journal = "",
 year    = "",
 month   = " ",
}
)"));
}

TEST(FormatEntry, EmptyOptionalChoiceSlotIsOmittedWhicheverOption) {
    EntryInput in = filledInput(7);
    in.slotTexts[7].clear();
    in.firstOption[5] = false;
    const QStringList lines = entry::formatEntry(in);
    EXPECT_FALSE(lines.contains(QStringLiteral(" number    = \"\",")));
    EXPECT_FALSE(lines.contains(QStringLiteral(" volume    = \"\",")));
    EXPECT_EQ(lines[6], QStringLiteral(" editor    = \"s8\","));
}

TEST(FormatEntry, ValuesAndLabelStandExactlyAsTyped) {
    EntryInput in;
    in.category = 11;
    in.slotTexts[1] = QStringLiteral("Ab C");
    in.slotTexts[2] = QStringLiteral(R"(a "quoted" {braced} \emph{x})");
    in.slotTexts[3] = QStringLiteral("日本語　の表題 ");
    in.slotTexts[4] = QStringLiteral("note,}");
    EXPECT_EQ(entry::formatEntry(in), linesOf(uR"(@unpublished{Ab C,
 author    = "a "quoted" {braced} \emph{x}",
 title     = "日本語　の表題 ",
 note      = "note,}",
}
)"));
}

TEST(FormatEntry, CategoryOutsideTheCatalogueGivesNothing) {
    EXPECT_TRUE(entry::formatEntry(filledInput(13)).isEmpty());
    EXPECT_TRUE(entry::formatEntry(filledInput(-1)).isEmpty());
}

class EntryCompleteness : public ::testing::TestWithParam<int> {};

// The required slots of the catalogue oracle, each through its own edit or the combo box that covers it.
TEST_P(EntryCompleteness, EachRequiredInputAndNoOtherBlocksAdd) {
    const int category = GetParam();
    std::vector<int> requiredEdits;
    QString requiredComboBox;
    for (const oracle::Slot& s : oracle::categories()[category].requiredSlots()) {
        if (s.list)
            requiredComboBox = s.inputName();
        else
            requiredEdits.push_back(s.number);
    }
    ASSERT_EQ(entry::isComplete(filledInput(category)), true);
    for (int k = 1; k <= entry::kSlotCount; ++k) {
        SCOPED_TRACE(k);
        EntryInput in = filledInput(category);
        in.slotTexts[k].clear();
        const bool required = std::find(requiredEdits.begin(), requiredEdits.end(), k) != requiredEdits.end();
        EXPECT_EQ(entry::isComplete(in), !required);
        EXPECT_EQ(entry::missingSlots(in), required ? QList<int>{k} : QList<int>{});
        in.slotTexts[k] = QStringLiteral(" "); // a blank fills a slot
        EXPECT_EQ(entry::isComplete(in), true);
    }
    EntryInput in = filledInput(category);
    in.comboBox2.clear();
    EXPECT_EQ(entry::isComplete(in), requiredComboBox != u"ComboBox2");
    in = filledInput(category);
    in.comboBox3.clear();
    EXPECT_EQ(entry::isComplete(in), requiredComboBox != u"ComboBox3");
}

INSTANTIATE_TEST_SUITE_P(AllCategories, EntryCompleteness, ::testing::Range(0, entry::kCategoryCount),
                         [](const auto& info) { return "Category" + std::to_string(info.param); });

TEST(IsComplete, NoAnswerOutsideTheCatalogue) {
    EXPECT_EQ(entry::isComplete(filledInput(-1)), std::nullopt);
    EXPECT_EQ(entry::isComplete(filledInput(13)), std::nullopt);
    EntryInput empty;
    empty.category = 13;
    EXPECT_TRUE(entry::missingSlots(empty).isEmpty());
}

} // namespace
