#pragma once
// The text-file line rule shared by the user list file, the CSV export's work file and the CSV import:
// before each line every character with a code up to 32 is skipped (so blank lines vanish and leading
// blanks are dropped); a line ends at a CR (an LF right after it belongs to the line end) or at a bare
// LF; character 26 ends the input. Trailing blanks stay part of the line.
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace text {

// What the line rule skips before a line: a space or a control character, code 0 included.
constexpr bool isSpaceOrControl(QChar c) {
    return c.unicode() <= 32;
}

class LineReader {
public:
    explicit LineReader(QStringView text);
    // Skips the characters up to 32, then tells whether the input has ended.
    bool atEnd();
    // The characters up to the next line end; the line end is passed over.
    QStringView readLine();

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

QStringList readLines(QStringView text);

// The lines of a value that runs over several lines, joined as the line rule reads them: where two lines
// meet, the end of the one and the start of the other lose their spaces and control characters, a line
// left empty is dropped, and one blank joins the others. The first line's start and the last line's end
// stay as they are. The CSV export joins a wrapped value so, and the entry form shows it so.
class JoinedLines {
public:
    // The next line of the value, without its line end.
    void add(QStringView line);
    const QString& text() const { return joined_; }

private:
    QString joined_;
    qsizetype lastStart_ = -1; // where the last line added starts in joined_; -1: it was dropped
    bool any_ = false;         // a line was added
};

// The lines of `value` ('\n' between them) joined so.
QString joinedLines(QStringView value);

} // namespace text
