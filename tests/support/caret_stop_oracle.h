#pragma once
// Where the caret stops in a line: between graphemes, at words (Ctrl+arrows), and which word a double-click
// selects. One table, run on the rules (text/caret_stops.h) and on the text view's keys and mouse.
#include <QString>

#include <utility>
#include <vector>

namespace oracle {

struct CaretStopCase {
    const char* what;
    QString line;
    std::vector<qsizetype> graphemes; // every grapheme boundary inside the line (0 and the end left out)
    std::vector<qsizetype> words;     // every place Ctrl+Right stops inside the line (the end left out)
    // A double-click at the first position selects [second.first, second.second).
    std::vector<std::pair<qsizetype, std::pair<qsizetype, qsizetype>>> clicks;
};

const std::vector<CaretStopCase>& caretStopCases();

} // namespace oracle
