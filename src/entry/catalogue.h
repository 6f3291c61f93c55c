#pragma once
// The thirteen entry categories and the entry form's eighteen input slots, as one constant table.
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

namespace entry {

inline constexpr int kCategoryCount = 13;
inline constexpr int kSlotCount = 18; // slots are numbered 1..18
inline constexpr int kPairCount = 6;  // choice pairs are numbered 1..6

enum class SlotState : std::uint8_t {
    Hidden,
    Captioned,         // caption over the slot's edit
    CaptionedWithList, // caption over a combo box that covers the slot's edit (slots 4 and 5 only)
    Choice,            // a choice pair's panel in place of the caption; the pair picks the field name
};

struct Slot {
    SlotState state = SlotState::Hidden;
    const char16_t* caption = nullptr; // Captioned / CaptionedWithList
    bool required = false;
    int pair = 0;                      // Choice: the pair 1..6
    const char* field = nullptr;       // the field (the pair's first option's field for Choice)
    const char* secondField = nullptr; // Choice: the field of the pair's second option
};

struct Category {
    const char16_t* displayName;
    const char* entryType;                 // "article", ...
    int columnWidth;                       // field-name column of the entry form's field lines
    const char* listSection;               // user list section of the category's combo box, or nullptr
    std::array<Slot, kSlotCount> slotList; // slots[k - 1] is slot k; slot 1 is the entry label
};

struct ChoicePair {
    const char16_t* firstCaption;
    const char16_t* secondCaption;
    bool bold; // bold captions: the slot is required
};

const std::array<Category, kCategoryCount>& categories();
const Category& category(int index);                     // throws std::out_of_range outside 0..12
const std::array<ChoicePair, kPairCount>& choicePairs(); // [p - 1] is pair p

inline bool isCategoryIndex(int index) {
    return index >= 0 && index < kCategoryCount;
}

// The category an entry of type `type` is, A-Z compared without regard to case: the one whose type it is,
// or whose other name in BibTeX's styles it is ("mastersthesis", "conference"); -1 for none.
int categoryOfType(QStringView type);

// "@" + entry type + "{"; empty outside 0..12 (no category chosen).
QString entryHead(int categoryIndex);
// The number of the combo box (2 or 3) that covers slot k's edit, or 0.
constexpr int comboBoxOfSlot(int slot) {
    return slot == 4 ? 2 : slot == 5 ? 3 : 0;
}

} // namespace entry
