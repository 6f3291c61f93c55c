#include "entry/entry_lines.h"

#include "text/ascii.h"

namespace entry {

namespace {

using bibtex::Token;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(QStringView s, qsizetype i) {
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

// The label of the entry `text` begins with: the key after its opening delimiter, read no further than
// that (an entry without one, @string and @preamble give none).
QStringView labelOf(QStringView text) {
    bibtex::LineState state;
    QList<bibtex::Run> runs;
    bool opened = false;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        const QStringView line = text.sliced(start, end - start);
        state = bibtex::readLine(line, state, &runs);
        for (const bibtex::Run& run : std::as_const(runs)) {
            switch (run.token) {
            case Token::Label:
                return line.sliced(run.start, run.length);
            case Token::Delimiter:
                if (opened) return {}; // closed right after it opened
                opened = true;
                break;
            case Token::Command:
            case Token::Punctuation:
            case Token::FieldName:
            case Token::Error:
                return {};
            default:
                break;
            }
        }
        start = end + 1;
    }
    return {};
}

} // namespace

bool opensEntry(QStringView line) {
    qsizetype i = skipBlanks(line, 0);
    if (i == line.size() || line[i] != u'@') return false;
    i = skipBlanks(line, i + 1);
    // A type as the reader takes one: identifier characters, not starting with a digit.
    const qsizetype type = i;
    if (i < line.size() && line[i] >= u'0' && line[i] <= u'9') return false;
    while (i < line.size() && bibtex::isIdentifierChar(line[i].unicode()))
        ++i;
    if (i == type) return false;
    i = skipBlanks(line, i);
    return i < line.size() && (line[i] == u'{' || line[i] == u'(');
}

void EntryReading::end(int last) {
    open_.last = last;
    entries_.append(open_);
    open_ = {};
}

void EntryReading::read(QStringView line) {
    const int at = lines_++;
    if (at > 0 && opensEntry(line)) {
        // Read afresh: whatever was open above ends before this line.
        if (open_.found()) end(at - 1);
        atLine_ = -1;
        state_ = bibtex::LineState();
    }
    if (open_.found() && at - open_.first > kEntryReach) end(open_.first + kEntryReach);
    if (atLine_ >= 0 && at - atLine_ > kEntryReach) atLine_ = -1;
    // Only an "@" begins an entry: a line without one is read for where it leaves the reader.
    if (atLine_ < 0 && !line.contains(u'@')) {
        state_ = bibtex::readLine(line, state_);
        if (open_.found() && state_.outsideEntries()) end(at);
        return;
    }
    state_ = bibtex::readLine(line, state_, &runs_);
    for (const bibtex::Run& run : std::as_const(runs_)) {
        switch (run.token) {
        case Token::At:
            if (open_.found()) end(at);
            atLine_ = at;
            atColumn_ = run.start;
            break;
        case Token::Delimiter:
            if (atLine_ >= 0) {
                open_ = {atLine_, -1, atColumn_};
                atLine_ = -1;
            } else if (open_.found()) {
                end(at); // its closing delimiter
            }
            break;
        case Token::Error:
            if (open_.found()) end(at);
            atLine_ = -1;
            break;
        default:
            break;
        }
    }
    if (state_.outsideEntries()) {
        // @comment: the reader skips the rest, so it opens nothing.
        atLine_ = -1;
        if (open_.found()) end(at);
    }
}

void EntryReading::finish() {
    if (open_.found()) end(lines_ - 1);
    atLine_ = -1;
}

EntryLines EntryReading::holding(int line) const {
    for (const EntryLines& e : entries_)
        if (e.first <= line && line <= e.last) return e;
    return {};
}

bool EntryReading::mayHold(int line) const {
    return (open_.found() && open_.first <= line) || (atLine_ >= 0 && atLine_ <= line);
}

QList<EntrySpan> entriesOf(QStringView text) {
    QList<qsizetype> starts; // of every line read
    EntryReading reading;
    for (qsizetype start = 0;;) {
        starts.append(start);
        const qsizetype end = text.indexOf(u'\n', start);
        reading.read(end < 0 ? text.sliced(start) : text.sliced(start, end - start));
        if (end < 0) break;
        start = end + 1;
    }
    reading.finish();
    QList<EntrySpan> spans;
    spans.reserve(reading.entries().size());
    for (const EntryLines& e : reading.entries()) {
        const qsizetype from = starts[e.first] + e.column;
        const qsizetype lineFeed = text.indexOf(u'\n', starts[e.last]);
        spans.append({e, from, (lineFeed < 0 ? text.size() : lineFeed) - from});
    }
    return spans;
}

EntrySpan entryOfLabel(QStringView text, QStringView label) {
    if (label.isEmpty()) return {};
    qsizetype occurrence = text::indexOfAsciiCaseless(text, label);
    if (occurrence < 0) return {};
    const QString wanted = text::asciiLower(label);
    // Only an entry whose text holds the label somewhere is read for its label.
    for (const EntrySpan& span : entriesOf(text)) {
        if (occurrence < span.position) {
            occurrence = text::indexOfAsciiCaseless(text, label, span.position);
            if (occurrence < 0) return {};
        }
        if (occurrence >= span.position + span.length) continue;
        const QStringView found = labelOf(text.sliced(span.position, span.length));
        if (!found.isEmpty() && text::asciiLower(found) == wanted) return span;
    }
    return {};
}

} // namespace entry
