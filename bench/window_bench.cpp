// Figures for the large documents the editor must stay instant in: a generated 150,000-entry CP932
// bibliography (1.5 million lines). Prints times and peak memory; nothing here passes or fails. This file
// measures the main window and its dialogs and runs every benchmark; those of the file format and the
// rules alone are in core_bench.cpp.
#include "app/check_window.h"
#include "app/jump_box.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/search_dialogs.h"
#include "base/app_info.h"
#include "bench_support.h"
#include "bibtex/check.h"
#include "core_bench.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "csv/field_chooser.h"
#include "document/recovery.h"
#include "entry/entry_form.h"
#include "text/encoding.h"
#include "text/text_file.h"
#include "view/store_colouring.h"
#include "view/text_view.h"
#include "window_text_view.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

// The fixture and the core figures, which the list of benchmarks below names as they are.
using namespace bench;

namespace {

// Answers no question: a benchmark that meets one is measuring the wrong thing.
class QuietPlatform final : public ui::Platform {
public:
    void showMessage(const QString& t) override {
        if (keepMessages)
            lastMessage = t;
        else if (t != QStringLiteral("完了しました"))
            std::fprintf(stderr, "unexpected message: %s\n", qPrintable(t));
    }
    // Set by a benchmark whose command ends with a message (a count, "not found").
    bool keepMessages = false;
    QString lastMessage;
    ui::SaveAnswer askSaveChanges() override { return ui::SaveAnswer::No; }
    bool askYesNo(const QString&) override { return yes; }
    bool yes = false; // what every yes/no question is answered
    void reportError(const QString& t) override { std::fprintf(stderr, "error: %s\n", qPrintable(t)); }
    std::optional<QString> chooseOpenFile(ui::FileDialogState& state) override {
        if (openAnswer) state.fileName = *openAnswer;
        return openAnswer;
    }
    std::optional<QString> chooseSaveFile(ui::FileDialogState&) override { return std::nullopt; }
    void runModal(QDialog& dialog) override {
        if (drive) drive(dialog);
    }
    std::function<void(QDialog&)> drive; // what a benchmark does in a modal window
    void showHelp(const QString&, const QString&) override {}
    void beginBusy() override {}
    void endBusy() override {}
    QStringList fontFamilies() override { return {}; }

    void setUpPrinter(QPrinter&) override {}
    bool choosePrinter(QPrinter&) override { return false; }
    std::optional<QString> openAnswer; // what the open dialog answers
};

// The figures never touch the user's own settings.
settings::SettingsStore benchSettings() {
    return settings::SettingsStore::iniFile(fixture().dir.filePath(QStringLiteral("Quorvik.conf")));
}

// The large document open in the main window; with a recovery folder, its text is kept there every 30
// seconds while it has unsaved changes.
struct Editor {
    QuietPlatform platform;
    app::Program program;
    app::TForm1& form1() { return *program.windows().form1; }
    explicit Editor(const QString& recoveryFolder = {})
        : program(platform, fixture().dir.path(), benchSettings(), recoveryFolder) {
        form1().FileOpen(fixture().file);
    }
};

// A key pressed in the editor, as the keyboard delivers it.
void press(QWidget* editor, Qt::Key key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &up);
}

// The caret to the end of the text, and `text` typed there.
void typeAtEnd(app::TForm1& form1, const QString& text) {
    view::TextView* edit = form1.editor();
    edit->setCaret(form1.document().store().size());
    edit->insertText(text);
}

QString benchRecoveryFolder() {
    return fixture().dir.filePath(QStringLiteral("recovery"));
}

void fileToEditorReady(benchmark::State& state) {
    QuietPlatform platform;
    for (auto _ : state) {
        app::Program program(platform, fixture().dir.path(), benchSettings());
        program.windows().form1->FileOpen(fixture().file);
        benchmark::DoNotOptimize(program.windows().form1->entryCount());
    }
}

void save(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        typeAtEnd(editor.form1(), QStringLiteral("x"));
        editor.form1().Save1Click();
    }
}

