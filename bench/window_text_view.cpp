// The editor's own text view beside a bare QPlainTextEdit in the same run, on the 150,000-entry text
// (1.5 million lines): a keystroke deep in the text with the view painted after it, one page of
// scrolling painted, and the time from adopting the text to the first screen painted. Both widgets get
// the same text, font, size and keys; nothing here passes or fails.
#include "window_text_view.h"

#include "bench_support.h"
#include "document/document_file.h"
#include "document/edit_history.h"
#include "text/text_file.h"
#include "view/store_colouring.h"
#include "view/text_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <benchmark/benchmark.h>

#include <memory>

namespace bench {

namespace {

// A text of its own, not shared with the fixture's: the store adopts and edits it.
QString ownCopy() {
    const QString& text = fixture().text;
    return QString(text.constData(), text.size());
}

void press(QWidget* widget, int key, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &event);
}

// One of the two, shown at a window's size in the same font; the view with a store and history of its
// own (declared first, so that they outlive it).
struct Shown {
    std::unique_ptr<document::TextStore> store;
    std::unique_ptr<document::EditHistory> history;
    std::unique_ptr<QAbstractScrollArea> widget;

    explicit Shown(Widget which, bool withText = true) {
        if (which == Widget::View || which == Widget::ColouredView) {
            auto view = std::make_unique<view::TextView>();
            if (withText) adopt(*view, ownCopy());
            // The colouring as just opened: the states of the lines shown are guessed, none read from the
            // top.
            if (which == Widget::ColouredView) new view::StoreColouring(view.get());
            widget = std::move(view);
        } else {
            auto bare = std::make_unique<QPlainTextEdit>();
            if (withText) bare->setPlainText(fixture().text);
            widget = std::move(bare);
        }
        widget->setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 10));
        widget->resize(800, 600);
        widget->show();
        QCoreApplication::processEvents();
        paint();
    }
    void adopt(view::TextView& view, QString text) {
        view.setBuffer(nullptr, nullptr);
        history.reset();
        store = std::make_unique<document::TextStore>(std::move(text));
        history = std::make_unique<document::EditHistory>(*store);
        view.setBuffer(store.get(), history.get());
    }
    view::TextView* view() const { return qobject_cast<view::TextView*>(widget.get()); }
    QPlainTextEdit* bare() const { return qobject_cast<QPlainTextEdit*>(widget.get()); }
    void paint() { widget->viewport()->repaint(); }

    // The caret inside line `line`, in the middle of the screen: in the label of a head line (its key
    // changes at each keystroke), else three characters before the line's end (inside a title's quotes).
    void caretInside(qsizetype line) {
        if (view::TextView* v = view()) {
            const qsizetype start = store->lineStart(line);
            v->setCaret(start + (store->at(start) == u'@' ? 12 : store->lineLength(line) - 3));
            v->centreCaret();
        } else {
            const QTextBlock block = bare()->document()->findBlockByNumber(int(line));
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + (block.text().startsWith(u'@') ? 12 : block.length() - 4));
            bare()->setTextCursor(cursor);
            bare()->centerCursor();
        }
        paint();
    }
};

} // namespace

// A letter typed and erased inside line `range(0)`, the view painted after each; perKey is the time of
// one of them.
void textViewKeystroke(benchmark::State& state, Widget which) {
    Shown shown(which);
    shown.caretInside(state.range(0));
    QWidget* target = shown.widget.get();
    for (auto _ : state) {
        press(target, Qt::Key_A, QStringLiteral("a"));
        shown.paint();
        press(target, Qt::Key_Backspace);
        shown.paint();
    }
    state.counters["perKey"] =
        benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Up one page at a time from the end, each page painted at once.
void textViewScrollOnePage(benchmark::State& state, Widget which) {
    Shown shown(which);
    QScrollBar* bar = shown.widget->verticalScrollBar();
    bar->setValue(bar->maximum());
    shown.paint();
    for (auto _ : state) {
        if (bar->value() == 0) bar->setValue(bar->maximum());
        bar->setValue(bar->value() - bar->pageStep());
        shown.paint();
    }
}

// From the decoded text to the first screen painted: the view's store adopts it (its line table and
// entry index built) and the view paints; the bare widget is given it and paints.
void textViewFirstPaint(benchmark::State& state, Widget which) {
    Shown shown(which, false);
    for (auto _ : state) {
        state.PauseTiming();
        QString text = ownCopy();
        if (view::TextView* v = shown.view()) {
            v->setBuffer(nullptr, nullptr);
            shown.history.reset();
            shown.store.reset();
        } else {
            shown.bare()->clear();
        }
        state.ResumeTiming();
        if (view::TextView* v = shown.view())
            shown.adopt(*v, std::move(text));
        else
            shown.bare()->setPlainText(text);
        shown.paint();
    }
}

int showTextView(const QString& file) {
    QString text = QStringLiteral("@book{山田2020,\n title = {日本語の文章です。テキストを編集する},\n"
                                  " author = {山田 太郎 and 佐藤 花子},\n year = 2020,\n}\n");
    text::LineEnds ends;
    if (!file.isEmpty()) {
        document::LoadedDocument loaded = document::decodeDocument(text::readFileBytes(file));
        text = std::move(loaded.text);
        ends = loaded.lineEnds;
    }
    document::TextStore store(std::move(text), ends);
    document::EditHistory history(store);
    view::TextView view;
    view.setWindowTitle(QStringLiteral("text view"));
    view.setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 12));
    view.setBuffer(&store, &history);
    new view::StoreColouring(&view);
    view.resize(640, 400);
    view.show();
    return QApplication::exec();
}

} // namespace bench
