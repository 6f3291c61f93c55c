#include "text/line_reader.h"

#include <algorithm>

namespace text {

LineReader::LineReader(QStringView text) : text_(text) {
    // Character 26 ends the input: nothing after it is ever read.
    const qsizetype eof = text_.indexOf(QChar(26));
    if (eof >= 0) text_ = text_.first(eof);
}

bool LineReader::atEnd() {
    while (pos_ < text_.size() && isSpaceOrControl(text_[pos_]))
        ++pos_;
    return pos_ >= text_.size();
}

QStringView LineReader::readLine() {
    const qsizetype start = pos_;
    while (pos_ < text_.size() && text_[pos_] != u'\r' && text_[pos_] != u'\n')
        ++pos_;
    const QStringView line = text_.sliced(start, pos_ - start);
    if (pos_ < text_.size() && text_[pos_] == u'\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
    return line;
}

QStringList readLines(QStringView text) {
    QStringList lines;
    LineReader reader(text);
    while (!reader.atEnd())
        lines.append(reader.readLine().toString());
    return lines;
}

void JoinedLines::add(QStringView line) {
    if (any_) {
        // The last line meets this one: its end loses its blanks; left empty, it goes with the blank that
        // joined it.
        if (lastStart_ >= 0) {
            qsizetype end = joined_.size();
            while (end > lastStart_ && isSpaceOrControl(joined_[end - 1]))
                --end;
            joined_.truncate(end > lastStart_ ? end : std::max<qsizetype>(lastStart_ - 1, 0));
        }
        while (!line.isEmpty() && isSpaceOrControl(line.front()))
            line = line.sliced(1);
    }
    any_ = true;
    lastStart_ = -1;
    if (line.isEmpty()) return;
    if (!joined_.isEmpty()) joined_.append(u' ');
    lastStart_ = joined_.size();
    joined_.append(line);
}

QString joinedLines(QStringView value) {
    if (!value.contains(u'\n')) return value.toString();
    JoinedLines joined;
    for (qsizetype start = 0;;) {
        const qsizetype end = value.indexOf(u'\n', start);
        joined.add(end < 0 ? value.sliced(start) : value.sliced(start, end - start));
        if (end < 0) return joined.text();
        start = end + 1;
    }
}

} // namespace text
