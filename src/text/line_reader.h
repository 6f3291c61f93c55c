#pragma once
// The text-file line rule shared by the user list file, the CSV export's work file and the CSV import:
// before each line every character with a code up to 32 is skipped (so blank lines vanish and leading
// blanks are dropped); a line ends at a CR (an LF right after it belongs to the line end) or at a bare
// LF; character 26 ends the input. Trailing blanks stay part of the line.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace text {

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

} // namespace text