// One recovery write of the whole document, as the 30-second timer makes it while there are unsaved
// changes: the text taken from the editor (the only part in the window's thread), then encoded and written
// atomically in a thread of its own; "whole" waits for all of it.
void recoveryWrite(benchmark::State& state, bool takeTextOnly) {
    Editor editor(benchRecoveryFolder());
    app::TForm1& form1 = editor.form1();
    typeAtEnd(form1, QStringLiteral("x"));
    for (auto _ : state) {
        if (takeTextOnly)
            benchmark::DoNotOptimize(form1.document().snapshot().text.size());
        else
            benchmark::DoNotOptimize(form1.writeRecovery());
    }
}

enum class Typing { Plain, WithRecovery, Shown, Highlighted };

// A character typed into a value and taken back, as keys. "plain" and "withRecovery" run without the
// colouring in a window never shown. "shown" and "highlighted" show the window at the line typed into and
// paint it after each key, without and with the colouring (the states of all lines read beforehand, as
// the background reading leaves them).
void typeOneCharacter(benchmark::State& state, Typing typing) {
    Editor editor(typing == Typing::WithRecovery ? benchRecoveryFolder() : QString());
    app::TForm1& form1 = editor.form1();
    view::TextView* edit = form1.editor();
    view::StoreColouring& colouring = form1.colouring();
    colouring.setEnabled(typing == Typing::Highlighted);
    const bool shown = typing == Typing::Shown || typing == Typing::Highlighted;
    const document::TextStore& store = form1.document().store();
    edit->setCaret(store.lineStart(750002) + store.lineLength(750002) - 3); // inside the title's quotes
    if (shown) {
        form1.show();
        edit->centreCaret();
        colouring.readToEnd();
        edit->viewport()->repaint();
    }
    for (auto _ : state) {
        press(edit, Qt::Key_A, QStringLiteral("a")); // the text-change handling runs inside
        if (shown) edit->viewport()->repaint();
        press(edit, Qt::Key_Backspace);
        if (shown) edit->viewport()->repaint();
    }
    state.counters["entries"] = form1.entryCount();
}

// Scrolling up one page at a time from the end of the document, each page painted at once: "highlighted"
// colours the new lines of every page (their states read beforehand); "plain" without the colouring.
// "firstPaintAtTheEnd" is the one paint at the end right after the load, before any state is read: it
// reads the states of all the lines above.
void scrollOnePage(benchmark::State& state, int way) {
    Editor editor;
    app::TForm1& form1 = editor.form1();
    view::TextView* edit = form1.editor();
    form1.colouring().setEnabled(way != 0);
    form1.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = edit->verticalScrollBar();
    if (way == 2) {
        for (auto _ : state) {
            bar->setValue(bar->maximum());
            edit->viewport()->repaint();
        }
        return;
    }
    if (way == 1) form1.colouring().readToEnd();
    bar->setValue(bar->maximum());
    edit->viewport()->repaint();
    for (auto _ : state) {
        bar->setValue(bar->value() - bar->pageStep());
        edit->viewport()->repaint();
    }
}

void entryFormAdd(benchmark::State& state) {
    Editor editor;
    entry::TForm2 form(editor.platform, editor.form1().entryDocument(), QString());
    int n = 0;
    for (auto _ : state) {
        form.findChild<QLineEdit*>(QStringLiteral("Edit1"))
            ->setText(QStringLiteral("new") + QString::number(n++));
        form.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("著者"));
        form.findChild<QLineEdit*>(QStringLiteral("Edit3"))->setText(QStringLiteral("表題"));
        form.findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setEditText(QStringLiteral("雑誌"));
        form.findChild<QLineEdit*>(QStringLiteral("Edit5"))->setText(QStringLiteral("2025"));
        form.Button1Click();
    }
    state.counters["entries"] = editor.form1().entryCount();
}

