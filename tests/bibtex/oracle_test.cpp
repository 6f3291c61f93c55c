// The check against its judge: pBibTeX with the standard Japanese style, every entry cited, run on every
// .bib of the corpus, on the .bib files TeX Live ships, on files with one fault each and on entries of the
// thirteen categories as the entry form writes them. Compared both ways: every warning pBibTeX writes
// about an entry or a line is a warning of the check there, and every warning of the check is one pBibTeX
// writes; every error pBibTeX reports in the .bib is an error of the check at that line, and a file
// pBibTeX takes without an error gets no error from the check.
#include "bibtex/check.h"
#include "entry/entry_fields.h"
#include "entry/entry_format.h"
#include "support/catalogue_oracle.h"
#include "text/encoding.h"
#include "text/text_file.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace bibtex;
using namespace Qt::StringLiterals;

namespace {

// One file with one fault, and what the check says about it: the message, at a line, naming the fields
// given (separated by blanks, where the row gives them) or with arg1 given; `alone`: nothing else is said.
struct Fault {
    const char* name;
    const char16_t* text;
    Message message;
    int line;
    const char16_t* fieldsOrArg = nullptr;
    bool alone = false;
};

const Fault kFaults[] = {
    // Errors.
    {"unclosed value", u"@article{a, author={A}, title={T,\n journal={J}, year=2000}\n", Message::NotClosed,
     1, u"{"},
    {"unclosed value swallowing fields up to the next entry",
     u"@book{a,\n author={A},\n title={T,\n publisher={P},\n year=2000,\n}\n\n@misc{b, author={B}}\n\n",
     Message::NotClosed, 3, u"{", true},
    {"unclosed entry", u"@article{a, author={A}, title={T}, journal={J}, year=2000\n\n@misc{b, note={n}}\n",
     Message::NotClosed, 1, u"{"},
    {"unclosed at the end", u"@misc{b, note={n},\n", Message::NotClosed, 1},
    {"missing =", u"@misc{b, author={A},\n note {n}}\n", Message::NoEquals, 2},
    {"missing , at the end of a line", u"@misc{b, author={A}\n note={n}}\n", Message::NoCommaAtLineEnd, 1,
     nullptr, true},
    // A value over lines like fields, then more fields: the value was whole, the fault is the comma.
    {"missing , after a value with a line like a field",
     u"@misc{b, author={A},\n note={x\n y = z},\n title={T}\n year=2000}\n", Message::NoCommaAtLineEnd, 4,
     nullptr, true},
    {"missing , after a label", u"@misc{b\n author={A}}\n", Message::NoCommaAtLineEnd, 1},
    {"missing , in a line", u"@misc{b, author={A} note={n}}\n", Message::NoComma, 1},
    {"missing } of @string", u"@string{b = \"x\" c = \"y\"}\n", Message::NoClosing, 1, u"}"},
    {"missing label", u"@misc{author = {A}, title={T}}\n", Message::MissingLabel, 1},
    {"missing field name", u"@misc{b, author={A}, ={n}}\n", Message::NoFieldName, 1},
    {"missing value", u"@misc{b, author={A}, note=,\n}\n", Message::NoValue, 1},
    {"value ends the file", u"@misc{b, author={A}, note=\n", Message::NotClosed, 1},
    {"type without {", u"write to me@example.org\n@misc{b, author={A}}\n", Message::NoOpening, 1},
    {"no type", u"@{b, author={A}}\n", Message::NoEntryType, 1},
    {"unbalanced braces", u"@misc{b, author={A}, note=\"a}b\"}\n", Message::UnbalancedBraces, 1},
    {"label twice", u"@misc{Yamada2024, author={A}}\n@misc{yamada2024, author={B}}\n", Message::LabelRepeated,
     2},
    {"an entry cut short says nothing of what it lacks",
     u"@book{a, author={A}, title={T},\n publisher {P}, year=2000}\n", Message::NoEquals, 2, nullptr, true},
    // Warnings of the style's functions.
    {"missing journal", u"@article{a, author={A}, title={T}, year=2000}\n", Message::EmptyField, 1,
     u"journal", true},
    {"empty journal", u"@article{a, author={A}, title={T}, journal={ }, year=2000}\n", Message::EmptyField, 1,
     u"journal"},
    {"neither author nor editor", u"@book{a, key={k}, title={T}, publisher={P}, year=2000}\n",
     Message::EmptyField, 1, u"author editor", true},
    {"neither chapter nor pages", u"@inbook{a, author={A}, title={T}, publisher={P}, year=2000}\n",
     Message::EmptyField, 1, u"chapter pages", true},
    {"author and editor", u"@book{a, author={A}, editor={E}, title={T}, publisher={P}, year=2000}\n",
     Message::BothFields, 1, u"author editor", true},
    {"volume and number", u"@book{a, author={A}, title={T}, publisher={P}, year=2000, volume=1, number=2}\n",
     Message::BothFields, 1, u"volume number", true},
    {"a number but no series", u"@book{a, author={A}, title={T}, publisher={P}, year=2000, number=2}\n",
     Message::NumberWithout, 1, u"series", true},
    {"a number but no volume", u"@article{a, author={A}, title={T}, journal={J}, year=2000, number=2}\n",
     Message::NumberWithout, 1, u"volume", true},
    {"a month but no year", u"@article{a, author={A}, title={T}, journal={J}, month=jan}\n",
     Message::MonthNoYear, 1, nullptr, true},
    {"neither author nor key", u"@misc{a, title={T}}\n", Message::SortNeeds, 1, u"author key", true},
    {"a proceedings to sort", u"@proceedings{a, title={T}, year=2000}\n", Message::SortNeeds, 1,
     u"editor organization key", true},
    {"a manual to sort", u"@manual{a, title={T}}\n", Message::SortNeeds, 1, u"author organization key", true},
    {"a book to sort", u"@book{a,\n title={T}, publisher={P}, year=2000}\n", Message::SortNeeds, 1,
     u"author editor key"},
    {"an entry after another before a final CR LF",
     u"@misc{a, author={A}}\r\n@misc{b, author={B}} @misc{c, title={C}}\r\n", Message::SortNeeds, 2},
    {"only a key", u"@misc{a, key={k}}\n", Message::AllEmpty, 1, u"author title howpublished month year note",
     true},
    {"a type of no function", u"@foo{a, author={A}, title={T}}\n", Message::TypeUndefined, 1, u"foo", true},
    {"masterthesis, as the entry form writes it",
     u"@masterthesis{a,\n author={A}, title={T}, school={S}, year=2000}\n", Message::TypeUndefinedDrops, 1,
     u"school", true},
    {"a crossref with nothing to name its entry",
     u"@inproceedings{c, author={A}, title={T},\n crossref={p}}\n@proceedings{p, title={P}, year=2000, "
     u"organization={O}}\n",
     Message::CrossrefNeeds, 1, u"editor key booktitle", true},
    {"an article's crossref",
     u"@article{c, author={A}, title={T}, crossref={p}}\n"
     u"@article{p, author={A}, title={P}, year=2000}\n",
     Message::CrossrefNeeds, 1, u"key journal"},
    {"a book's crossref with no volume",
     u"@book{c, author={A}, title={T}, crossref={p}}\n@book{p, editor={E}, title={P}, publisher={X}, "
     u"year=2000}\n",
     Message::CrossrefVolume, 1, nullptr, true},
    {"an editor that is the author names no crossref",
     u"@incollection{c, author={A}, editor={ A }, title={T}, crossref={p}}\n"
     u"@book{p, editor={E}, title={P}, publisher={X}, year=2000}\n",
     Message::CrossrefNeeds, 1, u"editor key booktitle", true},
    // Warnings of BibTeX while reading.
    {"nested crossrefs",
     u"@misc{a, author={A}, crossref={b}}\n@misc{b, author={A}, crossref={c}}\n@misc{c, author={A}}\n",
     Message::NestedCrossref, 1, u"b", true},
    {"field twice", u"@misc{a, author={A}, title={T},\n title={U}}\n", Message::FieldRepeated, 2, u"title",
     true},
    {"undefined string", u"@misc{a, author={A}, howpublished=web}\n", Message::UndefinedString, 1, u"web",
     true},
    {"undefined string in a @string", u"@string{a = b}\n", Message::UndefinedString, 1, u"b", true},
    {"undefined string in the preamble", u"@preamble{ foo # \"x\" }\n", Message::UndefinedString, 1, u"foo",
     true},
    {"crossref to nothing", u"@misc{a, author={A}, crossref={b}}\n", Message::NoCrossrefEntry, 1, u"b", true},
    // Notes.
    {"a field jplain does not read, twice", u"@misc{a, author={A}, url={x},\n url={y}}\n",
     Message::FieldRepeatedUnread, 2, u"url", true},
    {"undefined string in a field jplain does not read", u"@misc{a, author={A}, url=web}\n",
     Message::UndefinedStringUnread, 1, u"web", true},
    {"empty label", u"@misc{, author={A}}\n", Message::NoLabel, 1, nullptr, true},
    {"an entry after another on the last line",
     u"@misc{a, author={A}}\n@misc{b, author={B}} @misc{c, author={C}}", Message::IgnoredAtEnd, 2, nullptr,
     true},
    {"no yomi", u"@misc{a,\n author={山田 太郎}}\n", Message::NoYomi, 2, u"author", true},
    {"same doi", u"@misc{a, author={A}, doi={10.1/x}}\n@misc{b, author={A}, doi={10.1/X}}\n",
     Message::SameDoi, 1, u"b"},
    {"same title",
     u"@misc{a, author={A}, title={A Title}, year=2000}\n@misc{b, author={A}, title={a {T}itle.}, "
     u"year=2000}\n",
     Message::SameTitle, 2, u"a"},
    {"one hyphen", u"@misc{a, author={A}, pages={12-34}}\n", Message::SingleHyphen, 1, u"12-34", true},
};

QList<Finding> checked(const QString& text) {
    const text::DecodedText decoded = text::decodeText(text.toUtf8());
    CheckOptions options;
    options.finalLineBreak = finalLineBreak(decoded.text, decoded.format, decoded.lineEnds);
    return checkText(decoded.text, options);
}

TEST(BibtexCheck, FindsEachFaultAtItsLine) {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        const QList<Finding> findings = checked(QString::fromUtf16(fault.text));
        const QString given = fault.fieldsOrArg ? QString::fromUtf16(fault.fieldsOrArg) : QString();
        const bool found = std::any_of(findings.begin(), findings.end(), [&](const Finding& f) {
            return f.message == fault.message && f.line == fault.line &&
                   (given.isNull() || given == f.fields.join(u' ') || given == f.arg1);
        });
        EXPECT_TRUE(found);
        if (fault.alone) {
            EXPECT_EQ(findings.size(), 1);
        }
    }
    // Text outside entries, @comment, @preamble and @string are no faults; a whole file has no finding.
    const QString sound = u"Comment text, even with = and {.\n@comment{anything (at all}\n"
                          u"@preamble{ \"\\newcommand{\\x}{y}\" }\n@string(jsai = \"JSAI\")\n"
                          u"@article(a,\n author = \"A\", title = {T {x}}, journal = jsai # \" J\",\n"
                          u"  year = 2000, pages = \"1--2\")\n"_s;
    EXPECT_EQ(checkText(sound), QList<Finding>());
}

