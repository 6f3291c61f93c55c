#include "document/line_table.h"

#include "document/line_state.h"

#include <algorithm>
#include <numeric>

namespace document {

namespace {

constexpr quint8 codeOf(LineEnding end) {
    return end ? quint8(1 + quint8(*end)) : quint8(0);
}

constexpr LineEnding endOf(quint8 code) {
    return code == 0 ? LineEnding() : LineEnding(text::LineBreak(code - 1));
}

} // namespace

LineTable::Line LineTable::Chunk::line(qsizetype i) const {
    return {start + starts[size_t(i)], states.empty() ? line_state::kMade : states[size_t(i)],
            ends.empty() ? quint8(0) : ends[size_t(i)], rows.empty() ? 1 : rows[size_t(i)]};
}

LineTable::LineTable(int chunkLines, qsizetype maxChunkCharacters)
    : chunkLines_(std::max(chunkLines, 1)), maxChunkCharacters_(maxChunkCharacters) {
    reset({}, {});
}

void LineTable::reset(QStringView text, const text::LineEnds& lineEnds) {
    chunks_.clear();
    textSize_ = text.size();
    auto own = lineEnds.cbegin();
    qsizetype line = 0;
    for (qsizetype position = 0;; ++line) {
        if (chunks_.empty() || chunks_.back().size() == chunkLines_ ||
            position - chunks_.back().start > maxChunkCharacters_) {
            Chunk& chunk = chunks_.emplace_back();
            chunk.start = position;
            chunk.firstLine = line;
            chunk.starts.reserve(size_t(chunkLines_));
        }
        Chunk& chunk = chunks_.back();
        chunk.starts.push_back(quint32(position - chunk.start));
        while (own != lineEnds.cend() && own->line < line)
            ++own;
        if (own != lineEnds.cend() && own->line == line) {
            chunk.ends.resize(chunk.starts.size() - 1, 0);
            chunk.ends.push_back(codeOf(own->lineBreak));
            ++chunk.ownEnds;
        } else if (!chunk.ends.empty()) {
            chunk.ends.push_back(0);
        }
        const qsizetype end = text.indexOf(u'\n', position);
        if (end < 0) break;
        position = end + 1;
    }
    for (Chunk& chunk : chunks_)
        chunk.rowSum = chunk.size();
    lineCount_ = rowCount_ = line + 1;
}

qsizetype LineTable::chunkOfLine(qsizetype line) const {
    const auto it = std::upper_bound(chunks_.cbegin(), chunks_.cend(), line,
                                     [](qsizetype l, const Chunk& c) { return l < c.firstLine; });
    return qsizetype(it - chunks_.cbegin()) - 1;
}

qsizetype LineTable::chunkOfPosition(qsizetype position) const {
    const auto it = std::upper_bound(chunks_.cbegin(), chunks_.cend(), position,
                                     [](qsizetype p, const Chunk& c) { return p < c.start; });
    return std::max<qsizetype>(qsizetype(it - chunks_.cbegin()) - 1, 0);
}

qsizetype LineTable::lineStart(qsizetype line) const {
    const Chunk& c = chunks_[size_t(chunkOfLine(line))];
    return c.start + c.starts[size_t(line - c.firstLine)];
}

qsizetype LineTable::lineLength(qsizetype line) const {
    return (line + 1 < lineCount_ ? lineStart(line + 1) - 1 : textSize_) - lineStart(line);
}

qsizetype LineTable::longestLine() const {
    qsizetype longest = 0;
    for (size_t c = 0; c < chunks_.size(); ++c) {
        const Chunk& chunk = chunks_[c];
        for (size_t i = 1; i < chunk.starts.size(); ++i)
            longest = std::max<qsizetype>(longest, chunk.starts[i] - chunk.starts[i - 1] - 1);
        // The chunk's last line ends before the next chunk's first, or with the text.
        const qsizetype end = c + 1 < chunks_.size() ? chunks_[c + 1].start - 1 : textSize_;
        longest = std::max(longest, end - chunk.start - qsizetype(chunk.starts.back()));
    }
    return longest;
}

qsizetype LineTable::lineAt(qsizetype position) const {
    const Chunk& c = chunks_[size_t(chunkOfPosition(position))];
    const auto it = std::upper_bound(c.starts.cbegin(), c.starts.cend(), position - c.start,
                                     [](qsizetype p, quint32 s) { return p < qsizetype(s); });
    return c.firstLine + qsizetype(it - c.starts.cbegin()) - 1;
}

LineEnding LineTable::lineEnd(qsizetype line) const {
    const Chunk& c = chunks_[size_t(chunkOfLine(line))];
    return c.ends.empty() ? LineEnding() : endOf(c.ends[size_t(line - c.firstLine)]);
}

void LineTable::appendLineEnds(qsizetype first, qsizetype last, std::vector<LineEnding>& ends) const {
    for (qsizetype c = first < last ? chunkOfLine(first) : chunkCount(); c < chunkCount(); ++c) {
        const Chunk& chunk = chunks_[size_t(c)];
        const qsizetype from = std::max(first, chunk.firstLine) - chunk.firstLine;
        const qsizetype to = std::min(last, chunk.firstLine + chunk.size()) - chunk.firstLine;
        if (to <= from) break;
        for (qsizetype i = from; i < to; ++i)
            ends.push_back(chunk.ends.empty() ? LineEnding() : endOf(chunk.ends[size_t(i)]));
    }
}

text::LineEnds LineTable::lineEnds() const {
    text::LineEnds ends;
    for (const Chunk& c : chunks_) {
        if (c.ownEnds == 0) continue;
        for (qsizetype i = 0; i < c.size(); ++i)
            if (const LineEnding end = endOf(c.ends[size_t(i)])) ends.append({int(c.firstLine + i), *end});
    }
    return ends;
}

int LineTable::state(qsizetype line) const {
    const Chunk& c = chunks_[size_t(chunkOfLine(line))];
    return c.states.empty() ? line_state::kMade : c.states[size_t(line - c.firstLine)];
}

void LineTable::setState(qsizetype line, int state) {
    Chunk& c = chunks_[size_t(chunkOfLine(line))];
    if (c.states.empty()) {
        if (state == line_state::kMade) return;
        c.states.assign(c.starts.size(), line_state::kMade);
    }
    c.states[size_t(line - c.firstLine)] = state;
}

int LineTable::rows(qsizetype line) const {
    const Chunk& c = chunks_[size_t(chunkOfLine(line))];
    return c.rows.empty() ? 1 : c.rows[size_t(line - c.firstLine)];
}

void LineTable::setRows(qsizetype line, int rows) {
    Chunk& c = chunks_[size_t(chunkOfLine(line))];
    if (c.rows.empty()) {
        if (rows == 1) return;
        c.rows.assign(c.starts.size(), 1);
    }
    int& r = c.rows[size_t(line - c.firstLine)];
    c.rowSum += rows - r;
    rowCount_ += rows - r;
    r = rows;
}

qsizetype LineTable::firstRowOf(qsizetype line) const {
    const qsizetype at = chunkOfLine(line);
    qsizetype row = 0;
    for (qsizetype c = 0; c < at; ++c)
        row += chunks_[size_t(c)].rowSum;
    const Chunk& c = chunks_[size_t(at)];
    const qsizetype local = line - c.firstLine;
    if (c.rows.empty()) return row + local;
    for (qsizetype i = 0; i < local; ++i)
        row += c.rows[size_t(i)];
    return row;
}

qsizetype LineTable::lineAtRow(qsizetype row) const {
    for (const Chunk& c : chunks_) {
        if (row >= c.rowSum) {
            row -= c.rowSum;
            continue;
        }
        if (c.rows.empty()) return c.firstLine + row;
        for (qsizetype i = 0;; ++i) {
            row -= c.rows[size_t(i)];
            if (row < 0) return c.firstLine + i;
        }
    }
    return lineCount_ - 1;
}

LineTable::Chunk LineTable::makeChunk(std::span<const Line> lines) const {
    Chunk c;
    c.start = lines.front().start;
    c.starts.reserve(std::max(lines.size(), size_t(chunkLines_)));
    bool states = false, rows = false;
    for (const Line& l : lines) {
        c.starts.push_back(quint32(l.start - c.start));
        states = states || l.state != line_state::kMade;
        rows = rows || l.rows != 1;
        c.ownEnds += l.end != 0 ? 1 : 0;
        c.rowSum += l.rows;
    }
    for (const Line& l : lines) {
        if (states) c.states.push_back(l.state);
        if (c.ownEnds > 0) c.ends.push_back(l.end);
        if (rows) c.rows.push_back(l.rows);
    }
    return c;
}

void LineTable::pack(std::vector<Line>& lines, qsizetype first, qsizetype last) {
    const qsizetype n = qsizetype(lines.size());
    // Up to two chunks' worth stays one chunk; more is cut into pieces of about a chunk each.
    const qsizetype pieces = n <= 2 * chunkLines_ ? 1 : (n + chunkLines_ - 1) / chunkLines_;
    const qsizetype perPiece = (n + pieces - 1) / pieces;
    std::vector<Chunk> made;
    qsizetype line = chunks_[size_t(first)].firstLine;
    for (qsizetype b = 0; b < n;) {
        qsizetype e = std::min(n, b + perPiece);
        for (qsizetype x = b + 1; x < e; ++x)
            if (lines[size_t(x)].start - lines[size_t(b)].start > maxChunkCharacters_) {
                e = x;
                break;
            }
        Chunk& c = made.emplace_back(makeChunk(std::span(lines).subspan(size_t(b), size_t(e - b))));
        c.firstLine = line;
        line += e - b;
        b = e;
    }
    for (qsizetype c = first; c <= last; ++c)
        rowCount_ -= chunks_[size_t(c)].rowSum;
    for (const Chunk& c : made)
        rowCount_ += c.rowSum;
    chunks_.erase(chunks_.begin() + first + 1, chunks_.begin() + last + 1);
    chunks_[size_t(first)] = std::move(made.front());
    chunks_.insert(chunks_.begin() + first + 1, std::make_move_iterator(made.begin() + 1),
                   std::make_move_iterator(made.end()));
}

namespace {

// v[at, at + removed) becomes `added` copies of `fill`.
template <typename T>
void replaceRange(std::vector<T>& v, qsizetype at, qsizetype removed, qsizetype added, T fill) {
    const auto begin = v.begin() + at;
    if (added > removed)
        v.insert(begin + removed, size_t(added - removed), fill);
    else
        v.erase(begin + added, begin + removed);
    std::fill(v.begin() + at, v.begin() + at + added, fill);
}

qsizetype ownEndsIn(const std::vector<quint8>& ends, qsizetype from, qsizetype to) {
    return qsizetype(std::count_if(ends.begin() + from, ends.begin() + to, [](quint8 e) { return e != 0; }));
}

} // namespace

void LineTable::editInPlace(Chunk& c, qsizetype ai, qsizetype aj, qsizetype from, qsizetype delta,
                            std::span<const qsizetype> breaks, std::span<const LineEnding> breakEnds) {
    const qsizetype k = qsizetype(breaks.size());
    const qsizetype gone = aj - ai;
    replaceRange<quint32>(c.starts, ai + 1, gone, k, 0);
    for (qsizetype m = 0; m < k; ++m)
        c.starts[size_t(ai + 1 + m)] = quint32(from + breaks[size_t(m)] + 1 - c.start);
    for (qsizetype x = ai + 1 + k; x < c.size(); ++x)
        c.starts[size_t(x)] = quint32(qsizetype(c.starts[size_t(x)]) + delta);
    if (!c.states.empty()) {
        c.states[size_t(ai)] = line_state::uncoloured(c.states[size_t(ai)]);
        replaceRange<qint32>(c.states, ai + 1, gone, k, line_state::kMade);
    }
    // The first line ends as the first break made, or as the last line taken in; the last line made
    // ends as the last line taken in did.
    const quint8 lastEnd = c.ends.empty() ? 0 : c.ends[size_t(aj)];
    auto madeEnd = [&](qsizetype m) { return m < k ? codeOf(breakEnds[size_t(m)]) : lastEnd; };
    bool anyOwn = lastEnd != 0;
    for (const LineEnding& e : breakEnds)
        anyOwn = anyOwn || e.has_value();
    if (!c.ends.empty() || anyOwn) {
        if (c.ends.empty()) c.ends.assign(size_t(c.size() - k + gone), 0);
        c.ownEnds -= ownEndsIn(c.ends, ai, aj + 1);
        replaceRange<quint8>(c.ends, ai + 1, gone, k, 0);
        for (qsizetype m = 0; m <= k; ++m)
            c.ends[size_t(ai + m)] = madeEnd(m);
        c.ownEnds += ownEndsIn(c.ends, ai, ai + k + 1);
    }
    qsizetype rowsGone = gone; // one each, unless the view said otherwise
    if (!c.rows.empty()) {
        rowsGone = std::accumulate(c.rows.begin() + ai + 1, c.rows.begin() + aj + 1, qsizetype(0));
        replaceRange<qint32>(c.rows, ai + 1, gone, k, 1);
    }
    c.rowSum += k - rowsGone;
    rowCount_ += k - rowsGone;
}

void LineTable::replace(qsizetype from, qsizetype removed, qsizetype inserted,
                        std::span<const qsizetype> breaks, std::span<const LineEnding> breakEnds) {
    const qsizetype to = from + removed;
    const qsizetype delta = inserted - removed;
    const qsizetype i = lineAt(from);
    const qsizetype j = lineAt(to);
    const qsizetype k = qsizetype(breaks.size());
    const qsizetype lineDelta = k - (j - i);
    qsizetype first = chunkOfLine(i);
    Chunk& a = chunks_[size_t(first)];
    const qsizetype ai = i - a.firstLine;
    qsizetype following = first + 1; // the first chunk after the ones rewritten
    qsizetype last = chunkOfLine(j);
    const qsizetype aj = j - a.firstLine;
    const qsizetype size = a.size() + k - (j - i);
    // The largest offset in the chunk after the change: of its last line, an old one or one made.
    const qsizetype largest = aj + 1 < a.size() ? qsizetype(a.starts.back()) + delta
                              : k > 0           ? from + breaks.back() + 1 - a.start
                                                : qsizetype(a.starts[size_t(ai)]);
    if (first == last && size <= 2 * chunkLines_ && (size >= chunkLines_ / 4 || chunkCount() == 1) &&
        largest <= maxChunkCharacters_) {
        editInPlace(a, ai, aj, from, delta, breaks, breakEnds);
    } else {
        const Chunk& b = chunks_[size_t(last)];
        const qsizetype bj = j - b.firstLine;
        const Line oldFirst = a.line(ai);
        const quint8 lastEnd = b.line(bj).end;
        std::vector<Line> lines;
        lines.reserve(size_t(ai + k + 1 + b.size() - bj));
        for (qsizetype x = 0; x < ai; ++x)
            lines.push_back(a.line(x));
        lines.push_back({oldFirst.start, line_state::uncoloured(oldFirst.state),
                         k == 0 ? lastEnd : codeOf(breakEnds[0]), oldFirst.rows});
        for (qsizetype m = 1; m <= k; ++m)
            lines.push_back({from + breaks[size_t(m - 1)] + 1, line_state::kMade,
                             m < k ? codeOf(breakEnds[size_t(m)]) : lastEnd, 1});
        auto shifted = [delta](Line l) {
            l.start += delta;
            return l;
        };
        for (qsizetype x = bj + 1; x < b.size(); ++x)
            lines.push_back(shifted(b.line(x)));
        // A chunk left small takes in its neighbour, so that deletions leave no crumbs of chunks.
        if (qsizetype(lines.size()) < chunkLines_ / 4) {
            if (last + 1 < chunkCount()) {
                const Chunk& next = chunks_[size_t(last + 1)];
                for (qsizetype x = 0; x < next.size(); ++x)
                    lines.push_back(shifted(next.line(x)));
                ++last;
            } else if (first > 0) {
                const Chunk& previous = chunks_[size_t(first - 1)];
                std::vector<Line> before;
                before.reserve(size_t(previous.size()) + lines.size());
                for (qsizetype x = 0; x < previous.size(); ++x)
                    before.push_back(previous.line(x));
                before.insert(before.end(), lines.begin(), lines.end());
                lines = std::move(before);
                --first;
            }
        }
        const qsizetype chunksBefore = chunkCount();
        pack(lines, first, last);
        following = last + 1 + chunkCount() - chunksBefore;
    }
    for (qsizetype c = following; c < chunkCount(); ++c) {
        chunks_[size_t(c)].start += delta;
        chunks_[size_t(c)].firstLine += lineDelta;
    }
    textSize_ += delta;
    lineCount_ += lineDelta;
}

qsizetype LineTable::memoryBytes() const {
    qsizetype bytes = qsizetype(chunks_.capacity() * sizeof(Chunk));
    for (const Chunk& c : chunks_)
        bytes += qsizetype(c.starts.capacity() * sizeof(quint32) + c.states.capacity() * sizeof(qint32) +
                           c.ends.capacity() * sizeof(quint8) + c.rows.capacity() * sizeof(qint32));
    return bytes;
}

} // namespace document