// 文献の修正 on the last entry: the caret's entry found and read, the form made and filled with its values,
// the title changed and 修正 pressed (one edit of the document, the count following).
void entryFormChange(benchmark::State& state) {
    Editor editor;
    app::TForm1& form1 = editor.form1();
    form1.editor()->setCaret(
        form1.document().store().lineStart(form1.document().entryHead(QStringLiteral("ref149999"))));
    int n = 0;
    editor.platform.drive = [&](QDialog& form) {
        form.findChild<QLineEdit*>(QStringLiteral("Edit3"))
            ->setText(QStringLiteral("表題") + QString::number(n++));
        static_cast<entry::TForm2&>(form).Button1Click();
    };
    for (auto _ : state)
        form1.Modify1Click();
    state.counters["changes"] = n;
}

void labelSearch(benchmark::State& state) {
    Editor editor;
    for (auto _ : state)
        benchmark::DoNotOptimize(editor.form1().document().labelInUse(QStringLiteral("absent")));
}

// 文献へ移動 over the 150,000 labels: "open" is Ctrl+J (the box shown with the labels of the index), "type"
// a label typed into it key by key ("ref1234", each key filtering the matches of the one before and
// sorting the 100 shown), "jump" Enter on the last entry's label (the walk to its head line), "notALabel"
// Enter on a text every entry holds that no label is (the index has no head, and the text is read).
void jumpBox(benchmark::State& state, int step) {
    Editor editor;
    app::TForm1& form1 = editor.form1();
    form1.show();
    auto* edit = form1.jumpBox().findChild<QLineEdit*>(QStringLiteral("JumpLabelEdit"));
    editor.platform.keepMessages = step == 3; // "見つかりませんでした"
    for (auto _ : state) {
        if (step == 0) {
            form1.Jump1Click();
            continue;
        }
        state.PauseTiming();
        form1.Jump1Click();
        state.ResumeTiming();
        if (step == 1) {
            for (const QChar c : QStringLiteral("ref1234")) {
                edit->setText(edit->text() + c);
                Q_EMIT edit->textEdited(edit->text());
            }
        } else {
            // "2024" is in every entry and the label of none: the whole text is read as entries.
            edit->setText(step == 2 ? QStringLiteral("ref149999") : QStringLiteral("2024"));
            form1.JumpDialog1Jump();
        }
    }
    state.counters["offered"] = double(form1.jumpBox().offered().size());
}

// Replace All of a label prefix: "{ref14" begins 11,111 labels (ref14, ref140-149, ..., ref140000-149999)
// from the top of the document to its end. One change: the text-change handling runs once and one undo
// takes it back; `undo` times that undo.
void replaceAll(benchmark::State& state, bool timeUndo) {
    Editor editor;
    editor.platform.keepMessages = true;
    view::TextView* edit = editor.form1().editor();
    editor.form1().Replace1Click();
    app::SearchDialog& dialog = editor.form1().replaceDialog();
    dialog.findChild<QLineEdit*>(QStringLiteral("FindTextEdit"))->setText(QStringLiteral("{ref14"));
    dialog.findChild<QLineEdit*>(QStringLiteral("ReplaceTextEdit"))->setText(QStringLiteral("{doc14"));
    auto* replaceAllButton = dialog.findChild<QPushButton*>(QStringLiteral("ReplaceAllButton"));
    int changes = 0;
    QObject::connect(edit, &view::TextView::textChanged, [&] { ++changes; });
    bool restored = true;
    for (auto _ : state) {
        if (timeUndo) state.PauseTiming();
        replaceAllButton->click();
        if (timeUndo) state.ResumeTiming();
        if (!timeUndo) state.PauseTiming();
        edit->undo();
        if (timeUndo) state.PauseTiming();
        restored = restored && editor.form1().documentText() == fixture().text;
        state.ResumeTiming();
    }
    state.counters["changes per command"] = double(changes) / double(2 * state.iterations());
    state.counters["restored by one undo"] = restored;
    state.counters["entries"] = editor.form1().entryCount();
    state.SetLabel(editor.platform.lastMessage.toStdString());
}

