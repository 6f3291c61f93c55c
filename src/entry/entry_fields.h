#pragma once
// An entry given by field names, as lorvane-cli's add takes it: the entry form's input that writes it.
#include "entry/entry_format.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace entry {

struct FieldValue {
    QString name; // a field name in lower case: "author", ...
    QString value;
};

// Why an entry given by field names is not written.
enum class FieldsRefusal : std::uint8_t {
    None,
    NoSuchField, // no shown slot of the category writes the field
    SameInput,   // both fields of one choice pair were given
    Missing,     // a required slot is empty, as the form's completeness rule finds it
};

struct EntryByFields {
    EntryInput input; // what the form would hold to write the entry
    FieldsRefusal refusal = FieldsRefusal::None;
    QStringList fields; // NoSuchField: the field; SameInput: the pair's field given first, then this one
    QList<QStringList> missing; // Missing: per empty required slot, in slot order, the fields that fill it
                                // (none for the label, both of a choice pair's)
};

// The form's input for an entry of `category` (0..12; std::out_of_range otherwise) with `label` and
// `fields`, taken in the order given. Each field goes to the shown slot that writes it, into the combo
// box where one covers the slot, and a field of a choice pair selects its option. The first field that
// cannot be placed refuses; then a required slot left empty does.
EntryByFields entryByFields(int category, const QString& label, const QList<FieldValue>& fields);
// The same, from what `input` holds already (an entry being changed, as the form shows it): each field given
// replaces its slot's value and selects its option.
EntryByFields withFields(const EntryInput& input, const QList<FieldValue>& fields);

} // namespace entry
