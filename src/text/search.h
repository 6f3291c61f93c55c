#pragma once
// Find and replace over the editor's text (lines separated by '\n'; positions are offsets into it).
// Matches take whole characters: none begins on the second half or ends on the first half of a
// surrogate pair. An empty find text is never found.
#include <QList>
#include <QString>
#include <QStringView>

namespace text {

// Find Next: the first occurrence at or after `from` with letter case ignored, or -1 (no wrap-around).
// Case is ignored by Unicode simple case folding, character by character (A/a, Ａ/ａ, É/é, Α/α, Ⅰ/ⅰ):
// a document may be UTF-8 and hold any letters. That folding never changes a character's length, so a
// hit is always needle.size() long.
qsizetype findNext(QStringView text, QStringView needle, qsizetype from);

// Replace: the first occurrence from the beginning, exact case, or -1.
qsizetype findFirstExact(QStringView text, QStringView needle);

// A change to the original text: `length` characters at `position` become `replacement`.
struct TextEdit {
    qsizetype position;
    qsizetype length;
    QString replacement;

    bool operator==(const TextEdit&) const = default;
};

struct ReplaceAllResult {
    int count;
    QList<TextEdit> edits; // sorted, apart from each other, on the text as it was
};

// Replace All: replaces the first exact occurrence in the current text until there is none, so text an
// earlier replacement produced is searched too ("aa" by "a" makes "aaaa" into "a" in 3 replacements).
// Where that would never end (always when the replacement contains the find text, and some other
// times), each occurrence of the original text is replaced instead, left to right without overlaps. A
// shorter replacement always ends and is followed to its end. With a replacement at least as long, a run
// that keeps making new occurrences for more than about twice the text's length in characters read
// again is taken as never ending.
ReplaceAllResult replaceAll(QStringView text, QStringView needle, QStringView replacement);

// The text with sorted, non-overlapping edits made.
QString applyEdits(QStringView text, const QList<TextEdit>& edits);

} // namespace text
