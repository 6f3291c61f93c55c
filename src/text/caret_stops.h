#pragma once
// Where the caret stops inside one line of text: between graphemes (the arrows, Delete), after a code
// point (Backspace), and at words (Ctrl+arrows, a double-click, Ctrl+Backspace and Ctrl+Delete).
//
// Words are runs of one kind: blanks, ASCII punctuation, and the rest. The rest is cut again where
// Japanese changes script (kanji, hiragana, katakana, the other characters), so that Ctrl+Right walks
// 日本語|の|文章|です|。 and not over a whole sentence at once, while a katakana word with its long-vowel
// marks (データ) stays one. Text in Latin letters stops where a desktop editor stops. Only the text within
// kReach characters of the position is read, so a 10 MB line costs no more than a short one.
#include <QStringView>

#include <utility>

namespace text {

constexpr qsizetype kReach = 1024;

// The grapheme boundary after `position` (the line's length at its end) and before it (0 at its start).
qsizetype nextGrapheme(QStringView line, qsizetype position);
qsizetype previousGrapheme(QStringView line, qsizetype position);
// The code point before `position` begins here: Backspace takes one code point, so that a combining
// mark typed last is erased alone.
qsizetype previousCodePoint(QStringView line, qsizetype position);

// The start of the next word after `position`, or the line's end; the start of the word before it, or 0.
qsizetype nextWordStop(QStringView line, qsizetype position);
qsizetype previousWordStop(QStringView line, qsizetype position);
// The word a double-click at `position` selects, [first, second), as the editor has always chosen it: the
// word that begins at the last word stop before the next grapheme (a blank belongs to the word before it),
// to the end of its run of one kind. Nothing at the end of a line that ends in a blank or punctuation.
std::pair<qsizetype, qsizetype> wordAround(QStringView line, qsizetype position);

} // namespace text