// Only a single hyphen between two page numbers of one kind is a range written with one hyphen.
TEST(BibtexCheck, NotesAPageRangeWithOneHyphen) {
    const struct {
        const char16_t* pages;
        bool noted;
    } rows[] = {
        {u"12-34", true},       {u"1-2", true},
        {u"xii-xv", true},      {u"S12-S34", true},
        {u"5--7, 9-11", true},  {u"12--34", false},
        {u"12", false},         {u"12 - 34", false},
        {u"1-2-3", false},      {u"A-12", false},
        {u"V-1", false},        {u"V-1--V-4", false},
        {u"M-10--M-10", false}, {u"G--i--G--v, G-1--G-28", false},
    };
    for (const auto& row : rows) {
        const QString pages = QString::fromUtf16(row.pages);
        const QList<Finding> findings = checkText(u"@misc{a, author={A}, pages={"_s + pages + u"}}\n"_s);
        const bool noted = std::any_of(findings.begin(), findings.end(),
                                       [](const Finding& f) { return f.message == Message::SingleHyphen; });
        EXPECT_EQ(noted, row.noted) << pages.toStdString();
    }
}

const char* kanjiOption(text::Encoding encoding) {
    switch (encoding) {
    case text::Encoding::Utf8:
        return "-kanji=utf8";
    case text::Encoding::EucJp:
        return "-kanji=euc";
    case text::Encoding::Iso2022Jp:
        return "-kanji=jis";
    case text::Encoding::Cp932:
        break;
    }
    return "-kanji=sjis";
}

