// Where the caret stops, as the table says: the graphemes the arrows and Delete step over, the code point
// Backspace takes, the words of Ctrl+arrows and of a double-click, from every position of each line.
#include "support/caret_stop_oracle.h"
#include "text/caret_stops.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The next and the previous of `stops` (0 and the line's end added) around `position`.
qsizetype after(const std::vector<qsizetype>& stops, qsizetype end, qsizetype position) {
    const auto it = std::upper_bound(stops.begin(), stops.end(), position);
    return it == stops.end() ? end : *it;
}
qsizetype before(const std::vector<qsizetype>& stops, qsizetype position) {
    const auto it = std::lower_bound(stops.begin(), stops.end(), position);
    return it == stops.begin() ? 0 : *(it - 1);
}

TEST(CaretStops, FollowTheTableFromEveryPosition) {
    for (const oracle::CaretStopCase& c : oracle::caretStopCases()) {
        SCOPED_TRACE(c.what);
        const qsizetype end = c.line.size();
        for (qsizetype p = 0; p <= end; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(text::nextGrapheme(c.line, p), after(c.graphemes, end, p));
            EXPECT_EQ(text::previousGrapheme(c.line, p), before(c.graphemes, p));
            EXPECT_EQ(text::nextWordStop(c.line, p), after(c.words, end, p));
            EXPECT_EQ(text::previousWordStop(c.line, p), before(c.words, p));
        }
        for (const auto& [at, word] : c.clicks)
            EXPECT_EQ(text::wordAround(c.line, at), word) << "double-click at " << at;
    }
}

// Backspace takes one code point: a combining mark typed last goes alone, a surrogate pair whole.
TEST(CaretStops, BackspaceTakesOneCodePoint) {
    const QString line = QStringLiteral("e\u0301\U0001F600");
    EXPECT_EQ(text::previousCodePoint(line, 4), 2);
    EXPECT_EQ(text::previousCodePoint(line, 2), 1);
    EXPECT_EQ(text::previousCodePoint(line, 1), 0);
    EXPECT_EQ(text::previousCodePoint(line, 0), 0);
}

// A word of a million letters costs no more than its reach: the stop is where reading ends.
TEST(CaretStops, ReadOnlyWithinReachOfThePosition) {
    const QString line(1'000'000, u'a');
    EXPECT_EQ(text::nextWordStop(line, 500'000), 500'000 + text::kReach);
    EXPECT_EQ(text::previousWordStop(line, 500'000), 500'000 - text::kReach);
}

} // namespace
