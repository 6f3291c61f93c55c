#pragma once
// The entry text that the entry form writes: head line, field lines, "}", one empty line.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace entry {

// What the entry form holds at the moment of an Add.
struct EntryInput {
    int category = 0;
    std::array<QString, 19> slotTexts; // [k] is the text of Edit k (1..18); [0] unused
    QString comboBox2;                 // covers slot 4 where a layout uses it
    QString comboBox3;                 // covers slot 5 where a layout uses it
    std::array<bool, 7> firstOption{true, true, true, true, true, true, true}; // [p]: pair p's first option

    // The value of slot k in the current category: the covering combo box's text or the edit's text.
    QString slotValue(int slot) const;
    // Where slot k's (1..18) value is held in the current category: the covering combo box's text or
    // the edit's text; std::out_of_range for another slot.
    QString& slotInput(int slot);
};

// The lines of the entry (the last one empty). Any text is accepted, an empty required value too.
QStringList formatEntry(const EntryInput& input);

// One field line: " " + fieldText + ",".
QString fieldLine(QStringView name, int columnWidth, QStringView value);
// One field as the form writes it: name padded to `columnWidth` + " = " + '"' + value + '"'.
QString fieldText(QStringView name, int columnWidth, QStringView value);

// The shown required slots (1..18, in order) whose input is empty; none for an index outside 0..12.
QList<int> missingSlots(const EntryInput& input);
// Whether every required input of the category holds at least one character; nullopt for an index
// outside 0..12 (the Add button is then left as it is).
std::optional<bool> isComplete(const EntryInput& input);

} // namespace entry
