#include "text/line_reader.h"

namespace text {

LineReader::LineReader(QStringView text) : text_(text) {
    // Character 26 ends the input: nothing after it is ever read.
    const qsizetype eof = text_.indexOf(QChar(26));
    if (eof >= 0) text_ = text_.first(eof);
}

bool LineReader::atEnd() {
    while (pos_ < text_.size() && text_[pos_].unicode() <= 32)
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

} // namespace text