// Find Next of a text that does not occur: the whole document is searched. Pressed again on the same
// text (`again`), or after a change, which makes it read the text anew.
void findNothing(benchmark::State& state, bool again) {
    Editor editor;
    editor.platform.keepMessages = true;
    editor.form1().Find2Click();
    app::SearchDialog& dialog = editor.form1().findDialog();
    dialog.findChild<QLineEdit*>(QStringLiteral("FindTextEdit"))->setText(QStringLiteral("absent"));
    auto* findNext = dialog.findChild<QPushButton*>(QStringLiteral("FindNextButton"));
    document::Document& document = editor.form1().document();
    findNext->click();
    for (auto _ : state) {
        if (!again) {
            state.PauseTiming();
            document.history().edit(document.store().size(), 0, u" ", document::EditKind::Command);
            state.ResumeTiming();
        }
        findNext->click();
    }
    state.SetLabel(editor.platform.lastMessage.toStdString());
}

// ---- CSV conversion ----

void choose(QDialog& dialog, const QStringList& names) {
    auto* chooser = dialog.findChild<csv::FieldChooser*>();
    for (const QString& name : names) {
        chooser->srcList()->clearSelection();
        chooser->srcList()->findItems(name, Qt::MatchExactly).first()->setSelected(true);
        chooser->IncludeBtnClick();
    }
}

// The export dialog's OK: the document's text, the table, the bytes, the file written.
void csvExportDialog(benchmark::State& state) {
    Editor editor;
    const QString out = fixture().dir.filePath(QStringLiteral("large.Csv"));
    for (auto _ : state) {
        csv::TForm4 dialog(editor.platform, editor.form1().csvDocument(), &editor.form1());
        dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(out);
        choose(dialog, kCsvColumns);
        dialog.OKBtnClick();
    }
    state.counters["MB"] = double(QFileInfo(out).size()) / 1e6;
}

// 読込み, then OK: the CSV read, the entry lines made, appended as one edit, the entries recounted.
template <bool IntoLarge> void csvImport(benchmark::State& state) {
    const QString csvFile = generatedCsv();
    std::unique_ptr<Editor> large;
    if (IntoLarge) large = std::make_unique<Editor>();
    for (auto _ : state) {
        state.PauseTiming();
        QuietPlatform platform;
        std::unique_ptr<app::Program> empty;
        if (!IntoLarge)
            empty = std::make_unique<app::Program>(platform, fixture().dir.path(), benchSettings());
        app::TForm1& form1 = IntoLarge ? large->form1() : *empty->windows().form1;
        QuietPlatform& quiet = IntoLarge ? large->platform : platform;
        quiet.openAnswer = csvFile;
        auto dialog = std::make_unique<csv::TForm5>(quiet, form1.csvDocument(), &form1);
        state.ResumeTiming();
        dialog->BitBtn1Click();
        choose(*dialog, kCsvColumns);
        dialog->OKBtnClick();
        state.PauseTiming();
        state.counters["count"] = form1.entryCount();
        dialog.reset(); // before the window it belongs to
        empty.reset();
        state.ResumeTiming();
    }
}

// One keystroke (a character typed and taken back) in the middle of a very long line, with the editor
// shown and repainted: a line of 1 MB without a blank, and one of 10 MB of words.
void typeInLongLine(benchmark::State& state) {
    const QByteArray line = state.range(0) == 0 ? QByteArray(1 << 20, 'a') : [] {
        QByteArray words;
        while (words.size() < 10 << 20)
            words += "lorem ipsum dolor sit amet ";
        return words;
    }();
    const QString file = fixture().dir.filePath(QStringLiteral("long.bib"));
    text::writeFileBytes(file, "@misc{x,\r\n" + line + "\r\n}\r\n");
    QuietPlatform platform;
    app::Program program(platform, fixture().dir.path(), benchSettings());
    program.show();
    app::TForm1& form1 = *program.windows().form1;
    form1.FileOpen(file);
    view::TextView* edit = form1.editor();
    // The second argument 0 lays the line out at word boundaries instead, as if no line were long: what
    // the rule that a long line makes the view wrap anywhere saves.
    if (state.range(1) == 0) edit->setWrapAnywhere(false);
    edit->setCaret(form1.document().store().lineStart(1) + line.size() / 2);
    for (auto _ : state) {
        press(edit, Qt::Key_B, QStringLiteral("b"));
        edit->viewport()->repaint();
        press(edit, Qt::Key_Backspace);
        edit->viewport()->repaint();
    }
    state.SetLabel(std::string(state.range(0) == 0 ? "1 MB, no blank" : "10 MB of words") +
                   (state.range(1) == 0 ? ", wrapped at words" : ", wrapped anywhere") + " (two keystrokes)");
}

