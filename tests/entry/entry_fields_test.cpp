// An entry given by field names: each field lands where the entry form would write it, and the refusals.
#include "entry/entry_fields.h"
#include "support/catalogue_oracle.h"

#include <gtest/gtest.h>

namespace {

using entry::FieldsRefusal;

class EntryByFields : public ::testing::TestWithParam<int> {};

TEST_P(EntryByFields, EachFieldOfTheCategoryIsWrittenUnderItsOwnName) {
    const oracle::Category& c = oracle::categories()[GetParam()];
    for (const oracle::Slot& s : c.slots)
        for (const QString& field : s.fields()) {
            SCOPED_TRACE(field.toStdString());
            const entry::EntryByFields e =
                entry::entryByFields(c.index, QStringLiteral("k"), {{field, QStringLiteral("v")}});
            EXPECT_NE(e.refusal, FieldsRefusal::NoSuchField);
            EXPECT_NE(e.refusal, FieldsRefusal::SameInput);
            EXPECT_TRUE(entry::formatEntry(e.input).contains(c.linePrefix(field) + QStringLiteral("\"v\",")));
        }
}

TEST_P(EntryByFields, AFieldOfNoSlotOrBothOfAPairAreRefused) {
    const oracle::Category& c = oracle::categories()[GetParam()];
    QStringList written;
    for (const oracle::Slot& s : c.slots) {
        written += s.fields();
        if (!s.isChoice()) continue;
        const entry::EntryByFields e = entry::entryByFields(c.index, QStringLiteral("k"),
                                                            {{s.secondField, QStringLiteral("b")},
                                                             {QStringLiteral("yomi"), QStringLiteral("y")},
                                                             {s.field, QStringLiteral("a")}});
        EXPECT_EQ(e.refusal, FieldsRefusal::SameInput);
        EXPECT_EQ(e.fields, (QStringList{s.secondField, s.field}));
    }
    for (const QString& field : oracle::allFields()) {
        if (written.contains(field)) continue;
        const entry::EntryByFields e =
            entry::entryByFields(c.index, QStringLiteral("k"), {{field, QStringLiteral("v")}});
        EXPECT_EQ(e.refusal, FieldsRefusal::NoSuchField) << field.toStdString();
        EXPECT_EQ(e.fields, QStringList{field});
    }
}

TEST_P(EntryByFields, EveryEmptyRequiredSlotIsNamedByItsFields) {
    const oracle::Category& c = oracle::categories()[GetParam()];
    QList<QStringList> expected;
    for (const oracle::Slot& s : c.requiredSlots())
        expected << s.fields();
    const entry::EntryByFields e = entry::entryByFields(c.index, QString(), {});
    EXPECT_EQ(e.refusal, FieldsRefusal::Missing);
    EXPECT_EQ(e.missing, expected);
}

INSTANTIATE_TEST_SUITE_P(AllCategories, EntryByFields, ::testing::Range(0, 13),
                         [](const auto& info) { return "Category" + std::to_string(info.param); });

} // namespace
