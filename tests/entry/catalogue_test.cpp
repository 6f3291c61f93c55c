// The category catalogue as the entry form shows it: names, heads, lists, column widths and every slot.
#include "entry/catalogue.h"
#include "support/catalogue_oracle.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using entry::SlotState;

QString text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}
QString text(const char* s) {
    return s ? QString::fromLatin1(s) : QString();
}

class CatalogueCategory : public ::testing::TestWithParam<int> {};

TEST_P(CatalogueCategory, NameHeadListAndLayoutAreTheFormsOwn) {
    ASSERT_EQ(oracle::categories().size(), std::size_t(entry::kCategoryCount));
    const oracle::Category& expected = oracle::categories()[GetParam()];
    const entry::Category& c = entry::category(expected.index);
    EXPECT_EQ(QString::fromUtf16(c.displayName), expected.name);
    EXPECT_EQ(entry::entryHead(expected.index), expected.head());
    EXPECT_EQ(text(c.listSection), expected.listSection);
    EXPECT_EQ(c.columnWidth, expected.columnWidth);
    for (int k = 1; k <= entry::kSlotCount; ++k) {
        SCOPED_TRACE(testing::Message() << "slot " << k);
        const entry::Slot& s = c.slotList[k - 1];
        if (k > int(expected.slots.size())) {
            EXPECT_EQ(s.state, SlotState::Hidden);
            continue;
        }
        const oracle::Slot& e = expected.slots[k - 1];
        EXPECT_EQ(s.state, e.isChoice() ? SlotState::Choice
                           : e.list     ? SlotState::CaptionedWithList
                                        : SlotState::Captioned);
        EXPECT_EQ(text(s.caption), e.caption);
        EXPECT_EQ(s.required, e.required);
        EXPECT_EQ(s.pair, e.pair);
        EXPECT_EQ(text(s.field), e.field);
        EXPECT_EQ(text(s.secondField), e.secondField);
    }
}

TEST(Catalogue, IndexesOutsideTheThirteenAreRefusedInEveryBuild) {
    for (const int index : {-1, entry::kCategoryCount, 1000}) {
        EXPECT_THROW(entry::category(index), std::out_of_range) << index;
        EXPECT_TRUE(entry::entryHead(index).isEmpty()) << index;
    }
}

TEST(Catalogue, AnEntrysTypeNamesItsCategoryInAnyLetterCase) {
    for (const oracle::Category& c : oracle::categories()) {
        for (const QString& type : {c.entryType, c.otherType}) {
            if (type.isEmpty()) continue;
            EXPECT_EQ(entry::categoryOfType(type), c.index) << type.toStdString();
            EXPECT_EQ(entry::categoryOfType(type.toUpper()), c.index) << type.toStdString();
        }
    }
    for (const char16_t* none : {u"online", u"string", u"", u"masterthesiss", u"\uFF41rticle", u"article "})
        EXPECT_EQ(entry::categoryOfType(QString::fromUtf16(none)), -1)
            << QString::fromUtf16(none).toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllCategories, CatalogueCategory, ::testing::Range(0, entry::kCategoryCount),
                         [](const auto& info) { return "Category" + std::to_string(info.param); });

TEST(Catalogue, ChoicePairsOptionCaptionsAndBoldness) {
    ASSERT_EQ(oracle::choicePairs().size(), std::size_t(entry::kPairCount));
    for (int p = 1; p <= entry::kPairCount; ++p) {
        SCOPED_TRACE(p);
        const entry::ChoicePair& pair = entry::choicePairs()[p - 1];
        const oracle::ChoicePair& expected = oracle::choicePairs()[p - 1];
        EXPECT_EQ(QString::fromUtf16(pair.firstCaption), expected.first);
        EXPECT_EQ(QString::fromUtf16(pair.secondCaption), expected.second);
        EXPECT_EQ(pair.bold, expected.bold);
    }
}

} // namespace
