#pragma once
// Changing an entry already in a document through the entry form (entry_lines.h finds where it is): its
// fields read into the form's values, and the edits that make its text hold what the form holds while every
// character the user did not change stays as it was. The editor's 文献の修正 and `lorvane-cli edit`
// both use these.
#include "bibtex/check.h"
#include "bibtex/reader.h"
#include "entry/entry_format.h"
#include "entry/entry_lines.h"
#include "text/search.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

namespace entry {

// One field of an entry's text.
struct EntryField {
    QString name;            // as written
    QString value;           // as the form's slot shows it
    qsizetype nameStart = 0; // positions in the entry's text
    qsizetype valueEnd = 0;  // after the value's last part
    qsizetype commaEnd = -1; // after the "," that follows the value; -1 when none does
};

enum class EntryProblem : std::uint8_t {
    None,
    NoEntry,   // the text starts no entry
    Command,   // @string, @preamble or @comment
    OtherType, // a type that is none of the thirteen categories'
    Error,     // the reader gives up on the entry, or it is never closed
};

// An entry's text as BibTeX reads it: the first entry the text starts, up to its closing delimiter.
struct EntryText {
    EntryProblem problem = EntryProblem::NoEntry;
    int category = -1; // 0..12: the category of the entry's type (categoryOfType)
    QString type;      // as written
    qsizetype typeStart = 0;
    QString label;            // empty for an entry without one
    qsizetype labelStart = 0; // where the label stands, or would stand
    qsizetype headEnd = 0;    // after the "," that follows the label; after the label without one
    bool headComma = false;
    QList<EntryField> fields; // in the order written, a repeated field each time

    // The first field named `name` (lower case; the entry's names compare without regard to A-Z case).
    const EntryField* field(QStringView name) const;
};

EntryText readEntry(QStringView text);

// The form's value of every field of the entry (its first occurrence), by its name in lower case: the
// text inside its braces or quotes, or, for a value that is not one braced or quoted string (a number,
// an abbreviation, a "#" join), the value as written; the lines of a value meet at one blank.
QMap<QString, QString> fieldValues(const EntryText& entry);

// What the form holds when it shows `values` in the layout of `category` (0..12) with `label`: each
// shown slot its field's value; a choice pair the option whose field `values` holds (the first when both
// or neither do).
EntryInput inputShowing(int category, const QString& label, const QMap<QString, QString>& values);

// The edits of `text` (sorted, apart from each other) that make the entry `entry` (readEntry(text), without
// a problem) hold what `input` holds, written as the form writes a new entry where something changed:
// - a field whose slot holds what it showed keeps its text; a slot's field the entry does not have and an
//   empty slot add nothing;
// - a changed field is written in place of its old text; one the user emptied goes, with its lines;
// - a newly filled field goes after the nearest field before it in the form's order that the entry has
//   (or after the head);
// - a choice pair turned to the option whose field the entry lacks, while it has the other's, writes the
//   new field in place of the other (or, emptied, removes it); where the entry has both, the field of the
//   option not chosen stays as it is;
// - fields without a slot stay as they are; another category changes the type word (the same one keeps
//   it as written, a style's other name too), a new label the label.
// A field that stands on lines of its own is written as a line of its own (fieldLine); one that shares
// its line with more of the entry (an entry on one line) is changed inside the line (fieldText). New
// lines are joined with '\n'.
QList<text::TextEdit> entryEdits(QStringView text, const EntryText& entry, const EntryInput& input);

// The form's label check: `label` is refused when `labelInUse` finds it in the document, except that an
// entry being changed keeps its own label (`ownLabel`), in any letter case. A new entry has none.
bool labelRefused(const QString& label, const std::optional<QString>& ownLabel,
                  const std::function<bool(const QString&)>& labelInUse);

// What the user reads when the caret stands in no entry that can be changed.
inline const QString kNoEntryToEdit =
    QStringLiteral("カーソルの位置に修正できる文献がありません\r\n"
                   "修正する文献の @ の行から閉じかっこの行までのどこかにカーソルを置いてください "
                   "(@string、@preamble、@comment は修正できません)");
// Why the entry `text` (read as `entry`, its head on line `headLine`, 1-based) cannot be changed through
// the form; empty when it can. An error is worded as the check words it.
QString editRefusal(QStringView text, const EntryText& entry, int headLine);
// The first error the check finds in an entry's text (its line counted from the entry's first, 1); none
// where it finds none.
std::optional<bibtex::Finding> entryError(QStringView text);

} // namespace entry
