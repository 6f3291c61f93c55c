#pragma once
// The check of a .bib text: what the Japanese BibTeX with its standard style will reject or warn about,
// and what is likely a slip beyond that, found before BibTeX runs. The text is read through readLine, as
// the colouring reads it; the editor's window and lorvane-cli print the same findings, in Japanese and in
// English.

#include "text/encoding.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace bibtex {

enum class Severity : std::uint8_t { Error, Warning, Note };

// What a finding says. Each message has one severity and one wording in each language (check.cpp); the
// finding's arguments fill it in as noted.
enum class Message : std::uint8_t {
    // Errors: BibTeX stops reading the entry there.
    NotClosed,        // arg1: the "{", "(" or '"' that is never closed
    NoEntryType,      // "@" with no type after it
    NoOpening,        // a type with neither "{" nor "(" after it
    NoComma,          // neither "," nor the entry's closing after a label or a value on the same line
    NoCommaAtLineEnd, // the same, where the label or value ends its line: reported on that line
    NoClosing,        // arg1: the "}" or ")" that @string or @preamble is to end with
    NoFieldName,      // "," followed by no field name
    NoEquals,         // a field name without "="
    NoValue,          // "=" or "#" without a value
    UnbalancedBraces, // a "}" in a quoted value that no "{" opened
    LabelRepeated,    // otherLine: the label's other use
    MissingLabel,     // arg1: the field name that was read as the label ("@article{title = ...")
    NameCommas, // arg1: "author", "editor" or "yomi"; arg2: which name (1-based) has a "," too many or last
    // Warnings: what the standard Japanese style warns about, and what BibTeX warns about while reading.
    // arg2 of those about a type's fields: the entry type.
    EmptyField,         // fields: every one of them empty ("author", or "author" and "editor")
    BothFields,         // fields: the two that the style prints only the first of
    NumberWithout,      // arg1: "volume" or "series", empty where number is not
    MonthNoYear,        // a month but no year
    SortNeeds,          // fields: the sort fields, all empty
    AllEmpty,           // fields: the fields misc prints, all empty, with a key
    CrossrefNeeds,      // fields: what names the crossref's entry, all empty; arg1: that entry's label
    CrossrefVolume,     // an empty volume where the crossref's entry is a book; arg1: its label
    NestedCrossref,     // arg1: the label of the crossref's entry, which has a crossref of its own
    TypeUndefined,      // arg1: the type, which the style prints as misc
    TypeUndefinedDrops, // the same; fields: the entry's fields that misc leaves out
    FieldRepeated,      // arg1: the field name
    UndefinedString,    // arg1: the abbreviation
    NoCrossrefEntry,    // arg1: the label crossref names
    // Notes: what BibTeX accepts silently but is likely a slip.
    FieldRepeatedUnread,   // arg1: a field the style does not read, given twice
    UndefinedStringUnread, // arg1: the abbreviation, in a field the style does not read
    NoLabel,               // an entry with an empty label
    IgnoredAtEnd,          // an entry after another on the file's last line, which BibTeX never reads
    NoYomi,                // arg1: "author" or "editor"
    Unencodable,           // arg1: the characters; arg2: the encoding's name
    SameDoi,               // arg1: the other entry's label; otherLine: its head
    SameTitle,             // arg1: the other entry's label; otherLine: its head
    SingleHyphen,          // arg1: the pages value
};

struct Finding {
    int line = 0; // 1-based, as the editor counts lines
    int bibtexLine =
        0; // where BibTeX reports it: the same, unless the check points back to where the fault began
    Severity severity = Severity::Error;
    Message message = Message::NotClosed;
    QString label; // the entry's label, where there is one
    QString arg1;
    QString arg2;
    QStringList fields; // the field names a message lists, in the style's order
    // The other place a finding names (1-based; 0: none), as the text stood when it was checked. A window
    // that keeps findings while the text changes words them with the line that place has moved to.
    int otherLine = 0;
    friend bool operator==(const Finding&, const Finding&) = default;
};

struct CheckOptions {
    // The document's encoding: characters it cannot hold get a note. None: no such note.
    std::optional<text::Encoding> encoding;
    bool notes = true;
    // How the text's final line break is written in the file. BibTeX stops reading once the file's last
    // line is in, so it never reads an entry that follows another on that line; after a final CR LF that
    // last line is the empty one BibTeX sees between CR and LF.
    text::LineBreak finalLineBreak = text::LineBreak::Lf;
};

// The line break the file writes after the text's last line break, for CheckOptions::finalLineBreak.
inline text::LineBreak finalLineBreak(QStringView text, const text::TextFormat& format,
                                      const text::LineEnds& lineEnds) {
    const int line = int(text.count(u'\n')) - 1; // the line that the final line break ends
    if (!lineEnds.isEmpty() && lineEnds.constLast().line == line) return lineEnds.constLast().lineBreak;
    return format.lineBreak;
}

// Lines are separated by '\n'. Sorted by line; on one line errors come before warnings before notes.
QList<Finding> checkText(QStringView text, const CheckOptions& options = {});

// The severity every finding of a message has.
Severity severityOf(Message message);
QString japaneseMessage(const Finding& finding);
QString englishMessage(const Finding& finding);  // names the label where there is one
QString severityName(Severity severity);         // "error", "warning", "note"
QString japaneseSeverityName(Severity severity); // "エラー", "警告", "注意"

} // namespace bibtex