BENCHMARK(setPlainTextAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(fileToEditorReady)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(decodeOnly)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(typeInLongLine)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(typeOneCharacter, plain, Typing::Plain)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(typeOneCharacter, withRecovery, Typing::WithRecovery)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(typeOneCharacter, shown, Typing::Shown)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(typeOneCharacter, highlighted, Typing::Highlighted)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(scrollOnePage, plain, 0)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_CAPTURE(scrollOnePage, highlighted, 1)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_CAPTURE(scrollOnePage, firstPaintAtTheEnd, 2)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(recoveryWrite, whole, false)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(recoveryWrite, takeTextOnly, true)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(countFromScratch)->Unit(benchmark::kMillisecond);
BENCHMARK(storeAdopt)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(storeKeystroke)->Arg(975002)->Arg(975000)->Unit(benchmark::kMicrosecond);
BENCHMARK(storeEnter)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(textViewKeystroke, view, Widget::View)
    ->Arg(975000)
    ->Arg(975002)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(textViewKeystroke, colouredView, Widget::ColouredView)
    ->Arg(975000)
    ->Arg(975002)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(textViewKeystroke, bare, Widget::Bare)
    ->Arg(975000)
    ->Arg(975002)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(textViewScrollOnePage, view, Widget::View)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_CAPTURE(textViewScrollOnePage, bare, Widget::Bare)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_CAPTURE(textViewFirstPaint, view, Widget::View)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(textViewFirstPaint, bare, Widget::Bare)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(entryFormAdd)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(entryFormChange)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(labelSearch)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(jumpBox, open, 0)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(jumpBox, type, 1)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(jumpBox, jump, 2)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(jumpBox, notALabel, 3)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(replaceAll, replace, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(replaceAll, undo, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(findNothing, afterAChange, false)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(findNothing, again, true)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(csvExportRules)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(csvExportWrapped)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(csvExportDialog)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(csvImportRules)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(insertImportLinesAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(csvImport<false>)->Name("csvImportIntoEmpty")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(csvImport<true>)->Name("csvImportIntoLarge")->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

// ---- Loading a large file: the first screen, the longest freeze, the total, peak memory ----
//
// Each way of filling the editor runs in a process of its own (this program, started with
// --load-probe=WAY,FILE), so that its peak memory is its own. A 10 ms timer ticks meanwhile; the longest gap
// between two ticks is the longest time the window did not answer.

struct LoadFigures {
    double firstScreen = 0, longestFreeze = 0, total = 0, peakMb = 0;
};

// The process's peak resident memory: VmHWM, which (unlike getrusage's figure) a program started by this
// one does not inherit from it.
double peakMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Times from its start, and the longest gap between two ticks of a 10 ms timer meanwhile: the longest time
// the window did not answer.
class FreezeWatch {
public:
    FreezeWatch() {
        ticker_.setInterval(10);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        clock_.start();
        ticker_.start();
    }
    double seconds() const { return double(clock_.nsecsElapsed()) / 1e9; }
    // Ticks once more (the last stretch counts too) and gives the longest gap.
    double longestFreeze() {
        tick();
        return longest_;
    }

private:
    void tick() {
        const double now = seconds();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QElapsedTimer clock_;
    QTimer ticker_;
    double last_ = 0, longest_ = 0;
};

// The probe itself: "bare" reads, decodes and sets the text of a bare editor; "editor" opens the file in the
// main window by path.
int loadProbe(const QString& way, const QString& file) {
    FreezeWatch watch;
    double firstScreen = -1;
    QuietPlatform platform;
    platform.yes = true; // a file over the size asked about is opened, as the user agrees
    const QString folder = QFileInfo(file).path();
    app::Program program(platform, folder,
                         settings::SettingsStore::iniFile(folder + QStringLiteral("/Quorvik.conf")));
    program.show();
    QPlainTextEdit bareEditor;
    QCoreApplication::processEvents();
    // The first screen: the first paint of the editor after the lines arrived.
    struct FirstPaint : QObject {
        std::function<void()> seen;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint && seen) seen();
            return false;
        }
    } firstPaint;
    QAbstractScrollArea* editor =
        way == u"bare" ? static_cast<QAbstractScrollArea*>(&bareEditor) : program.windows().form1->editor();
    program.windows().form1->colouring().setEnabled(way != u"uncoloured");
    if (way == u"bare") bareEditor.show();
    editor->viewport()->installEventFilter(&firstPaint);
    const auto filled = [&] {
        return way == u"bare" ? !bareEditor.document()->isEmpty()
                              : !program.windows().form1->document().isEmpty();
    };
    firstPaint.seen = [&] {
        if (firstScreen < 0 && filled()) firstScreen = watch.seconds();
    };
    watch.start();
    if (way == u"bare")
        bareEditor.setPlainText(text::readTextFile(file).text);
    else
        program.windows().form1->FileOpen(file);
    QCoreApplication::processEvents(); // the first paint
    const double total = watch.seconds();
    std::printf("%f %f %f %f\n", firstScreen, watch.longestFreeze(), total, peakMemoryMb());
    return 0;
}

LoadFigures runProbe(const QString& way, const QString& file) {
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--load-probe=") + way + u',' + file});
    probe.waitForFinished(600000);
    const QStringList f = QString::fromLatin1(probe.readAllStandardOutput()).split(u' ');
    if (f.size() < 4) return {};
    return {f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble()};
}

void reportLoading() {
    std::printf("\nLoading a file (seconds, MB; in brackets the ratio to a bare editor's setPlainText; the\n"
                "second line of each size is the editor with the colouring off, in brackets the coloured\n"
                "editor's figure divided by it):\n");
    std::printf("%8s  %18s  %18s  %18s  %16s\n", "entries", "first screen", "longest freeze", "total",
                "peak memory");
    QTemporaryDir dir;
    for (const int entries : {10000, 50000, 150000}) {
        const QString file = dir.filePath(QStringLiteral("load%1.bib").arg(entries));
        text::writeFileBytes(file,
                             text::encodeText(generatedBibliography(entries), text::defaultFormat()).bytes);
        const LoadFigures bare = runProbe(QStringLiteral("bare"), file);
        const LoadFigures editor = runProbe(QStringLiteral("editor"), file);
        const LoadFigures uncoloured = runProbe(QStringLiteral("uncoloured"), file);
        auto cell = [](double value, double base) {
            return QStringLiteral("%1 (%2)")
                .arg(value, 0, 'f', 3)
                .arg(base > 0 ? value / base : 0, 0, 'f', 2);
        };
        std::printf("%8d  %18s  %18s  %18s  %16s\n", entries,
                    qPrintable(cell(editor.firstScreen, bare.firstScreen)),
                    qPrintable(cell(editor.longestFreeze, bare.longestFreeze)),
                    qPrintable(cell(editor.total, bare.total)), qPrintable(cell(editor.peakMb, bare.peakMb)));
        auto against = [](double value, double coloured) {
            return QStringLiteral("%1 (%2)")
                .arg(value, 0, 'f', 3)
                .arg(value > 0 ? coloured / value : 0, 0, 'f', 2);
        };
        std::printf("%8s  %18s  %18s  %18s  %16s\n", "off",
                    qPrintable(against(uncoloured.firstScreen, editor.firstScreen)),
                    qPrintable(against(uncoloured.longestFreeze, editor.longestFreeze)),
                    qPrintable(against(uncoloured.total, editor.total)),
                    qPrintable(against(uncoloured.peakMb, editor.peakMb)));
    }
}

// Restoring the recovery copy of the 150,000-entry document that a run which is gone left (unsaved, in
// the document's own CP932): the longest time the window did not answer (a 10 ms timer ticks meanwhile)
// and the whole restore, from the answer to the question to the copy written under this run's name.
void reportRestore() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    {
        document::RecoveryFiles ended(folder);
        document::RecoveryRecord record;
        record.caption = base::kUntitledName;
        ended.write(text::encodeText(fixture().text, text::defaultFormat()).bytes, record);
        // Under the name of a run that is gone: its files stay when this one goes.
        for (const char* suffix : {".txt", ".json"})
            QFile::rename(folder + u'/' + ended.name() + QLatin1String(suffix),
                          folder + QStringLiteral("/4000000") + QLatin1String(suffix));
    }
    QuietPlatform platform;
    platform.yes = true;
    app::Program program(platform, dir.path(), benchSettings(), folder);
    app::TForm1& form1 = *program.windows().form1;
    form1.show();
    QCoreApplication::processEvents();
    FreezeWatch watch;
    watch.start();
    form1.offerRecovery();
    QCoreApplication::processEvents();
    const double total = watch.seconds();
    std::printf("\nRestoring a recovery copy of %d entries: longest freeze %.3f s, all of it %.3f s (%lld "
                "entries back)\n",
                kEntries, watch.longestFreeze(), total, static_cast<long long>(form1.entryCount()));
}

// The check on a file (core_bench.cpp); then the window "文献の検査" at 150,000 entries, from the command
// to its list drawn, without findings and with one on every entry.
void reportCheck() {
    reportFileCheck();
    QTemporaryDir dir;
    QElapsedTimer timer;
    for (const bool findingEverywhere : {false, true}) {
        const QString large = dir.filePath(QStringLiteral("large%1.bib").arg(int(findingEverywhere)));
        QString text = generatedBibliography();
        if (findingEverywhere) text.replace(QStringLiteral("\"1--12\""), QStringLiteral("\"1-12\""));
        text::writeFileBytes(large, text::encodeText(text, text::defaultFormat()).bytes);
        QuietPlatform platform;
        app::Program program(platform, fixture().dir.path(), benchSettings(), QString());
        app::TForm1& form1 = *program.windows().form1;
        form1.show();
        form1.FileOpen(large);
        QCoreApplication::processEvents();
        // The first command makes the window; the second is what 再検査 costs.
        for (const char* what : {"文献の検査", "再検査"}) {
            timer.start();
            form1.Check1Click();
            auto* list = form1.findChild<QTreeView*>(QStringLiteral("FindingList"));
            list->repaint();
            QCoreApplication::processEvents();
            std::printf("  150,000 entries, %s to its list drawn: %.3f s (%d rows)\n", what,
                        timer.nsecsElapsed() / 1e9, list->model()->rowCount());
        }
        timer.start();
        const QString documentText = form1.document().text();
        const double textTime = timer.nsecsElapsed() / 1e9;
        timer.start();
        const qsizetype count = bibtex::checkText(documentText, {}).size();
        std::printf("    of which taking the text %.3f s, the check %.3f s (%lld findings)\n", textTime,
                    timer.nsecsElapsed() / 1e9, static_cast<long long>(count));
    }
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::initialiseApplication();
    for (const QString& arg : QCoreApplication::arguments())
        if (arg.startsWith(QStringLiteral("--load-probe="))) {
            const QStringList parts = arg.mid(13).split(u',');
            return loadProbe(parts.value(0), parts.value(1));
        }
    for (const QString& arg : QCoreApplication::arguments())
        if (arg == u"--text-view" || arg.startsWith(QStringLiteral("--text-view=")))
            return showTextView(arg.section(u'=', 1));
    if (QCoreApplication::arguments().contains(QStringLiteral("--restore-only"))) {
        reportRestore();
        return 0;
    }
    // The check's figures alone.
    if (QCoreApplication::arguments().contains(QStringLiteral("--check-only"))) {
        reportCheck();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.0f MB\n", double(usage.ru_maxrss) / 1024.0);
    reportLoading();
    reportRestore();
    reportCheck();
    return 0;
}
