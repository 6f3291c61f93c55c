#include "entry/entry_format.h"

#include "entry/catalogue.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace entry {

namespace {

// The combo box (2 or 3) that covers slot k in the category's layout, or 0 where the slot's own edit
// holds its value.
int comboBoxOver(int categoryIndex, int slot) {
    if (!isCategoryIndex(categoryIndex) || slot < 1 || slot > kSlotCount) return 0;
    return category(categoryIndex).slotList[slot - 1].state == SlotState::CaptionedWithList
               ? comboBoxOfSlot(slot)
               : 0;
}

void appendField(QString& out, QStringView name, int columnWidth, QStringView value) {
    out.append(name);
    for (qsizetype i = name.size(); i < columnWidth; ++i)
        out.append(u' ');
    out.append(u" = \"").append(value).append(u'"');
}

} // namespace

QString EntryInput::slotValue(int slot) const {
    if (const int box = comboBoxOver(category, slot)) return box == 2 ? comboBox2 : comboBox3;
    return slot >= 0 && slot <= kSlotCount ? slotTexts[slot] : QString();
}

QString& EntryInput::slotInput(int slot) {
    if (const int box = comboBoxOver(category, slot)) return box == 2 ? comboBox2 : comboBox3;
    if (slot < 1 || slot > kSlotCount) throw std::out_of_range("entry slot " + std::to_string(slot));
    return slotTexts[static_cast<std::size_t>(slot)];
}

QString fieldLine(QStringView name, int columnWidth, QStringView value) {
    QString line;
    line.reserve(1 + std::max<qsizetype>(name.size(), columnWidth) + 4 + value.size() + 2);
    line.append(u' ');
    appendField(line, name, columnWidth, value);
    line.append(u',');
    return line;
}

QString fieldText(QStringView name, int columnWidth, QStringView value) {
    QString text;
    text.reserve(std::max<qsizetype>(name.size(), columnWidth) + 4 + value.size() + 1);
    appendField(text, name, columnWidth, value);
    return text;
}

QStringList formatEntry(const EntryInput& input) {
    if (!isCategoryIndex(input.category)) return {};
    const Category& cat = category(input.category);
    QStringList lines;
    lines.append(entryHead(input.category) + input.slotValue(1) + u',');
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& slot = cat.slotList[k - 1];
        if (slot.state == SlotState::Hidden) break; // shown slots form one run from slot 1
        const QString value = input.slotValue(k);
        // An optional field is written only with at least one character; blanks count.
        if (!slot.required && value.isEmpty()) continue;
        const char* name =
            slot.state == SlotState::Choice && !input.firstOption[slot.pair] ? slot.secondField : slot.field;
        lines.append(fieldLine(QString::fromLatin1(name), cat.columnWidth, value));
    }
    lines.append(QStringLiteral("}"));
    lines.append(QString());
    return lines;
}

QList<int> missingSlots(const EntryInput& input) {
    QList<int> missing;
    if (!isCategoryIndex(input.category)) return missing;
    const Category& cat = category(input.category);
    for (int k = 1; k <= kSlotCount; ++k)
        if (cat.slotList[k - 1].state != SlotState::Hidden && cat.slotList[k - 1].required &&
            input.slotValue(k).isEmpty())
            missing.append(k);
    return missing;
}

std::optional<bool> isComplete(const EntryInput& input) {
    if (!isCategoryIndex(input.category)) return std::nullopt;
    return missingSlots(input).isEmpty();
}

} // namespace entry
