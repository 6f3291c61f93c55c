#pragma once
// The editor's own text view beside a bare QPlainTextEdit in the same run, on the 150,000-entry text.
#include <QString>
#include <benchmark/benchmark.h>

namespace bench {

// The view bare, the view with the colouring on (view::StoreColouring), or a bare QPlainTextEdit.
enum class Widget { View, ColouredView, Bare };

// A letter typed and erased inside line state.range(0), painted after each (perKey: one of them).
void textViewKeystroke(benchmark::State& state, Widget which);
// Up one page at a time from the end, each page painted at once.
void textViewScrollOnePage(benchmark::State& state, Widget which);
// From the decoded text to the first screen painted.
void textViewFirstPaint(benchmark::State& state, Widget which);

// Shows the view on a file (a short Japanese entry without one) with its colouring, the matching brace and
// the caret's band, until it is closed: to try it by hand under X (--text-view[=FILE]).
int showTextView(const QString& file);

} // namespace bench