// pBibTeX ends a line at every CR and every LF, so a CR LF counts as two lines there and as one in the
// editor: the editor's line (1-based) of each of pBibTeX's lines.
QList<int> editorLines(const QByteArray& bytes) {
    QList<int> lines{0, 1};
    int editorLine = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            lines << editorLine + 1; // the empty line pBibTeX sees between CR and LF
            ++editorLine;
            lines << editorLine;
            ++i;
        } else if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines << ++editorLine;
        }
    }
    return lines;
}

// ---- pBibTeX's log, read into what it says about which entry --------------------------------------

// Each text pBibTeX writes about an entry of the .bib or a line of it.
enum class Said {
    Empty,           // "empty F in L", "empty F and G in L": output.check
    EmptyVolume,     // "empty volume in L's crossref of P"
    Both,            // "can't use both F and G fields in L"
    SortNeeds,       // "to sort, need F, G, or H in L"
    NumberNoVolume,  // "there's a number but no volume in L"
    NumberNoSeries,  // "there's a number but no series in L"
    MonthNoYear,     // "there's a month but no year in L"
    AllEmpty,        // "all relevant fields are empty in L"
    CrossrefNeeds,   // "need F, G, or H for L to crossref P"
    NestedCrossref,  // "you've nested cross references--entry "L""
    TypeUndefined,   // "entry type for "L" isn't style-file defined", with the line
    ExtraField,      // "I'm ignoring L's extra "F" field", with the line
    UndefinedString, // "string name "S" is undefined", with the line
    BadCrossref,     // "A bad cross reference---entry "L"" (an error of pBibTeX)
    Unknown,         // a warning this test does not know: never matched
};
const char* const kSaidNames[] = {
    "empty",
    "empty volume of crossref",
    "can't use both",
    "to sort, need",
    "number, no volume",
    "number, no series",
    "month, no year",
    "all relevant fields empty",
    "need ... to crossref",
    "nested cross references",
    "type not defined",
    "extra field",
    "undefined string",
    "bad cross reference",
    "unknown warning",
};

