#include "entry/entry_fields.h"

#include "entry/catalogue.h"

namespace entry {

namespace {

// The shown slot (2..18) whose field or second field is `name`, or 0.
int slotWriting(const Category& category, const QString& name) {
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& s = category.slotList[k - 1];
        if (s.state == SlotState::Hidden) break; // shown slots form one run from slot 1
        if ((s.field && name == QLatin1String(s.field)) ||
            (s.secondField && name == QLatin1String(s.secondField)))
            return k;
    }
    return 0;
}

} // namespace

EntryByFields entryByFields(int categoryIndex, const QString& label, const QList<FieldValue>& fields) {
    EntryInput input;
    input.category = categoryIndex;
    input.slotTexts[1] = label;
    return withFields(input, fields);
}

EntryByFields withFields(const EntryInput& given, const QList<FieldValue>& fields) {
    const Category& cat = category(given.category);
    EntryByFields result;
    EntryInput& input = result.input;
    input = given;
    std::array<QString, kPairCount + 1> pairChosenBy;
    for (const FieldValue& field : fields) {
        const int k = slotWriting(cat, field.name);
        if (k == 0) {
            result.refusal = FieldsRefusal::NoSuchField;
            result.fields = {field.name};
            return result;
        }
        const Slot& s = cat.slotList[k - 1];
        if (s.state == SlotState::Choice) {
            if (!pairChosenBy[s.pair].isEmpty()) {
                result.refusal = FieldsRefusal::SameInput;
                result.fields = {pairChosenBy[s.pair], field.name};
                return result;
            }
            pairChosenBy[s.pair] = field.name;
            input.firstOption[s.pair] = field.name == QLatin1String(s.field);
        }
        input.slotInput(k) = field.value;
    }
    for (const int k : missingSlots(input)) {
        const Slot& s = cat.slotList[k - 1];
        QStringList names;
        if (s.field) names << QLatin1String(s.field);
        if (s.secondField) names << QLatin1String(s.secondField);
        result.missing << names;
    }
    if (!result.missing.isEmpty()) result.refusal = FieldsRefusal::Missing;
    return result;
}

} // namespace entry
