#pragma once
// The entry categories as the user meets them, written out once for every test: the entry form's
// layouts, the Add button's required inputs, the entry text's fields and lorvane-cli's options. It is
// written by hand and reads nothing of the program's own table, which the tests compare with it.
#include <QString>
#include <QStringList>
#include <vector>

namespace oracle {

struct Slot {
    int number = 0;      // 1..18
    QString caption;     // empty for a choice slot, whose pair's panel stands in the caption's place
    QString field;       // the field written (a choice slot: its pair's first option's); empty for the label
    QString secondField; // a choice slot: the field of its pair's second option
    bool required = false;
    bool list = false; // a combo box covers the edit
    int pair = 0;      // a choice slot's pair 1..6

    bool isChoice() const { return pair != 0; }
    // The control the value is typed into: "Edit<k>", or the covering "ComboBox2" (slot 4) / "ComboBox3"
    // (slot 5).
    QString inputName() const;
    // The fields that fill the slot: none for the label, one, or a choice pair's two.
    QStringList fields() const;
};

struct Category {
    int index = 0;
    QString name; // as ComboBox1 lists it
    QString entryType;
    QString otherType;       // the type's other name in BibTeX's styles, which the category reads too
    int columnWidth = 0;     // the field names of the entry text are padded to it
    QString listSection;     // the user list section of the combo box; empty for none
    std::vector<Slot> slots; // the shown slots, slot 1 first; the rest are hidden

    QString head() const { return u'@' + entryType + u'{'; }
    std::vector<Slot> requiredSlots() const;
    // The start of one field line of the entry text: " " + the name padded to the column + " = ".
    QString linePrefix(const QString& field) const;
};

// The thirteen categories, [i].index == i.
const std::vector<Category>& categories();

struct ChoicePair {
    QString first, second; // the captions of RadioButton 2p-1 and 2p
    bool bold;
};
// [p - 1] is pair p.
const std::vector<ChoicePair>& choicePairs();

// Every field name some category writes.
QStringList allFields();

} // namespace oracle
