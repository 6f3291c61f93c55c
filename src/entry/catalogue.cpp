#include "entry/catalogue.h"

#include "text/ascii.h"

#include <stdexcept>
#include <string>

namespace entry {
namespace {

// Slot builders keep each category's layout to one line per slot.
constexpr Slot label() {
    return {SlotState::Captioned, u"文献ラベル", true, 0, nullptr, nullptr};
}
constexpr Slot req(const char16_t* caption, const char* field) {
    return {SlotState::Captioned, caption, true, 0, field, nullptr};
}
constexpr Slot opt(const char16_t* caption, const char* field) {
    return {SlotState::Captioned, caption, false, 0, field, nullptr};
}
// A required caption over a combo box filled from the category's list section.
constexpr Slot list(const char16_t* caption, const char* field) {
    return {SlotState::CaptionedWithList, caption, true, 0, field, nullptr};
}
constexpr Slot choice(int pair, bool required, const char* first, const char* second) {
    return {SlotState::Choice, nullptr, required, pair, first, second};
}

constexpr std::array<ChoicePair, kPairCount> kChoicePairs{{
    {u"著者名", u"編集者名", true},
    {u"章番号", u"ページ番号", true},
    {u"巻数", u"号数", false},
    {u"巻数", u"号数", false}, // on the form, but no layout shows it
    {u"巻数", u"号数", false},
    {u"巻数", u"号数", false},
}};

// The slot whose caption each pair's panel covers ([p - 1] for pair p).
constexpr std::array<int, kPairCount> kPairSlot{2, 4, 5, 6, 7, 8};

// Hidden slots are left to the array's value-initialisation.
// clang-format off
constexpr std::array<Category, kCategoryCount> kCategories{{
    {u"論文誌の論文", "article", 7, "Journal",
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), list(u"雑誌名", "journal"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"巻数", "volume"), opt(u"号数", "number"),
      opt(u"ページ", "pages"), opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"書籍(発行元あり)", "book", 9, "Publisher",
     {label(), choice(1, true, "author", "editor"), req(u"表題名", "title"), list(u"発行元名", "publisher"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), choice(5, false, "volume", "number"),
      opt(u"シリーズ名", "series"), opt(u"発行元住所", "address"), opt(u"版数", "edition"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"書籍(発行元なし)", "booklet", 12, nullptr,
     {label(), req(u"表題名", "title"), opt(u"著者名", "author"), opt(u"出版形態", "howpublished"),
      opt(u"発行元住所", "address"), opt(u"刊行年", "year"), opt(u"刊行月", "month"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"書籍の一部(表題あり)", "incollection", 9, "Publisher",
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"書籍表題名", "booktitle"),
      list(u"発行元名", "publisher"), req(u"刊行年", "year"), opt(u"刊行月", "month"),
      choice(6, false, "volume", "number"), opt(u"編集者名", "editor"), opt(u"シリーズ名", "series"),
      opt(u"技報種別", "type"), opt(u"章番号", "chapter"), opt(u"ページ", "pages"),
      opt(u"発行元住所", "address"), opt(u"版数", "edition"), opt(u"その他の情報", "note"),
      opt(u"読み", "yomi")}},
    {u"書籍の一部(表題なし)", "inbook", 9, "Publisher",
     {label(), choice(1, true, "author", "editor"), req(u"表題名", "title"),
      choice(2, true, "chapter", "pages"), list(u"発行元名", "publisher"), req(u"刊行年", "year"),
      opt(u"刊行月", "month"), choice(6, false, "volume", "number"), opt(u"シリーズ名", "series"),
      opt(u"技報種別", "type"), opt(u"発行元住所", "address"), opt(u"版数", "edition"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    // The head is "@masterthesis{", without an s after "master", throughout the system.
    {u"修士論文", "masterthesis", 9, nullptr,
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"学校名", "school"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"技法種別", "type"), opt(u"住所", "address"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"博士論文", "phdthesis", 9, nullptr,
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"学校名", "school"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"技法種別", "type"), opt(u"住所", "address"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"議事録・紀要の記事", "inproceedings", 9, nullptr,
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"書籍表題名", "booktitle"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), choice(5, false, "volume", "number"),
      opt(u"編集者名", "editor"), opt(u"シリーズ名", "series"), opt(u"ページ", "pages"),
      opt(u"主催者名", "organization"), opt(u"発行元名", "publisher"), opt(u"発行元住所", "address"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"議事録・紀要", "proceedings", 9, nullptr,
     {label(), req(u"表題名", "title"), req(u"刊行年", "year"), opt(u"刊行月", "month"),
      choice(3, false, "volume", "number"), opt(u"編集者名", "editor"), opt(u"シリーズ名", "series"),
      opt(u"主催者名", "organization"), opt(u"発行元名", "publisher"), opt(u"発行元住所", "address"),
      opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"技術文書・マニュアル", "manual", 9, nullptr,
     {label(), req(u"表題名", "title"), opt(u"著者名", "author"), opt(u"組織名", "organization"),
      opt(u"版数", "edition"), opt(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"その他の情報", "note"),
      opt(u"読み", "yomi")}},
    {u"研究レポート", "techreport", 9, nullptr,
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"研究所名", "institution"),
      req(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"技法種別", "type"), opt(u"号数", "number"),
      opt(u"発行元住所", "address"), opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
    {u"非公式の出版物", "unpublished", 9, nullptr,
     {label(), req(u"著者名", "author"), req(u"表題名", "title"), req(u"その他の情報", "note"),
      opt(u"執筆年", "year"), opt(u"執筆月", "month"), opt(u"読み", "yomi")}},
    {u"その他", "misc", 9, nullptr,
     {label(), opt(u"著者名", "author"), opt(u"表題名", "title"), opt(u"出版形態", "howpublished"),
      opt(u"刊行年", "year"), opt(u"刊行月", "month"), opt(u"その他の情報", "note"), opt(u"読み", "yomi")}},
}};
// clang-format on

// ---- Invariants of the table, checked by the compiler ----

template <typename C> constexpr bool sameText(const C* a, const C* b) {
    if (a == nullptr || b == nullptr) return a == b;
    for (; *a != 0 && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

constexpr bool isShown(const Slot& s) {
    return s.state != SlotState::Hidden;
}

constexpr int shownCount(const Category& c) {
    int n = 0;
    while (n < kSlotCount && isShown(c.slotList[n]))
        ++n;
    return n;
}

constexpr bool isFieldName(const char* name) {
    constexpr const char* names[] = {
        "address", "author", "booktitle", "chapter", "edition", "editor",       "howpublished", "institution",
        "journal", "key",    "month",     "note",    "number",  "organization", "pages",        "publisher",
        "school",  "series", "title",     "type",    "volume",  "year",         "yomi"};
    for (const char* n : names)
        if (sameText(n, name)) return true;
    return false;
}

constexpr bool labelSlotEverywhere() {
    for (const Category& c : kCategories) {
        const Slot& s = c.slotList[0];
        if (s.state != SlotState::Captioned || !s.required || !sameText(s.caption, u"文献ラベル") ||
            s.field != nullptr)
            return false;
    }
    return true;
}

constexpr bool shownSlotsFormOneRun() {
    for (const Category& c : kCategories) {
        const int n = shownCount(c);
        if (n < 7 || n > 17) return false;
        for (int k = n; k < kSlotCount; ++k)
            if (isShown(c.slotList[k])) return false;
    }
    return true;
}

constexpr bool hiddenSlotsCarryNothing() {
    for (const Category& c : kCategories)
        for (const Slot& s : c.slotList)
            if (!isShown(s) && (s.caption || s.required || s.pair || s.field || s.secondField)) return false;
    return true;
}

// Every shown slot but the label feeds a field; captioned slots one, choice slots one of two.
constexpr bool slotsFeedFields() {
    for (const Category& c : kCategories)
        for (int k = 1; k < shownCount(c); ++k) {
            const Slot& s = c.slotList[k];
            if (!isFieldName(s.field)) return false;
            if (s.state == SlotState::Choice) {
                if (s.caption || !isFieldName(s.secondField) || sameText(s.field, s.secondField))
                    return false;
            } else if (!s.caption || s.pair != 0 || s.secondField) {
                return false;
            }
        }
    return true;
}

// A combo box covers slot 4 or 5 only, and a category has a list section exactly when one is shown.
constexpr bool listsOnlyWhereComboBoxesAre() {
    for (const Category& c : kCategories) {
        int lists = 0;
        for (int k = 1; k <= kSlotCount; ++k)
            if (c.slotList[k - 1].state == SlotState::CaptionedWithList) {
                if (comboBoxOfSlot(k) == 0 || !c.slotList[k - 1].required) return false;
                ++lists;
            }
        if (lists > 1 || (lists == 1) != (c.listSection != nullptr)) return false;
        if (c.listSection && !sameText(c.listSection, "Journal") && !sameText(c.listSection, "Publisher"))
            return false;
    }
    return true;
}

// A pair stands where its panel lies, pair 4 is never used, and bold options mean a required slot.
constexpr bool choicePairsFit() {
    for (const Category& c : kCategories)
        for (int k = 1; k <= kSlotCount; ++k) {
            const Slot& s = c.slotList[k - 1];
            if (s.state != SlotState::Choice) continue;
            if (s.pair < 1 || s.pair > kPairCount || s.pair == 4 || kPairSlot[s.pair - 1] != k) return false;
            if (s.required != kChoicePairs[s.pair - 1].bold) return false;
        }
    return true;
}

// Required fields come first, "year" is directly followed by "month", "yomi" from "読み" is last.
constexpr bool fieldOrderShapes() {
    for (const Category& c : kCategories) {
        const int n = shownCount(c);
        for (int k = 2; k < n; ++k) {
            if (c.slotList[k].required && !c.slotList[k - 1].required) return false;
            if (sameText(c.slotList[k - 1].field, "year") && !sameText(c.slotList[k].field, "month"))
                return false;
        }
        const Slot& last = c.slotList[n - 1];
        if (!sameText(last.field, "yomi") || !sameText(last.caption, u"読み")) return false;
    }
    return true;
}

constexpr bool columnWidthsKnown() {
    for (const Category& c : kCategories)
        if (c.columnWidth != 7 && c.columnWidth != 9 && c.columnWidth != 12) return false;
    return true;
}

static_assert(labelSlotEverywhere(), "slot 1 must be the required label \"文献ラベル\" in every category");
static_assert(shownSlotsFormOneRun(), "shown slots must be 1..n with n in 7..17");
static_assert(hiddenSlotsCarryNothing(), "a hidden slot must carry no caption, field or pair");
static_assert(slotsFeedFields(), "every shown slot after the label feeds a known field");
static_assert(listsOnlyWhereComboBoxesAre(), "combo box lists belong on slots 4 and 5 only");
static_assert(choicePairsFit(), "choice slots must use their panel's pair; required iff bold; pair 4 unused");
static_assert(fieldOrderShapes(), "required fields first, month after year, yomi last");
static_assert(columnWidthsKnown(), "column widths are 7, 9 or 12");

} // namespace

const std::array<Category, kCategoryCount>& categories() {
    return kCategories;
}

const Category& category(int index) {
    if (!isCategoryIndex(index)) throw std::out_of_range("entry category index " + std::to_string(index));
    return kCategories[static_cast<std::size_t>(index)];
}

const std::array<ChoicePair, kPairCount>& choicePairs() {
    return kChoicePairs;
}

int categoryOfType(QStringView type) {
    // The styles' names of two categories whose own type is another: "mastersthesis" is the style's
    // master's thesis (the category writes "masterthesis"), and "conference" calls inproceedings.
    struct OtherName {
        const char* type;
        const char* categoryType;
    };
    static constexpr OtherName kOtherNames[] = {{"mastersthesis", "masterthesis"},
                                                {"conference", "inproceedings"}};
    const QString lower = text::asciiLower(type);
    QString own = lower;
    for (const OtherName& other : kOtherNames)
        if (lower == QLatin1StringView(other.type)) own = QString::fromLatin1(other.categoryType);
    for (int i = 0; i < kCategoryCount; ++i)
        if (own == QLatin1StringView(kCategories[std::size_t(i)].entryType)) return i;
    return -1;
}

QString entryHead(int categoryIndex) {
    if (!isCategoryIndex(categoryIndex)) return {};
    QString head = QString::fromLatin1(category(categoryIndex).entryType);
    return head.prepend(u'@').append(u'{');
}

} // namespace entry