struct Report {
    Said said = Said::Unknown;
    QString label;     // the entry it names; empty when it names a line alone
    QStringList words; // the fields it names, in its order
    QString other;     // the entry crossref names, the field or the abbreviation
    int line = -1;     // the editor's line, where pBibTeX names one
    QString text;      // as pBibTeX wrote it
};

// "author, editor, or key" -> author editor key; "chapter and pages" -> chapter pages.
QStringList fieldWords(const QString& phrase) {
    static const QRegularExpression separators(u"(?:,? (?:and|or) |, )"_s);
    return phrase.split(separators);
}

// Every "Warning--" line of the log and every "A bad cross reference", in the order written.
QList<Report> readLog(const QString& log, const QList<int>& lineMap) {
    static const struct {
        const char16_t* pattern;
        Said said;
    } kTexts[] = {
        // Captures: 1 the entry (or the abbreviation), 2 and 3 what else the text names.
        {u"^Warning--empty volume in (.*)'s crossref of (.*)$", Said::EmptyVolume},
        {u"^Warning--empty (.+) in (.*)$", Said::Empty},
        {u"^Warning--can't use both (.+) fields in (.*)$", Said::Both},
        {u"^Warning--to sort, need (.+) in (.*)$", Said::SortNeeds},
        {u"^Warning--there's a number but no volume in (.*)$", Said::NumberNoVolume},
        {u"^Warning--there's a number but no series in (.*)$", Said::NumberNoSeries},
        {u"^Warning--there's a month but no year in (.*)$", Said::MonthNoYear},
        {u"^Warning--all relevant fields are empty in (.*)$", Said::AllEmpty},
        {u"^Warning--need (.+) for (.*) to crossref (.*)$", Said::CrossrefNeeds},
        {u"^Warning--you've nested cross references--entry \"(.*)\"$", Said::NestedCrossref},
        {u"^Warning--entry type for \"(.*)\" isn't style-file defined$", Said::TypeUndefined},
        {u"^Warning--I'm ignoring (.*)'s extra \"(.*)\" field$", Said::ExtraField},
        {u"^Warning--string name \"(.*)\" is undefined$", Said::UndefinedString},
        {u"^A bad cross reference---entry \"(.*)\"$", Said::BadCrossref},
        {u"^Warning--.*$", Said::Unknown},
    };
    static const QRegularExpression lineOf(u"^--line (\\d+) of file x\\.bib$"_s);
    static const std::vector<QRegularExpression> expressions = [] {
        std::vector<QRegularExpression> list;
        for (const auto& t : kTexts)
            list.emplace_back(QString::fromUtf16(t.pattern));
        return list;
    }();
    QList<Report> reports;
    const QStringList lines = log.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (std::size_t k = 0; k < expressions.size(); ++k) {
            const QRegularExpressionMatch m = expressions[k].match(lines[i]);
            if (!m.hasMatch()) continue;
            Report r;
            r.said = kTexts[k].said;
            r.text = lines[i];
            switch (r.said) {
            case Said::Empty:
            case Said::Both:
            case Said::SortNeeds:
                r.words = fieldWords(m.captured(1));
                r.label = m.captured(2);
                break;
            case Said::CrossrefNeeds:
                r.words = fieldWords(m.captured(1));
                r.label = m.captured(2);
                r.other = m.captured(3);
                break;
            case Said::EmptyVolume:
            case Said::ExtraField:
                r.label = m.captured(1);
                r.other = m.captured(2);
                break;
            case Said::UndefinedString:
                r.other = m.captured(1);
                break;
            case Said::Unknown:
                break;
            default:
                r.label = m.captured(1);
                break;
            }
            if (i + 1 < lines.size())
                if (const QRegularExpressionMatch at = lineOf.match(lines[i + 1]); at.hasMatch())
                    r.line = lineMap.value(at.captured(1).toInt(), -1);
            reports.append(r);
            break;
        }
    }
    return reports;
}

