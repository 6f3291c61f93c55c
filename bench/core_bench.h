#pragma once
// The figures of the file format and the rules, measured without the main window: decoding, counting,
// the CSV rules, the check on a file, and the bare editor's own figures the window's are compared with.
#include <benchmark/benchmark.h>

namespace bench {

void setPlainTextAlone(benchmark::State& state);
void decodeOnly(benchmark::State& state);
void countFromScratch(benchmark::State& state);
void csvExportRules(benchmark::State& state);
void csvExportWrapped(benchmark::State& state);
void csvImportRules(benchmark::State& state);
void insertImportLinesAlone(benchmark::State& state);
// The text store: the decoded large text adopted (line table and entry index built from it), with the
// memory each part takes; a keystroke into line state.range(0) with the index and the edit history;
// an Enter and a Backspace that joins the line again.
void storeAdopt(benchmark::State& state);
void storeKeystroke(benchmark::State& state);
void storeEnter(benchmark::State& state);

// The heading of the check's figures, then the check of a 50,000-entry file as the batch tool runs it,
// and the same file through pbibtex when it is installed.
void reportFileCheck();

} // namespace bench
