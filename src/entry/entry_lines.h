#pragma once
// Where the entries of a text are, line by line, as the BibTeX reader reads them: the caret's band and
// 文献の修正 in the editor, and `lorvane-cli edit`, find an entry by these rules.
//
// An entry is an "@" with its type and its opening "{" or "(" (so @string and @preamble are entries,
// @comment is none), from the line of its "@" to the line where the reader is outside every entry again:
// its closing delimiter, or an error. Two cuts keep an entry never closed from taking the rest of the
// text: it ends before the next line that opens an entry (`opensEntry`), which is read afresh as if
// outside every entry, and after kEntryReach lines.
#include "bibtex/reader.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

namespace entry {

// How far an entry is looked for, in lines: the start of its reading above a line, its end below its head.
inline constexpr int kEntryReach = 2000;

// Whether the line begins, after blanks, with "@", a type and its opening "{" or "(" (blanks allowed
// between them): a line where an entry begins.
bool opensEntry(QStringView line);

// The lines (0-based, first to last) of an entry, and where its "@" stands in its first line.
struct EntryLines {
    int first = -1;
    int last = -1;
    qsizetype column = 0;
    bool found() const { return first >= 0; }
    friend bool operator==(const EntryLines&, const EntryLines&) = default;
};

// Reads lines one after another, from one where the reading is outside every entry, and keeps the
// entries it finds (lines numbered from that one, 0).
class EntryReading {
public:
    void read(QStringView line);
    // No more lines: an entry still open ends at the last line read.
    void finish();
    // The entries ended so far, in order.
    const QList<EntryLines>& entries() const { return entries_; }
    // The first entry ended so far whose lines hold `line`; none found otherwise.
    EntryLines holding(int line) const;
    // Whether an entry that began on `line` or before it may still be open, so that lines still to be read
    // decide where it ends.
    bool mayHold(int line) const;

private:
    void end(int last);

    bibtex::LineState state_;
    int lines_ = 0; // lines read
    QList<EntryLines> entries_;
    EntryLines open_; // found while an entry is open
    int atLine_ = -1; // an "@" and its type whose opening delimiter has not come yet
    qsizetype atColumn_ = 0;
    QList<bibtex::Run> runs_;
};

// An entry's first and last line and the column of its "@", as lines of some kind.
template <typename Line> struct EntryAt {
    Line first;
    qsizetype column = 0;
    Line last;
};

// The entry line `line` stands in: the first entry, in the order read, whose lines hold it. The reading
// starts at the nearest line at or above it that is known to start outside every entry, opens an entry,
// or is the first, at most kEntryReach lines up (never at the top of a long text).
// `lines` offers previous(line), next(line), isValid(line), text(line) and knownStart(line) (an optional
// bibtex::LineState: the start of the line as reading from the top gives it, where the caller knows it).
template <typename Line, typename Lines>
std::optional<EntryAt<Line>> entryAround(const Line& line, const Lines& lines) {
    using Text = std::decay_t<decltype(lines.text(line))>;
    std::vector<Line> read{line};
    std::vector<Text> texts{lines.text(line)};
    for (;;) {
        if (const std::optional<bibtex::LineState> known = lines.knownStart(read.back());
            known && known->outsideEntries())
            break;
        if (opensEntry(texts.back())) break;
        const Line previous = lines.previous(read.back());
        if (!lines.isValid(previous)) break;
        if (int(read.size()) > kEntryReach) return std::nullopt;
        read.push_back(previous);
        texts.push_back(lines.text(previous));
    }
    std::reverse(read.begin(), read.end());
    std::reverse(texts.begin(), texts.end());
    const int target = int(read.size()) - 1;
    EntryReading reading;
    for (int i = 0;; ++i) {
        if (i == int(read.size())) {
            const Line next = lines.next(read.back());
            if (!lines.isValid(next)) {
                reading.finish();
                break;
            }
            read.push_back(next);
            texts.push_back(lines.text(next));
        }
        reading.read(texts[std::size_t(i)]);
        if (i < target) continue;
        if (const EntryLines e = reading.holding(target); e.found())
            return EntryAt<Line>{read[std::size_t(e.first)], e.column, read[std::size_t(e.last)]};
        if (!reading.mayHold(target)) return std::nullopt;
    }
    if (const EntryLines e = reading.holding(target); e.found())
        return EntryAt<Line>{read[std::size_t(e.first)], e.column, read[std::size_t(e.last)]};
    return std::nullopt;
}

// Where an entry's text stands in a text: from its "@" to the end of its last line.
struct EntrySpan {
    EntryLines lines;
    qsizetype position = 0;
    qsizetype length = 0;
    bool found() const { return lines.found(); }
};

// Every entry of `text` ('\n' between lines), read from its first line.
QList<EntrySpan> entriesOf(QStringView text);
// The first entry of `text` whose label is `label` (A-Z compared without regard to case); none found for
// an empty label. The command line's edit finds its entry so, and 文献へ移動 an entry its index does not
// know.
EntrySpan entryOfLabel(QStringView text, QStringView label);

} // namespace entry