// What pBibTeX warns about while it reads the file, as opposed to what the style's functions warn about
// once the entry is read: only the latter follow from an entry cut short by an error.
bool saidWhileReading(Said said) {
    return said == Said::TypeUndefined || said == Said::ExtraField || said == Said::UndefinedString ||
           said == Said::BadCrossref || said == Said::NestedCrossref;
}

// Whether a finding of the check says what pBibTeX's report says, of the same entry or line.
bool saysTheSame(const Report& r, const Finding& f) {
    if (f.severity != Severity::Warning) return false;
    if (r.said != Said::UndefinedString && f.label != r.label) return false;
    switch (r.said) {
    case Said::Empty:
        return f.message == Message::EmptyField && f.fields == r.words;
    case Said::EmptyVolume:
        return f.message == Message::CrossrefVolume && f.arg1 == r.other;
    case Said::Both:
        return f.message == Message::BothFields && f.fields == r.words;
    case Said::SortNeeds:
        return f.message == Message::SortNeeds && f.fields == r.words;
    case Said::NumberNoVolume:
        return f.message == Message::NumberWithout && f.arg1 == u"volume";
    case Said::NumberNoSeries:
        return f.message == Message::NumberWithout && f.arg1 == u"series";
    case Said::MonthNoYear:
        return f.message == Message::MonthNoYear;
    case Said::AllEmpty:
        return f.message == Message::AllEmpty;
    case Said::CrossrefNeeds:
        return f.message == Message::CrossrefNeeds && f.fields == r.words && f.arg1 == r.other;
    case Said::NestedCrossref:
        return f.message == Message::NestedCrossref;
    case Said::TypeUndefined:
        return (f.message == Message::TypeUndefined || f.message == Message::TypeUndefinedDrops) &&
               f.bibtexLine == r.line;
    case Said::ExtraField:
        return f.message == Message::FieldRepeated && f.arg1 == r.other.toLower() && f.bibtexLine == r.line;
    case Said::UndefinedString:
        return f.message == Message::UndefinedString && f.arg1.toLower() == r.other && f.line == r.line;
    case Said::BadCrossref:
        return f.message == Message::NoCrossrefEntry;
    case Said::Unknown:
        break;
    }
    return false;
}

