#pragma once
// The standard Japanese style, jplain.bst, as the check judges by it: the fields it declares (BibTeX
// stores no other field, so it neither warns about one nor reads one), the entry types it has a function
// for, the sort key each type's entries need, and the warnings each type's function gives. Each row says
// where in jplain.bst it comes from. Only src/bibtex/check*.cpp include it (through check_internal.h).
#include <QStringView>

#include <array>
#include <cstdint>
#include <initializer_list>

namespace bibtex::detail {

enum Field : int {
    Address,
    Author,
    Booktitle,
    Chapter,
    Crossref,
    Doi,
    Edition,
    Editor,
    Howpublished,
    Institution,
    Journal,
    Key,
    Month,
    Note,
    Number,
    Organization,
    Pages,
    Publisher,
    School,
    Series,
    Title,
    Type,
    Volume,
    Year,
    Yomi,
    FieldCount,
    OtherField = -1,
};

struct FieldRow {
    QStringView name;
    bool declared; // BibTeX stores it: jplain.bst's ENTRY names it, or BibTeX declares it for every style
    bool text;     // the check reads its text (the others it needs only to know empty or not)
};

// By Field.
inline constexpr std::array<FieldRow, FieldCount> kFields = {{
    {u"address", true, false},      // ENTRY; printed by most types
    {u"author", true, true},        // ENTRY; format.authors, the sort functions, the crossref functions
    {u"booktitle", true, false},    // ENTRY; format.in.ed.booktitle, format.incoll.inproc.crossref
    {u"chapter", true, false},      // ENTRY; format.chapter.pages
    {u"crossref", true, true},      // BibTeX's own field, declared for every style
    {u"doi", false, true},          // not in ENTRY: the check reads it only to find the same work twice
    {u"edition", true, false},      // ENTRY; format.edition
    {u"editor", true, true},        // ENTRY; format.editors, the sort functions, the crossref functions
    {u"howpublished", true, false}, // ENTRY; booklet, misc, empty.misc.check
    {u"institution", true, false},  // ENTRY; techreport
    {u"journal", true, false},      // ENTRY; article, format.article.crossref
    {u"key", true, false},          // ENTRY; the sort functions, the crossref functions
    {u"month", true, false},        // ENTRY; format.date
    {u"note", true, false},         // ENTRY; every type
    {u"number", true, false},       // ENTRY; format.vol.num.pages, format.number.series, format.tr.number
    {u"organization", true, false}, // ENTRY; inproceedings, manual, proceedings and their sort functions
    {u"pages", true, true},         // ENTRY; format.pages, format.chapter.pages
    {u"publisher", true, false},    // ENTRY; book, inbook, incollection, inproceedings, proceedings
    {u"school", true, false},       // ENTRY; mastersthesis, phdthesis
    {u"series", true, false},       // ENTRY; format.bvolume, format.number.series, format.book.crossref
    {u"title", true, true},         // ENTRY; format.title, format.btitle, presort
    {u"type", true, false},         // ENTRY; format.thesis.type, format.tr.number, format.chapter.pages
    {u"volume", true, false},       // ENTRY; format.bvolume, format.vol.num.pages, format.book.crossref
    {u"year", true, true},          // ENTRY; format.date, presort
    {u"yomi", true, true},          // ENTRY; sort.format.names sorts by it
}};

// A list of fields in the style's order (its warnings name them in that order).
struct FieldList {
    std::array<Field, 8> items{};
    int size = 0;
    constexpr FieldList() = default;
    constexpr FieldList(std::initializer_list<Field> fields) {
        for (Field f : fields)
            items[size++] = f;
    }
    constexpr const Field* begin() const { return items.data(); }
    constexpr const Field* end() const { return items.data() + size; }
};

// When a type's function makes a test: its functions take another way for an entry whose crossref names
// an entry ("crossref missing$").
enum class When : std::uint8_t { Always, WithoutCrossref, WithCrossref };

enum class Test : std::uint8_t {
    None,           // the end of a type's tests
    Filled,         // output.check: "empty F" when every field of the list is empty
    NotBoth,        // either.or.check, format.bvolume: "can't use both F and G fields" when both are filled
    NumberWithout,  // "there's a number but no F": number filled, volume and F empty
    Date,           // format.date: "there's a month but no year"; with the list {year}, output.check on it
    CrossrefNeeds,  // format.*.crossref: "need F, G, or H for L to crossref P" (an editor equal to the
                    // author counts as empty)
    CrossrefVolume, // format.book.crossref: "empty volume in L's crossref of P"
    AllEmpty,       // empty.misc.check: "all relevant fields are empty" when the list is and key is not
};

struct StyleTest {
    Test test = Test::None;
    When when = When::Always;
    FieldList fields;
};

struct StyleType {
    QStringView name;
    FieldList sort; // presort's function: "to sort, need F, G, or H" when all are empty
    std::array<StyleTest, 10> tests;
};

// presort's sort functions.
inline constexpr FieldList kAuthorSort{Author, Key};                           // author.sort
inline constexpr FieldList kAuthorEditorSort{Author, Editor, Key};             // author.editor.sort
inline constexpr FieldList kAuthorOrganizationSort{Author, Organization, Key}; // author.organization.sort
inline constexpr FieldList kEditorOrganizationSort{Editor, Organization, Key}; // editor.organization.sort

// The tests of inproceedings, which conference calls.
inline constexpr std::array<StyleTest, 10> kInproceedingsTests = {{
    {Test::Filled, When::Always, {Author}},
    {Test::Filled, When::Always, {Title}},
    {Test::Filled, When::WithoutCrossref, {Booktitle}},
    {Test::NotBoth, When::WithoutCrossref, {Volume, Number}},
    {Test::NumberWithout, When::WithoutCrossref, {Series}},
    {Test::Date, When::WithoutCrossref, {Year}},
    {Test::CrossrefNeeds, When::WithCrossref, {Editor, Key, Booktitle}},
}};

// The types jplain.bst has a function for, each with its tests in the function's order; a type without
// one is printed by default.type, which is misc.
enum EntryType : std::uint8_t {
    Article,
    Book,
    Booklet,
    Conference,
    Inbook,
    Incollection,
    Inproceedings,
    Manual,
    Mastersthesis,
    Misc,
    Phdthesis,
    Proceedings,
    Techreport,
    Unpublished,
    OtherType,
};
inline constexpr std::array<StyleType, OtherType> kTypes = {{
    // FUNCTION {article}
    {u"article",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::WithoutCrossref, {Journal}},
         {Test::NumberWithout, When::WithoutCrossref, {Volume}}, // format.vol.num.pages
         {Test::Date, When::WithoutCrossref, {Year}},
         {Test::CrossrefNeeds, When::WithCrossref, {Key, Journal}}, // format.article.crossref
     }}},
    // FUNCTION {book}
    {u"book",
     kAuthorEditorSort,
     {{
         {Test::Filled, When::Always, {Author, Editor}},
         {Test::NotBoth, When::WithoutCrossref, {Author, Editor}},
         {Test::Filled, When::Always, {Title}},
         {Test::NotBoth, When::WithoutCrossref, {Volume, Number}}, // format.bvolume
         {Test::NumberWithout, When::WithoutCrossref, {Series}},   // format.number.series
         {Test::Filled, When::WithoutCrossref, {Publisher}},
         {Test::CrossrefVolume, When::WithCrossref, {Volume}},             // format.book.crossref
         {Test::CrossrefNeeds, When::WithCrossref, {Editor, Key, Series}}, // format.book.crossref
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {booklet}
    {u"booklet",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Title}},
         {Test::Date, When::Always, {}},
     }}},
    // FUNCTION {conference} { inproceedings }
    {u"conference", kAuthorSort, kInproceedingsTests},
    // FUNCTION {inbook}
    {u"inbook",
     kAuthorEditorSort,
     {{
         {Test::Filled, When::Always, {Author, Editor}},
         {Test::NotBoth, When::WithoutCrossref, {Author, Editor}},
         {Test::Filled, When::Always, {Title}},
         {Test::NotBoth, When::WithoutCrossref, {Volume, Number}}, // format.bvolume
         {Test::Filled, When::Always, {Chapter, Pages}},           // format.chapter.pages
         {Test::NumberWithout, When::WithoutCrossref, {Series}},   // format.number.series
         {Test::Filled, When::WithoutCrossref, {Publisher}},
         {Test::CrossrefVolume, When::WithCrossref, {Volume}},             // format.book.crossref
         {Test::CrossrefNeeds, When::WithCrossref, {Editor, Key, Series}}, // format.book.crossref
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {incollection}
    {u"incollection",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::WithoutCrossref, {Booktitle}},       // format.in.ed.booktitle
         {Test::NotBoth, When::WithoutCrossref, {Volume, Number}}, // format.bvolume
         {Test::NumberWithout, When::WithoutCrossref, {Series}},   // format.number.series
         {Test::Filled, When::WithoutCrossref, {Publisher}},
         {Test::Date, When::WithoutCrossref, {Year}},
         {Test::CrossrefNeeds, When::WithCrossref, {Editor, Key, Booktitle}}, // format.incoll.inproc.crossref
     }}},
    // FUNCTION {inproceedings}
    {u"inproceedings", kAuthorSort, kInproceedingsTests},
    // FUNCTION {manual}; presort sorts it by author.organization.sort
    {u"manual",
     kAuthorOrganizationSort,
     {{
         {Test::Filled, When::Always, {Title}},
         {Test::Date, When::Always, {}},
     }}},
    // FUNCTION {mastersthesis}
    {u"mastersthesis",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::Always, {School}},
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {misc}, also default.type: every type jplain.bst has no function for
    {u"misc",
     kAuthorSort,
     {{
         {Test::Date, When::Always, {}},
         {Test::AllEmpty, When::Always, {Author, Title, Howpublished, Month, Year, Note}}, // empty.misc.check
     }}},
    // FUNCTION {phdthesis}
    {u"phdthesis",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::Always, {School}},
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {proceedings}; presort sorts it by editor.organization.sort
    {u"proceedings",
     kEditorOrganizationSort,
     {{
         {Test::Filled, When::Always, {Title}},
         {Test::NotBoth, When::Always, {Volume, Number}}, // format.bvolume
         {Test::NumberWithout, When::Always, {Series}},   // format.number.series
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {techreport}
    {u"techreport",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::Always, {Institution}},
         {Test::Date, When::Always, {Year}},
     }}},
    // FUNCTION {unpublished}
    {u"unpublished",
     kAuthorSort,
     {{
         {Test::Filled, When::Always, {Author}},
         {Test::Filled, When::Always, {Title}},
         {Test::Filled, When::Always, {Note}},
         {Test::Date, When::Always, {}},
     }}},
}};

// What FUNCTION {misc} and presort read of an entry: misc prints a type without a function of its own,
// and leaves its other fields out.
inline constexpr FieldList kMiscReads{Author, Title, Howpublished, Month, Year, Note, Key, Yomi};

// The tables hold the fields and types in the alphabetical order of their enumerations (a row left out
// leaves an empty name at the end, out of order).
constexpr bool alphabetical(QStringView a, QStringView b) {
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return a[i].unicode() < b[i].unicode();
    return a.size() < b.size();
}
consteval bool inOrder() {
    for (std::size_t i = 1; i < kTypes.size(); ++i)
        if (!alphabetical(kTypes[i - 1].name, kTypes[i].name)) return false;
    for (std::size_t i = 1; i < kFields.size(); ++i)
        if (!alphabetical(kFields[i - 1].name, kFields[i].name)) return false;
    return true;
}
static_assert(inOrder());

} // namespace bibtex::detail
