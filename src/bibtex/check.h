#pragma once
// The check of a .bib text: what the Japanese BibTeX with its standard style will reject or warn about,
// and what is likely a slip beyond that, found before BibTeX runs. The text is read through readLine, as
// the colouring reads it; the editor's window and lorvane-cli print the same findings, in Japanese and in
// English.

#include "text/encoding.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace bibtex {

enum class Severity : std::uint8_t { Error, Warning, Note };

// What a finding says; arg1 and arg2 of the finding fill it in as noted.
enum class Message : std::uint8_t {
    // Errors: BibTeX stops reading the entry there.
    NotClosed,        // arg1: the "{", "(" or '"' that is never closed
    NoEntryType,      // "@" with no type after it
    NoOpening,        // a type with neither "{" nor "(" after it
    NoComma,          // arg1: what may come here: ", }" or ", )", or "}" / ")" in @string and @preamble
    NoFieldName,      // "," followed by no field name
    NoEquals,         // a field name without "="
    NoValue,          // "=" or "#" without a value
    UnbalancedBraces, // a "}" in a quoted value that no "{" opened
    LabelRepeated,    // otherLine: the label's other use
    MissingLabel,     // arg1: the field name that was read as the label ("@article{title = ...")
    NameCommas, // arg1: "author", "editor" or "yomi"; arg2: which name (1-based) has a "," too many or last
    // Warnings: what the standard Japanese style warns about, and what BibTeX warns about while reading.
    NoLabel,    // an entry with an empty label
    EmptyField, // arg1: the field ("author", or "author and editor", "chapter and pages"); arg2: the type
    AuthorAndEditor, // arg2: the type
    SortNeeds,     // arg1: the fields of which one is needed: "author or key", "author, editor, or key", ...
    FieldRepeated, // arg1: the field name
    UndefinedString, // arg1: the abbreviation
    NoCrossrefEntry, // arg1: the label crossref names
    IgnoredAtEnd,    // an entry after another on the file's last line, which BibTeX never reads
    // Notes: ours, beyond BibTeX.
    NoYomi,       // arg1: "author" or "editor"
    Unencodable,  // arg1: the characters; arg2: the encoding's name
    SameDoi,      // arg1: the other entry's label; otherLine: its head
    SameTitle,    // arg1: the other entry's label; otherLine: its head
    SingleHyphen, // arg1: the pages value
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

QString japaneseMessage(const Finding& finding);
QString englishMessage(const Finding& finding);  // names the label where there is one
QString severityName(Severity severity);         // "error", "warning", "note"
QString japaneseSeverityName(Severity severity); // "エラー", "警告", "注意"

} // namespace bibtex
