#pragma once
// What the document knows of each line, in chunks of about a thousand lines: where the line starts, the
// reading state at its start (packed as line_state.h says), the line end it has in its file and the rows
// it takes on screen. A change rewrites the chunks it touches and shifts the starts of the chunks after
// it: an Enter costs one chunk, not a move of every line below it. A chunk keeps no states, line ends or
// rows until one of its lines has one other than the default, so a text just adopted costs four bytes a
// line.
#include "text/encoding.h"

#include <QStringView>

#include <optional>
#include <span>
#include <vector>

namespace document {

// How a line ends in its file: the document's usual line end (nullopt) or one of its own. The last line
// has one too, which a line break typed at its end gives the new line.
using LineEnding = std::optional<text::LineBreak>;

class LineTable {
public:
    static constexpr int kChunkLines = 1024;
    // Offsets inside a chunk are 32 bits: a chunk is cut before a line that starts this far into it.
    static constexpr qsizetype kMaxChunkCharacters = qsizetype(1) << 30;

    // `chunkLines` and `maxChunkCharacters` are small in tests, so that few lines cross many chunks.
    explicit LineTable(int chunkLines = kChunkLines, qsizetype maxChunkCharacters = kMaxChunkCharacters);

    // The lines of `text` ('\n' between lines), every one with the usual line end but those `lineEnds`
    // lists; no state known, one row each.
    void reset(QStringView text, const text::LineEnds& lineEnds);

    qsizetype lineCount() const { return lineCount_; }
    qsizetype textSize() const { return textSize_; }
    qsizetype lineStart(qsizetype line) const;
    // The line's characters, its line break not counted.
    qsizetype lineLength(qsizetype line) const;
    // The length of the longest line: a walk over the starts, never over the text.
    qsizetype longestLine() const;
    // The line holding `position`; a line break belongs to the line it ends.
    qsizetype lineAt(qsizetype position) const;

    LineEnding lineEnd(qsizetype line) const;
    // The ends of lines [first, last) appended to `ends`.
    void appendLineEnds(qsizetype first, qsizetype last, std::vector<LineEnding>& ends) const;
    // The lines whose end is not the usual one, in order, as a file's encoder takes them.
    text::LineEnds lineEnds() const;

    // The reading state at the line's start as the colouring keeps it (line_state.h); line_state::kMade
    // for a line whose state nobody has set since it was made.
    int state(qsizetype line) const;
    void setState(qsizetype line, int state);

    // Rows on screen: one until the view lays the line out and says otherwise.
    int rows(qsizetype line) const;
    void setRows(qsizetype line, int rows);
    qsizetype rowCount() const { return rowCount_; }
    qsizetype firstRowOf(qsizetype line) const;
    // The line that shows row `row` (the last line for a row beyond the last).
    qsizetype lineAtRow(qsizetype row) const;

    // [from, from + removed) of the text replaced by `inserted` characters with a line break at each of
    // `breaks` (offsets into the inserted text, ascending), ending as `breakEnds` says (one each). The
    // lines holding `from` and `from + removed`, first to last, become first to first + breaks.size():
    // the first keeps its state (uncoloured) and rows, the others are made afresh, and the last ends as
    // the old last line did, since that line's break is the one still there.
    void replace(qsizetype from, qsizetype removed, qsizetype inserted, std::span<const qsizetype> breaks,
                 std::span<const LineEnding> breakEnds);

    qsizetype chunkCount() const { return qsizetype(chunks_.size()); }
    qsizetype memoryBytes() const;

private:
    // One line as a change rebuilds chunks.
    struct Line {
        qsizetype start;
        qint32 state;
        quint8 end; // 0: the usual line end; otherwise 1 + text::LineBreak
        qint32 rows;
    };
    struct Chunk {
        qsizetype start = 0; // of its first line
        qsizetype firstLine = 0;
        qsizetype rowSum = 0;
        qsizetype ownEnds = 0;       // lines whose end is not the usual one
        std::vector<quint32> starts; // from `start`; the first is 0
        std::vector<qint32> states;  // empty: every line's is line_state::kMade
        std::vector<quint8> ends;    // empty: every line ends the usual way
        std::vector<qint32> rows;    // empty: one row each
        qsizetype size() const { return qsizetype(starts.size()); }
        Line line(qsizetype i) const;
    };

    qsizetype chunkOfLine(qsizetype line) const;
    qsizetype chunkOfPosition(qsizetype position) const;
    // Cuts `lines` into chunks and puts them in place of chunks [first, last].
    void pack(std::vector<Line>& lines, qsizetype first, qsizetype last);
    Chunk makeChunk(std::span<const Line> lines) const;
    // A change inside chunk `c`, from its line `ai` to its line `aj`, made in its vectors.
    void editInPlace(Chunk& c, qsizetype ai, qsizetype aj, qsizetype from, qsizetype delta,
                     std::span<const qsizetype> breaks, std::span<const LineEnding> breakEnds);

    int chunkLines_;
    qsizetype maxChunkCharacters_;
    std::vector<Chunk> chunks_; // never empty: an empty text has one empty line
    qsizetype lineCount_ = 1;
    qsizetype textSize_ = 0;
    qsizetype rowCount_ = 1;
};

} // namespace document
