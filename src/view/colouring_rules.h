#pragma once
// The rules of the colouring, apart from the store whose lines it reads: the look of each kind of run, how a
// line's runs become formats, how a reading state is kept beside a line, and which brace, parenthesis or
// quote matches the one at the caret.
#include "bibtex/reader.h"

#include <QColor>
#include <QList>
#include <QTextCharFormat>
#include <QTextLayout>

#include <array>
#include <optional>

class QPalette;

namespace view {

// Lines re-read beyond those a change touched before the rest waits until it is needed: a typed brace
// that opens the rest of the file costs no more than this.
inline constexpr int kReadOnAfterChange = 2000;
// How far the matching brace is looked for, in lines each way.
inline constexpr int kMatchReach = 2000;
// Lines on screen this far below the last known one are coloured from a guess: read from the nearest entry
// head above them (at most kGuessBack lines up) as if no entry were open there, until the reading from the
// top reaches them (in the background) and corrects what differs.
inline constexpr int kGuessBeyond = 20000;
inline constexpr int kGuessBack = 1000;
// A slice of the background reading, in nanoseconds: the window answers between slices.
inline constexpr qint64 kSliceNs = 4'000'000;

// The formats of the colouring, made from a palette.
struct ColouringLook {
    std::array<QTextCharFormat, 13> formats; // by bibtex::Token
    QTextCharFormat match;                   // the matching brace and the one at the caret
    QColor entry;                            // the band under the caret's entry
    const QTextCharFormat& of(bibtex::Token token) const { return formats[std::size_t(token)]; }
};
ColouringLook colouringLook(const QPalette& palette);

// The packed state as a line keeps it beside its flags (document/line_state.h). Only a brace depth of
// millions (a hostile file) needs more bits than that: such a depth is kept as the deepest a line holds.
int storableState(bibtex::LineState state);
// The state as it reads back once kept.
inline bibtex::LineState keptState(bibtex::LineState state) {
    return bibtex::LineState::fromPacked(storableState(state));
}

// The formats of a line read from `start`. The view shapes a line piece by piece of one format, and fewer
// pieces keep a keystroke's new layout of the line quick: the blanks before the first run and after each
// run take its format (an error's keep the background), and runs of one format that meet are one piece.
QList<QTextLayout::FormatRange> lineFormats(QStringView text, bibtex::LineState start,
                                            const ColouringLook& look);

// The brace, parenthesis or quote at the caret and the one that matches it, as positions in the text.
struct MatchedPair {
    qsizetype at = -1;
    qsizetype match = -1;
};

// The pair at a caret at `column` of `line` with no selection: the character after the caret, else the
// one before it. A brace or parenthesis matches the one that balances it, at most kMatchReach lines away;
// a quote the other end of the quoted value it opens or closes on its line.
// `lines` offers previous(line), next(line), isValid(line), text(line) (a QString), position(line) (of its
// first character in the text) and start(line) (the reading state at its start, made known).
template <typename Line, typename Lines>
std::optional<MatchedPair> matchAtCaret(const Line& line, qsizetype column, const Lines& lines) {
    const QString text = lines.text(line);
    const qsizetype position = lines.position(line);
    for (const qsizetype at : {column, column - 1}) {
        if (at < 0 || at >= text.size()) continue;
        const QChar c = text[at];
        qsizetype match = -1;
        if (c == u'{' || c == u'}' || c == u'(' || c == u')') {
            const bool forward = c == u'{' || c == u'(';
            const QChar open = c == u'{' || c == u'}' ? u'{' : u'(';
            const QChar close = open == u'{' ? u'}' : u')';
            int depth = 0;
            Line b = line;
            QString chars = text;
            qsizetype i = at;
            for (int n = 0; lines.isValid(b) && n < kMatchReach && match < 0; ++n) {
                for (; forward ? i < chars.size() : i >= 0; i += forward ? 1 : -1) {
                    if (chars[i] == open) depth += forward ? 1 : -1;
                    if (chars[i] == close) depth += forward ? -1 : 1;
                    if (depth == 0) {
                        match = lines.position(b) + i;
                        break;
                    }
                }
                b = forward ? lines.next(b) : lines.previous(b);
                chars = lines.isValid(b) ? lines.text(b) : QString();
                i = forward ? 0 : chars.size() - 1;
            }
        } else if (c == u'"') {
            QList<bibtex::Run> runs;
            bibtex::readLine(text, lines.start(line), &runs);
            for (const bibtex::Run& run : runs) {
                const int end = run.start + run.length - 1;
                if (run.token != bibtex::Token::Quoted || end == run.start || text[run.start] != u'"' ||
                    text[end] != u'"')
                    continue;
                if (at == run.start) match = position + end;
                if (at == end) match = position + run.start;
            }
        }
        if (match >= 0) return MatchedPair{position + at, match};
    }
    return std::nullopt;
}

} // namespace view