struct Tally {
    int errors = 0, errorsMatched = 0;
    int warnings = 0, warningsFound = 0, followOns = 0; // pBibTeX's
    int checkWarnings = 0, checkWarningsGiven = 0;      // the check's
    int checkErrors = 0, checkNotes = 0;
    std::map<int, int> missed; // pBibTeX's warnings the check does not find, by what they say
    std::map<int, int> extra;  // the check's warnings pBibTeX does not give, by message
    std::map<int, int> notes;  // the check's notes, by message
};

// Runs pBibTeX on `bytes` and compares its log with the check of the same text.
void compareWithPbibtex(const QString& name, const QByteArray& bytes, const QString& pbibtex, Tally& tally) {
    SCOPED_TRACE(name.toStdString());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    text::writeFileBytes(dir.filePath(u"x.bib"_s), bytes);
    text::writeFileBytes(dir.filePath(u"x.aux"_s),
                         "\\relax\n\\citation{*}\n\\bibstyle{jplain}\n\\bibdata{x}\n");
    const text::DecodedText decoded = text::decodeText(bytes);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(pbibtex, {QString::fromLatin1(kanjiOption(decoded.format.encoding)), u"x"_s});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString log = text::decodeText(text::readFileBytes(dir.filePath(u"x.blg"_s))).text;

    const QList<int> lineMap = editorLines(bytes);
    CheckOptions options;
    options.notes = true;
    options.finalLineBreak = finalLineBreak(decoded.text, decoded.format, decoded.lineEnds);
    const QList<Finding> findings = checkText(decoded.text, options);
    int checkErrors = 0;
    QStringList broken; // entries the check reports an error in that cut their reading short
    for (const Finding& f : findings) {
        checkErrors += f.severity == Severity::Error;
        tally.checkErrors += f.severity == Severity::Error;
        tally.checkNotes += f.severity == Severity::Note;
        if (f.severity == Severity::Note) ++tally.notes[int(f.message)];
        // The label of "@misc{author = ...": the field name BibTeX read as one.
        if (f.severity == Severity::Error && f.message != Message::LabelRepeated &&
            f.message != Message::NameCommas)
            broken << (f.message == Message::MissingLabel ? f.arg1 : f.label);
    }
    // Marks every finding the predicate takes as one pBibTeX reports too.
    QList<bool> reported(findings.size(), false);
    const auto has = [&](auto&& predicate) {
        bool any = false;
        for (int i = 0; i < findings.size(); ++i)
            if (predicate(findings[i])) any = reported[i] = true;
        return any;
    };

    // "MESSAGE---line N of file x.bib": an error of the check that BibTeX would report at line N.
    static const QRegularExpression bibError(u"^(.*)---line (\\d+) of file x\\.bib$"_s,
                                             QRegularExpression::MultilineOption);
    int pbibtexErrors = 0;
    for (auto match = bibError.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        const int line = lineMap.value(m.captured(2).toInt(), -1);
        const bool repeated = m.captured(1) == u"Repeated entry";
        ++pbibtexErrors;
        ++tally.errors;
        const bool found = has([&](const Finding& f) {
            return f.severity == Severity::Error && f.bibtexLine == line &&
                   (!repeated || f.message == Message::LabelRepeated);
        });
        tally.errorsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    // Errors of the style in names: the check reports them in the entry's author or editor.
    static const QRegularExpression nameError(
        u"^(?:Name \\d+ in .* has a comma at the end|Too many commas in name \\d+ of .*) for entry (\\S+)$"_s,
        QRegularExpression::MultilineOption);
    for (auto match = nameError.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        ++pbibtexErrors;
        ++tally.errors;
        const bool found = has([&](const Finding& f) {
            return f.severity == Severity::Error && f.message == Message::NameCommas &&
                   f.label == m.captured(1);
        });
        tally.errorsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    // Every warning, and the bad cross references, which the check reports as warnings.
    for (const Report& r : readLog(log, lineMap)) {
        ++tally.warnings;
        if (!saidWhileReading(r.said) && broken.contains(r.label)) {
            // The style judged an entry cut short: the check gives the error instead.
            ++tally.followOns;
            continue;
        }
        const bool found = has([&](const Finding& f) { return saysTheSame(r, f); });
        tally.warningsFound += found;
        if (!found) ++tally.missed[int(r.said)];
        EXPECT_TRUE(found) << r.text.toStdString();
    }
    for (int i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        if (f.severity != Severity::Warning) continue;
        ++tally.checkWarnings;
        tally.checkWarningsGiven += reported[i];
        if (!reported[i]) ++tally.extra[int(f.message)];
        EXPECT_TRUE(reported[i]) << "line " << f.line << ": " << englishMessage(f).toStdString();
    }
    if (!log.contains(u"error message"_s)) {
        EXPECT_EQ(checkErrors, 0);
        EXPECT_EQ(pbibtexErrors, 0);
    }
}

// ---- the entries the entry form writes -------------------------------------------------------------

// What an author types into a slot that writes `field`.
QString typedValue(const QString& field) {
    static const QHash<QString, QString> values = {
        {u"author"_s, u"山田 太郎 and 佐藤 花子"_s},
        {u"editor"_s, u"鈴木 一郎"_s},
        {u"title"_s, u"文献管理について"_s},
        {u"journal"_s, u"情報処理学会論文誌"_s},
        {u"booktitle"_s, u"情報処理学会全国大会講演論文集"_s},
        {u"publisher"_s, u"岩波書店"_s},
        {u"address"_s, u"東京"_s},
        {u"school"_s, u"東京大学"_s},
        {u"institution"_s, u"情報処理学会"_s},
        {u"organization"_s, u"情報処理学会"_s},
        {u"howpublished"_s, u"ウェブページ"_s},
        {u"series"_s, u"情報科学講座"_s},
        {u"edition"_s, u"2"_s},
        {u"year"_s, u"2024"_s},
        {u"month"_s, u"4"_s},
        {u"volume"_s, u"65"_s},
        {u"number"_s, u"3"_s},
        {u"pages"_s, u"120--135"_s},
        {u"chapter"_s, u"4"_s},
        {u"type"_s, u"技術報告"_s},
        {u"note"_s, u"招待論文"_s},
        {u"yomi"_s, u"やまだ たろう and さとう はなこ"_s},
    };
    return values.value(field, u"x"_s);
}

// Entries of each category as the form writes them: the required slots alone (each option of a required
// choice), the required slots and one more (each option of each other slot), and every slot (the first
// options, then the second). As a new file of the form's: CP932 with CR LF.
QByteArray formEntries() {
    QStringList lines;
    int labels = 0;
    const auto write = [&](const oracle::Category& c, const QList<entry::FieldValue>& fields) {
        const entry::EntryByFields given = entry::entryByFields(c.index, u"form%1"_s.arg(++labels), fields);
        EXPECT_EQ(given.refusal, entry::FieldsRefusal::None) << c.entryType.toStdString();
        lines << entry::formatEntry(given.input);
    };
    for (const oracle::Category& c : oracle::categories()) {
        for (int option = 0; option < 2; ++option) {
            QList<entry::FieldValue> required, every;
            for (const oracle::Slot& s : c.slots) {
                const QStringList fields = s.fields();
                if (fields.isEmpty()) continue;
                const QString field = fields.value(option, fields.first());
                every.append({field, typedValue(field)});
                if (s.required) required.append({field, typedValue(field)});
            }
            write(c, required);
            write(c, every);
            if (option == 1) continue;
            for (const oracle::Slot& s : c.slots)
                if (!s.required)
                    for (const QString& field : s.fields())
                        write(c, required + QList<entry::FieldValue>{{field, typedValue(field)}});
        }
    }
    return text::encodeText(lines.join(u'\n'), text::defaultFormat()).bytes;
}

// The .bib files TeX Live ships, where it is installed.
QStringList texLiveFiles() {
    QStringList files;
    for (const QString& root : {u"/usr/share/texlive"_s, u"/usr/share/texmf"_s})
        for (QDirIterator it(root, {u"*.bib"_s}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next();
    files.sort();
    return files;
}

TEST(BibtexCheck, AgreesWithPbibtexOnEveryWarningAndError) {
    const QString pbibtex = QStandardPaths::findExecutable(u"pbibtex"_s);
    if (pbibtex.isEmpty())
        GTEST_SKIP() << "pbibtex is not installed (Debian: texlive-lang-japanese); the check is not compared";
    Tally tally;
    for (const Fault& fault : kFaults)
        compareWithPbibtex(QString::fromLatin1(fault.name), QString::fromUtf16(fault.text).toUtf8(), pbibtex,
                           tally);
    const QByteArray form = formEntries();
    const Tally beforeForm = tally;
    compareWithPbibtex(u"the entry form's entries"_s, form, pbibtex, tally);
    const int formWarnings = tally.warnings - beforeForm.warnings;
    const int formFound = tally.warningsFound - beforeForm.warningsFound;
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({u"*.bib"_s}, QDir::Files, QDir::Name);
    if (files.isEmpty()) std::cout << "[ note ] no corpus at " << LORVANE_CORPUS_DIR << "\n";
    for (const QString& file : files)
        compareWithPbibtex(file, text::readFileBytes(corpus.filePath(file)), pbibtex, tally);
    const QStringList texLive = texLiveFiles();
    if (texLive.isEmpty()) std::cout << "[ note ] no .bib files of TeX Live under /usr/share\n";
    for (const QString& file : texLive)
        compareWithPbibtex(file, text::readFileBytes(file), pbibtex, tally);

    std::cout << "[ tally ] " << std::size(kFaults) << " files with one fault, " << form.count('@')
              << " entries of the form (" << formWarnings << " warnings of pbibtex, " << formFound
              << " found), " << files.size() << " corpus files, " << texLive.size() << " files of TeX Live\n";
    std::cout << "[ tally ] pbibtex: " << tally.errors << " errors (" << tally.errorsMatched
              << " errors of the check), " << tally.warnings << " warnings and bad cross references, "
              << tally.followOns << " of them about an entry the check reports an error in; "
              << tally.warningsFound << " of the other " << tally.warnings - tally.followOns
              << " found by the check\n[ tally ] the check: " << tally.checkErrors << " errors, "
              << tally.checkWarnings << " warnings (" << tally.checkWarningsGiven << " given by pbibtex), "
              << tally.checkNotes << " notes\n";
    std::cout << "[ tally ] pbibtex's warnings the check does not find:";
    for (const auto& [said, count] : tally.missed)
        std::cout << " [" << kSaidNames[said] << "] " << count;
    std::cout << "\n[ tally ] the check's warnings pbibtex does not give:";
    const auto messageName = [](int message) {
        Finding f;
        f.message = Message(message);
        f.arg1 = u"X"_s;
        f.arg2 = u"Y"_s;
        return englishMessage(f).toStdString();
    };
    for (const auto& [message, count] : tally.extra)
        std::cout << " [" << messageName(message) << "] " << count;
    std::cout << "\n[ tally ] the check's notes:";
    for (const auto& [message, count] : tally.notes)
        std::cout << " [" << messageName(message) << "] " << count;
    std::cout << "\n";
}

} // namespace
