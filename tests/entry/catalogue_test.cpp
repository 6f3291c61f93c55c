// The category catalogue as the entry form shows it: names, heads, lists and every slot's caption.
#include "entry/catalogue.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using entry::SlotState;

struct CategoryRow {
    int index;
    const char16_t* displayName;
    const char16_t* head;
    const char* listSection;
    // The shown slots in order: caption, "*" when required, "^" when a combo box covers the edit;
    // a choice slot is "(p)" for pair p.
    const char16_t* layout;
};

// Near-duplicates are intended: "技報種別" (3, 4) against "技法種別" (5, 6, 10), "執筆年" in 11.
// clang-format off
const CategoryRow kRows[] = {
    {0, u"論文誌の論文", u"@article{", "Journal",
     u"文献ラベル* 著者名* 表題名* 雑誌名*^ 刊行年* 刊行月 巻数 号数 ページ その他の情報 読み"},
    {1, u"書籍(発行元あり)", u"@book{", "Publisher",
     u"文献ラベル* (1)* 表題名* 発行元名*^ 刊行年* 刊行月 (5) シリーズ名 発行元住所 版数 その他の情報 読み"},
    {2, u"書籍(発行元なし)", u"@booklet{", nullptr,
     u"文献ラベル* 表題名* 著者名 出版形態 発行元住所 刊行年 刊行月 その他の情報 読み"},
    {3, u"書籍の一部(表題あり)", u"@incollection{", "Publisher",
     u"文献ラベル* 著者名* 表題名* 書籍表題名* 発行元名*^ 刊行年* 刊行月 (6) 編集者名 シリーズ名 技報種別 章番号 ページ 発行元住所 版数 その他の情報 読み"},
    {4, u"書籍の一部(表題なし)", u"@inbook{", "Publisher",
     u"文献ラベル* (1)* 表題名* (2)* 発行元名*^ 刊行年* 刊行月 (6) シリーズ名 技報種別 発行元住所 版数 その他の情報 読み"},
    {5, u"修士論文", u"@masterthesis{", nullptr,
     u"文献ラベル* 著者名* 表題名* 学校名* 刊行年* 刊行月 技法種別 住所 その他の情報 読み"},
    {6, u"博士論文", u"@phdthesis{", nullptr,
     u"文献ラベル* 著者名* 表題名* 学校名* 刊行年* 刊行月 技法種別 住所 その他の情報 読み"},
    {7, u"議事録・紀要の記事", u"@inproceedings{", nullptr,
     u"文献ラベル* 著者名* 表題名* 書籍表題名* 刊行年* 刊行月 (5) 編集者名 シリーズ名 ページ 主催者名 発行元名 発行元住所 その他の情報 読み"},
    {8, u"議事録・紀要", u"@proceedings{", nullptr,
     u"文献ラベル* 表題名* 刊行年* 刊行月 (3) 編集者名 シリーズ名 主催者名 発行元名 発行元住所 その他の情報 読み"},
    {9, u"技術文書・マニュアル", u"@manual{", nullptr,
     u"文献ラベル* 表題名* 著者名 組織名 版数 刊行年 刊行月 その他の情報 読み"},
    {10, u"研究レポート", u"@techreport{", nullptr,
     u"文献ラベル* 著者名* 表題名* 研究所名* 刊行年* 刊行月 技法種別 号数 発行元住所 その他の情報 読み"},
    {11, u"非公式の出版物", u"@unpublished{", nullptr,
     u"文献ラベル* 著者名* 表題名* その他の情報* 執筆年 執筆月 読み"},
    {12, u"その他", u"@misc{", nullptr,
     u"文献ラベル* 著者名 表題名 出版形態 刊行年 刊行月 その他の情報 読み"},
};
// clang-format on

QString describeLayout(const entry::Category& c) {
    QStringList parts;
    for (const entry::Slot& s : c.slotList) {
        if (s.state == SlotState::Hidden) continue;
        QString part =
            s.state == SlotState::Choice ? QStringLiteral("(%1)").arg(s.pair) : QString::fromUtf16(s.caption);
        if (s.required) part += u'*';
        if (s.state == SlotState::CaptionedWithList) part += u'^';
        parts.append(part);
    }
    return parts.join(u' ');
}

class CatalogueCategory : public ::testing::TestWithParam<CategoryRow> {};

TEST_P(CatalogueCategory, NameHeadListAndLayoutAreTheFormsOwn) {
    const CategoryRow& row = GetParam();
    const entry::Category& c = entry::category(row.index);
    EXPECT_EQ(QString::fromUtf16(c.displayName), QString::fromUtf16(row.displayName));
    EXPECT_EQ(entry::entryHead(row.index), QString::fromUtf16(row.head));
    EXPECT_STREQ(c.listSection, row.listSection);
    EXPECT_EQ(describeLayout(c), QString::fromUtf16(row.layout));
}

TEST(Catalogue, IndexesOutsideTheThirteenAreRefusedInEveryBuild) {
    for (const int index : {-1, entry::kCategoryCount, 1000}) {
        EXPECT_THROW(entry::category(index), std::out_of_range) << index;
        EXPECT_TRUE(entry::entryHead(index).isEmpty()) << index;
    }
}

INSTANTIATE_TEST_SUITE_P(AllCategories, CatalogueCategory, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return "Category" + std::to_string(info.param.index); });

TEST(Catalogue, ChoicePairsOptionCaptionsAndBoldness) {
    struct Pair {
        const char16_t* first;
        const char16_t* second;
        bool bold;
    };
    const Pair expected[] = {{u"著者名", u"編集者名", true}, {u"章番号", u"ページ番号", true},
                             {u"巻数", u"号数", false},      {u"巻数", u"号数", false},
                             {u"巻数", u"号数", false},      {u"巻数", u"号数", false}};
    for (int p = 1; p <= entry::kPairCount; ++p) {
        SCOPED_TRACE(p);
        const entry::ChoicePair& pair = entry::choicePairs()[p - 1];
        EXPECT_EQ(QString::fromUtf16(pair.firstCaption), QString::fromUtf16(expected[p - 1].first));
        EXPECT_EQ(QString::fromUtf16(pair.secondCaption), QString::fromUtf16(expected[p - 1].second));
        EXPECT_EQ(pair.bold, expected[p - 1].bold);
    }
}

} // namespace
