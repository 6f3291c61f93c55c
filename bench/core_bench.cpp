// Figures for the file format and the rules on the large generated bibliography; nothing here uses the
// main window (the layer check holds this file to document/ and below).
#include "core_bench.h"

#include "bench_support.h"
#include "bibtex/check.h"
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "document/document_file.h"
#include "entry/entry_count.h"
#include "text/encoding.h"
#include "text/text_file.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextCursor>
#include <cstdio>
#include <memory>

namespace bench {

void setPlainTextAlone(benchmark::State& state) {
    for (auto _ : state) {
        QPlainTextEdit editor;
        editor.setPlainText(fixture().text);
        benchmark::DoNotOptimize(editor.document()->blockCount());
    }
}

void decodeOnly(benchmark::State& state) {
    const QByteArray bytes = text::readFileBytes(fixture().file);
    state.SetBytesProcessed(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(text::decodeText(bytes).text.size());
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

void countFromScratch(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(entry::countEntries(fixture().text));
}

// The export rules alone: table, CSV text and bytes.
void csvExportRules(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            csv::exportCsv(fixture().text, text::defaultFormat(), kCsvColumns).bytes.size());
}

// The import's rules alone: the CSV file read into a table and made into entry lines.
void csvImportRules(benchmark::State& state) {
    const QString csvFile = generatedCsv();
    for (auto _ : state) {
        const csv::CsvTable table = csv::readCsvTable(text::readTextFile(csvFile).text);
        benchmark::DoNotOptimize(csv::importEntryLines(table, 0, kCsvColumns, csv::LabelMode::Manual).size());
    }
}

// For comparison: Qt's own insertion of the same lines into an editor, with nothing else attached.
void insertImportLinesAlone(benchmark::State& state) {
    const csv::CsvTable table = csv::readCsvTable(text::readTextFile(generatedCsv()).text);
    const QString text = csv::importEntryLines(table, 0, kCsvColumns, csv::LabelMode::Manual).join(u'\n');
    std::unique_ptr<QPlainTextEdit> e;
    for (auto _ : state) {
        state.PauseTiming();
        e = std::make_unique<QPlainTextEdit>();
        state.ResumeTiming();
        QTextCursor(e->document()).insertText(text);
    }
}

// The check against pBibTeX (jplain, every entry cited) on the same 50,000-entry file, each from reading
// the file to its last finding.
void reportFileCheck() {
    std::printf("\nThe check (seconds):\n");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.bib"));
    text::writeFileBytes(file, text::encodeText(generatedBibliography(50000), text::defaultFormat()).bytes);
    QElapsedTimer timer;
    double check = 1e9;
    qsizetype findings = 0;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        const document::LoadedDocument document = document::loadDocumentFile(file);
        bibtex::CheckOptions options;
        options.encoding = document.format.text.encoding;
        options.finalLineBreak =
            bibtex::finalLineBreak(document.text, document.format.text, document.lineEnds);
        findings = bibtex::checkText(document.text, options).size();
        check = std::min(check, timer.nsecsElapsed() / 1e9);
    }
    std::printf("  50,000 entries, lorvane-cli check's work: %.3f s (%lld findings)\n", check,
                static_cast<long long>(findings));
    const QString pbibtex = QStandardPaths::findExecutable(QStringLiteral("pbibtex"));
    if (pbibtex.isEmpty()) {
        std::printf("  pbibtex is not installed: no ratio\n");
    } else {
        text::writeFileBytes(dir.filePath(QStringLiteral("x.aux")),
                             "\\relax\n\\citation{*}\n\\bibstyle{jplain}\n\\bibdata{x}\n");
        QProcess process;
        process.setWorkingDirectory(dir.path());
        timer.start();
        process.start(pbibtex, {QStringLiteral("-kanji=sjis"), QStringLiteral("x")});
        process.waitForFinished(-1);
        const double judge = timer.nsecsElapsed() / 1e9;
        std::printf("  pbibtex on the same file: %.3f s (exit %d); the check takes %.4f of it (1/%.0f)\n",
                    judge, process.exitCode(), check / judge, judge / check);
    }
}

} // namespace bench
