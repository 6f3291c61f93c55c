#pragma once
// Reading .bib text as BibTeX reads a database, one line at a time. The editor's colouring reads each
// line from the state its previous line ended in (kept in the line's block), and the check reads the
// whole text through the same function, so both see exactly what BibTeX will see.

#include <QList>
#include <QStringView>

#include <cstdint>

namespace bibtex {

// The characters BibTeX allows in entry types, field names and @string names: everything but the
// control characters, the blank and "#%'(),={} (every character beyond ASCII is allowed).
constexpr bool isIdentifierChar(char16_t c) {
    if (c >= 0x80) return true;
    if (c <= u' ') return false;
    switch (c) {
    case u'"':
    case u'#':
    case u'%':
    case u'\'':
    case u'(':
    case u')':
    case u',':
    case u'=':
    case u'{':
    case u'}':
        return false;
    default:
        return true;
    }
}

// What a run of a line is to BibTeX.
enum class Token : std::uint8_t {
    Comment,      // text outside every entry, which BibTeX skips, and what @comment leaves to it
    At,           // the "@" that starts an entry
    EntryType,    // the type after "@" ("article", "book", ...)
    Command,      // a type BibTeX treats apart: "string", "preamble", "comment"
    Delimiter,    // an entry's own opening "{" or "(" and its closing "}" or ")"
    Label,        // an entry's key
    FieldName,    // a field's name, or the name a @string defines
    Punctuation,  // "=", "," and the "#" that joins the parts of a value
    Braced,       // a value part in braces, braces included (one run per line it spans)
    Quoted,       // a value part in double quotes, quotes included (one run per line it spans)
    Number,       // a value part of digits
    Abbreviation, // a value part that names a @string
    Error,        // where BibTeX gives up on the entry; the run says why in its problem
};

// Why BibTeX gives up on an entry: each is one of its error messages. After one, BibTeX skips to the
// next "@", and so does the reader.
enum class Problem : std::uint8_t {
    None,
    NoEntryType,      // "@" with no type after it
    NoOpening,        // a type with neither "{" nor "(" after it
    NoLabel,          // an entry with no key
    NoComma,          // neither "," nor the closing delimiter after a key or a value
    NoFieldName,      // "," followed by something no field name starts with
    NoEquals,         // a field name without "=" after it
    NoValue,          // "=" or "#" with no value part after it
    UnbalancedBraces, // a "}" that closes more than was opened in a value
};

struct Run {
    int start = 0;
    int length = 0;
    Token token = Token::Comment;
    Problem problem = Problem::None; // for Token::Error
};

// Where the reader stands at a line's start. The default is the start of a file: outside every entry.
class LineState {
public:
    LineState() = default;
    // A number >= 0, kept with each line in the line table; equal states give equal numbers, so a recoloured line
    // whose end state did not change stops the recolouring there.
    int packed() const { return static_cast<int>(bits_); }
    static LineState fromPacked(int packed);
    // No entry is open: what follows is comment text until the next "@".
    bool outsideEntries() const;
    friend bool operator==(LineState, LineState) = default;

private:
    std::uint32_t bits_ = 0; // phase, delimiter, kind of entry and brace depth, laid out by reader.cpp
    friend class Reader;
};

// Reads one line (without its line end) from `start`; returns the state the next line starts in.
// `runs`, when given, is replaced by the line's runs in order, without overlap; blanks between
// tokens may belong to no run.
LineState readLine(QStringView line, LineState start, QList<Run>* runs = nullptr);

} // namespace bibtex
