// Changing an entry through the form: the edits of its text for the form's values (every character the
// user did not change stays), the values the form shows, where an entry is, and when it is refused.
#include "bibtex/check.h"
#include "entry/entry_count.h"
#include "entry/entry_edit.h"
#include "entry/entry_fields.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using entry::EntryProblem;

// `changes`: "field=value" separated by "|"; an empty value empties the slot, as --remove does.
struct EditCase {
    const char* name;
    const char16_t* text;
    const char16_t* changes;
    const char16_t* expected;
    int category = -1;               // -1: the entry's own
    const char16_t* label = nullptr; // nullptr: the entry's own
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

// The entry's text once the form, opened on it, holds the changes and 修正 is pressed.
QString edited(const EditCase& c) {
    const QString text = QString::fromUtf16(c.text);
    const entry::EntryText e = entry::readEntry(text);
    EXPECT_EQ(e.problem, EntryProblem::None);
    QList<entry::FieldValue> fields;
    for (const QString& change : QString::fromUtf16(c.changes).split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype eq = change.indexOf(u'=');
        fields.append({change.first(eq), change.sliced(eq + 1)});
    }
    const entry::EntryInput shown =
        entry::inputShowing(c.category >= 0 ? c.category : e.category,
                            c.label ? QString::fromUtf16(c.label) : e.label, entry::fieldValues(e));
    const entry::EntryByFields input = entry::withFields(shown, fields);
    return text::applyEdits(text, entry::entryEdits(text, e, input.input));
}

// clang-format off
const EditCase kEdits[] = {
    {"OneLineChangedInside", u"@misc{x, title={A}, year=2001}", u"title=B",
     u"@misc{x, title = \"B\", year=2001}"},
    {"OneLineNewFieldAfterTheFieldBefore", u"@misc{x, title={A}, year=2001}", u"howpublished=H",
     u"@misc{x, title={A}, howpublished = \"H\", year=2001}"},
    {"OneLineNewFieldAfterTheHead", u"@misc{x, title={A}, year=2001}", u"author=Au",
     u"@misc{x, author = \"Au\", title={A}, year=2001}"},
    {"OneLineLastFieldEmptied", u"@misc{x, title={A}, year=2001}", u"year=",
     u"@misc{x, title={A},}"},
    {"OneLineNoFieldsYet", u"@misc{x}", u"title=T",
     u"@misc{x, title = \"T\"}"},
    {"ParenthesesChanged", u"@article(k1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1990\n)",
     u"title=New",
     u"@article(k1,\n  author = {A},\n title   = \"New\",\n  journal = {J},\n  year = 1990\n)"},
    {"ParenthesesFieldAfterTheLastOne", u"@article(k1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1990\n)",
     u"month=5",
     u"@article(k1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1990,\n month   = \"5\",\n)"},
    {"NestedBracesKept", u"@book{b1,\n  author = {Knuth},\n  title = {The {\\TeX}book},\n  publisher = {AW},\n  year = {1984},\n}",
     u"year=1986",
     u"@book{b1,\n  author = {Knuth},\n  title = {The {\\TeX}book},\n  publisher = {AW},\n year      = \"1986\",\n}"},
    {"RepeatedFieldFirstChanged", u"@misc{r,\n  title = {First},\n  title = {Second},\n}", u"title=New",
     u"@misc{r,\n title     = \"New\",\n  title = {Second},\n}"},
    {"NumberAndAbbreviationKept", u"@article{n1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1991,\n  month = jan,\n}",
     u"title=U",
     u"@article{n1,\n  author = {A},\n title   = \"U\",\n  journal = {J},\n  year = 1991,\n  month = jan,\n}"},
    {"EmptiedFieldGoesWithItsLine", u"@article{n1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1991,\n  month = jan,\n}",
     u"month=",
     u"@article{n1,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 1991,\n}"},
    {"EmptiedLastFieldWithoutComma", u"@misc{z,\n  title = {T},\n  year = 2001\n}", u"year=",
     u"@misc{z,\n  title = {T},\n}"},
    {"ValueOverTwoLinesBecomesOneLine", u"@article{m1,\n  author = {A},\n  title = {A long\n     title},\n  journal = {J},\n  year = 2000,\n}",
     u"title=Short",
     u"@article{m1,\n  author = {A},\n title   = \"Short\",\n  journal = {J},\n  year = 2000,\n}"},
    {"NewFieldAfterTheHeadLine", u"@misc{h,\n  title = {T},\n}", u"author=Au",
     u"@misc{h,\n author    = \"Au\",\n  title = {T},\n}"},
    {"NewFieldsInTheFormsOrder", u"@article{a,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 2000\n}",
     u"yomi=Y|volume=3|number=4",
     u"@article{a,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 2000,\n volume  = \"3\",\n"
     u" number  = \"4\",\n yomi    = \"Y\",\n}"},
    {"FieldsSharingALineChangedInside", u"@misc{s,\n  title = {T}, year = 2001,\n}", u"year=2002",
     u"@misc{s,\n  title = {T}, year = \"2002\",\n}"},
    {"FieldSharingALineEmptied", u"@misc{s,\n  title = {T}, year = 2001,\n}", u"title=",
     u"@misc{s,\n  year = 2001,\n}"},
    {"FieldEndingTheHeadLineEmptied", u"@misc{x, title={A},\n  year=2001}", u"title=",
     u"@misc{x,\n  year=2001}"},
    {"ChoiceTurnedToTheOtherField", u"@book{p,\n  author = {A},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}",
     u"editor=A",
     u"@book{p,\n editor    = \"A\",\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}"},
    {"TypeKeepsItsLettersWithoutANewCategory", u"@Article{k,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 2000,\n}",
     u"year=2001",
     u"@Article{k,\n  author = {A},\n  title = {T},\n  journal = {J},\n year    = \"2001\",\n}"},
    {"AStylesOtherNameIsKept", u"@MastersThesis{t,\n  author = {A},\n  title = {T},\n  school = {S},\n  year = 2000,\n}",
     u"year=2001",
     u"@MastersThesis{t,\n  author = {A},\n  title = {T},\n  school = {S},\n year      = \"2001\",\n}"},
    {"AStylesOtherNameGivesWayToANewCategory", u"@conference{c,\n  author = {A},\n  title = {T},\n  booktitle = {B},\n  year = 2000,\n}",
     u"", u"@misc{c,\n  author = {A},\n  title = {T},\n  booktitle = {B},\n  year = 2000,\n}", 12},
    {"ChoiceWithBothFieldsChangesOnlyTheChosenOne", u"@book{p,\n  author = {A},\n  editor = {E},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}",
     u"editor=E2",
     u"@book{p,\n  author = {A},\n editor    = \"E2\",\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}"},
    {"ChoiceWithBothFieldsTheOtherOptionUnchanged", u"@book{p,\n  author = {A},\n  editor = {E},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}",
     u"editor=E", u"@book{p,\n  author = {A},\n  editor = {E},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}"},
    {"ChoiceWithBothFieldsTheChosenOneEmptied", u"@book{p,\n  author = {A},\n  editor = {E},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}",
     u"editor=", u"@book{p,\n  author = {A},\n  title = {T},\n  publisher = {P},\n  year = 2000,\n}"},
    {"NewCategoryChangesTheTypeWordOnly", u"@Article{k,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 2000,\n}",
     u"", u"@misc{k,\n  author = {A},\n  title = {T},\n  journal = {J},\n  year = 2000,\n}", 12},
    {"NewLabel", u"@misc{old,\n  title = {T},\n}", u"", u"@misc{New,\n  title = {T},\n}", -1, u"New"},
    {"LabelWhereThereWasNone", u"@misc{ ,\n  title = {T},\n}", u"", u"@misc{ k,\n  title = {T},\n}", -1, u"k"},
    {"FieldsWithoutASlotStay", u"@misc{d,\n  doi = {10.1/x},\n  title = {T},\n  url = {http://x},\n}", u"title=U|note=N",
     u"@misc{d,\n  doi = {10.1/x},\n title     = \"U\",\n note      = \"N\",\n  url = {http://x},\n}"},
    {"NothingChangedNothingWritten", u"@article{z,\n\tauthor={A}, title = \"T\" ,\n  journal = J # {x},  year=1999 }",
     u"", u"@article{z,\n\tauthor={A}, title = \"T\" ,\n  journal = J # {x},  year=1999 }"},
    {"SameValueWrittenOtherwiseIsNoChange", u"@misc{q,\n  title = \"Same\",\n  year = {2000},\n}", u"title=Same|year=2000",
     u"@misc{q,\n  title = \"Same\",\n  year = {2000},\n}"},
};
// clang-format on

class EntryEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(EntryEdits, OnlyWhatTheUserChangedIsWrittenAnew) {
    const EditCase& c = GetParam();
    const QString result = edited(c);
    EXPECT_EQ(result, QString::fromUtf16(c.expected));
    // What the form writes, BibTeX reads: the entry is whole.
    EXPECT_EQ(entry::readEntry(result).problem, EntryProblem::None);
}

INSTANTIATE_TEST_SUITE_P(Table, EntryEdits, ::testing::ValuesIn(kEdits),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShownCase {
    const char16_t* field; // the field's text in an entry of its own
    const char16_t* shown;
};

TEST(EntryValues, ASlotShowsTheTextInsideTheBracesOrQuotesAndOtherValuesAsWritten) {
    const ShownCase cases[] = {
        {u"title = \"Quoted {\\\"U}ber\"", u"Quoted {\\\"U}ber"},
        {u"title = {Nested {Braces}}", u"Nested {Braces}"},
        {u"year = 1991", u"1991"},
        {u"month = jan", u"jan"},
        {u"title = \"A\" # jan # {B}", u"\"A\" # jan # {B}"},
        {u"title = {Two\n      lines}", u"Two lines"},
        {u"title = {  Blank at the start}", u"  Blank at the start"},
        {u"note = {Gap  \n\n  over lines}", u"Gap over lines"},
        {u"title = {}", u""},
    };
    for (const ShownCase& c : cases) {
        const QString text =
            QStringLiteral("@misc{k,\n  ") + QString::fromUtf16(c.field) + QStringLiteral(",\n}");
        const entry::EntryText e = entry::readEntry(text);
        ASSERT_EQ(e.problem, EntryProblem::None) << text.toStdString();
        ASSERT_EQ(e.fields.size(), 1);
        EXPECT_EQ(entry::fieldValues(e).value(e.fields[0].name), QString::fromUtf16(c.shown))
            << text.toStdString();
    }
}

TEST(EntryValues, AChoicePairShowsTheOptionWhoseFieldTheEntryHas) {
    const QMap<QString, QString> editorOnly{{QStringLiteral("editor"), QStringLiteral("E")}};
    EXPECT_FALSE(entry::inputShowing(1, QStringLiteral("k"), editorOnly).firstOption[1]);
    EXPECT_EQ(entry::inputShowing(1, QStringLiteral("k"), editorOnly).slotValue(2), QStringLiteral("E"));
    const QMap<QString, QString> both{{QStringLiteral("author"), QStringLiteral("A")},
                                      {QStringLiteral("editor"), QStringLiteral("E")}};
    EXPECT_TRUE(entry::inputShowing(1, QStringLiteral("k"), both).firstOption[1]);
    EXPECT_TRUE(entry::inputShowing(1, QStringLiteral("k"), {}).firstOption[1]);
    // The journal's combo box shows the entry's journal.
    EXPECT_EQ(entry::inputShowing(0, QStringLiteral("k"), {{QStringLiteral("journal"), QStringLiteral("J")}})
                  .comboBox2,
              QStringLiteral("J"));
}

TEST(EntryReading, WhatCannotBeChangedIsToldApart) {
    const std::pair<const char16_t*, EntryProblem> cases[] = {
        {u"% only a comment\n", EntryProblem::NoEntry},
        {u"@string{j = {Journal}}", EntryProblem::Command},
        {u"@comment{x}", EntryProblem::Command},
        {u"@preamble{\"x\"}", EntryProblem::Command},
        {u"@online{x, title={A}}", EntryProblem::OtherType},
        {u"@misc{x, title={A}", EntryProblem::Error},
        {u"@misc{x, title={A} year=1}", EntryProblem::Error},
        {u"@misc{x, title=\"A}\"}", EntryProblem::Error},
        {u"@MISC{x}", EntryProblem::None},
        {u"@article(k, title={A})", EntryProblem::None},
        {u"@mastersthesis{m}", EntryProblem::None},
        {u"@Conference{c}", EntryProblem::None},
        {u"@misc{x, title={A}} @misc{y, title=", EntryProblem::None}, // what follows is another entry's
    };
    for (const auto& [text, problem] : cases)
        EXPECT_EQ(entry::readEntry(QString::fromUtf16(text)).problem, problem)
            << QString::fromUtf16(text).toStdString();
}

TEST(EntryReading, AnErrorIsWordedAsTheCheckWordsItAtItsLineInTheDocument) {
    const QString text = QStringLiteral("@misc{x,\n  title = {A}\n  year = 1,\n}");
    const entry::EntryText e = entry::readEntry(text);
    ASSERT_EQ(e.problem, EntryProblem::Error);
    bibtex::Finding error;
    for (const bibtex::Finding& f : bibtex::checkText(text))
        if (f.severity == bibtex::Severity::Error) {
            error = f;
            break;
        }
    ASSERT_GT(error.line, 0);
    const QString refusal = entry::editRefusal(text, e, 40);
    EXPECT_TRUE(
        refusal.contains(QStringLiteral("%1 行目: ").arg(39 + error.line) + bibtex::japaneseMessage(error)))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("文献の検査"))) << refusal.toStdString();
    EXPECT_EQ(
        entry::editRefusal(QStringLiteral("@string{a = {b}}"), entry::readEntry(u"@string{a = {b}}"), 1),
        entry::kNoEntryToEdit);
    EXPECT_TRUE(entry::editRefusal(QStringLiteral("@misc{x}"), entry::readEntry(u"@misc{x}"), 1).isEmpty());
}

TEST(EntryLabelCheck, TheEntrysOwnLabelIsNoConflictInAnyLetterCase) {
    const QString document = QStringLiteral("@misc{abc,\n}\n@misc{Taken,\n}\n");
    const auto inUse = [&](const QString& label) { return entry::labelInUse(document, label); };
    struct Case {
        const char16_t* label;
        const char16_t* own; // nullptr: a new entry
        bool refused;
    };
    const Case cases[] = {
        {u"taken", nullptr, true}, {u"free", nullptr, false}, {u"abc", u"abc", false},
        {u"ABC", u"abc", false},   {u"taken", u"abc", true},  {u"free", u"abc", false},
    };
    for (const Case& c : cases) {
        const std::optional<QString> own = c.own ? std::optional(QString::fromUtf16(c.own)) : std::nullopt;
        EXPECT_EQ(entry::labelRefused(QString::fromUtf16(c.label), own, inUse), c.refused)
            << QString::fromUtf16(c.label).toStdString();
    }
}

} // namespace
