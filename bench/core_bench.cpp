// Figures for the file format and the rules on the large generated bibliography; nothing here uses the
// main window (the layer check holds this file to document/ and below).
#include "core_bench.h"

#include "bench_support.h"
#include "bibtex/check.h"
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "document/document_file.h"
#include "document/edit_history.h"
#include "document/text_store.h"
#include "entry/entry_count.h"
#include "text/encoding.h"
#include "text/text_file.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextCursor>
#include <cstdio>
#include <malloc.h>
#include <memory>

namespace bench {

namespace {

// The bytes the heap holds, large blocks (mapped apart) included.
double heapMb() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1e6;
}

// The large document as the decoder gives it (with the room its CR LF line ends leave behind).
QString decodedText() {
    static const QByteArray bytes = text::readFileBytes(fixture().file);
    return text::decodeText(bytes).text;
}

} // namespace

void setPlainTextAlone(benchmark::State& state) {
    double heap = 0;
    for (auto _ : state) {
        const double before = heapMb();
        QPlainTextEdit editor;
        editor.setPlainText(fixture().text);
        benchmark::DoNotOptimize(editor.document()->blockCount());
        heap = heapMb() - before;
    }
    state.counters["heapMB"] = heap;
}

// textMB is the decoder's string, storeMB what the store keeps of it with the table, indexMB the index.
void storeAdopt(benchmark::State& state) {
    double textMb = 0, tableMb = 0, indexMb = 0, storeMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = heapMb();
        QString text = decodedText();
        const double withText = heapMb();
        state.ResumeTiming();
        const document::TextStore store(std::move(text));
        benchmark::DoNotOptimize(store.entryCount());
        state.PauseTiming();
        textMb = withText - before;
        tableMb = double(store.lines().memoryBytes()) / 1e6;
        storeMb = double(store.memoryBytes()) / 1e6;
        // What the heap grew by, less what the store made of the text (the table, and the decoder's room
        // given back).
        indexMb = heapMb() - withText - (storeMb - textMb);
        state.ResumeTiming();
    }
    state.counters["textMB"] = textMb;
    state.counters["tableMB"] = tableMb;
    state.counters["indexMB"] = indexMb;
    state.counters["storeMB"] = storeMb; // the text as adopted (its gap included) and the table
}

void storeKeystroke(benchmark::State& state) {
    document::TextStore store(decodedText());
    document::EditHistory history(store);
    const qsizetype line = state.range(0);
    // Inside the title's quotes, or inside the label of a head line (its key changes at every keystroke).
    const qsizetype at = store.lineStart(line) + (store.isHeadLine(line) ? 12 : store.lineLength(line) - 3);
    QElapsedTimer first;
    first.start();
    history.edit(at, 0, u"a", document::EditKind::Typing); // the gap moves here
    state.counters["firstMs"] = double(first.nsecsElapsed()) / 1e6;
    history.edit(at, 1, {}, document::EditKind::Erasing);
    for (auto _ : state) {
        history.edit(at, 0, u"a", document::EditKind::Typing);
        history.edit(at, 1, {}, document::EditKind::Erasing);
    }
    state.counters["entries"] = store.entryCount();
}

void storeEnter(benchmark::State& state) {
    document::TextStore store(decodedText());
    document::EditHistory history(store);
    const qsizetype at = store.lineStart(975002) + 8;
    for (auto _ : state) {
        history.edit(at, 0, u"\n", document::EditKind::Command);
        history.edit(at, 1, {}, document::EditKind::Erasing);
    }
    state.counters["chunks"] = double(store.lines().chunkCount());
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

// The same with every author and title over two lines, as files wrapped by hand have them: the lines of
// each value joined.
void csvExportWrapped(benchmark::State& state) {
    static const QString wrapped =
        QString(fixture().text)
            .replace(QStringLiteral("\"山田 太郎 and"), QStringLiteral("\"山田 太郎\n   and"))
            .replace(QStringLiteral("\"日本語の文献管理"), QStringLiteral("\"日本語の\n   文献管理"));
    for (auto _ : state)
        benchmark::DoNotOptimize(csv::exportCsv(wrapped, text::defaultFormat(), kCsvColumns).bytes.size());
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
