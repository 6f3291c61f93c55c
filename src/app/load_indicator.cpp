#include "app/load_indicator.h"

#include "base/failure.h"
#include "document/document_file.h"

#include "ui/platform.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <atomic>

namespace app {

LoadIndicator::LoadIndicator(QMainWindow& window, QPlainTextEdit& editor, ui::Platform& platform,
                             std::function<void()> cancel, std::function<void(bool)> loadingChanged)
    : window_(window), editor_(editor), platform_(platform), progress_(new QProgressBar(&window)),
      cancel_(std::move(cancel)), loadingChanged_(std::move(loadingChanged)) {
    progress_->setObjectName(QStringLiteral("LoadProgress"));
    progress_->setMaximumHeight(14);
    progress_->setTextVisible(false);
    progress_->hide();
    window_.statusBar()->addPermanentWidget(progress_);
}

LoadIndicator::~LoadIndicator() = default;

void LoadIndicator::loadStarted(qsizetype total) {
    total_ = total;
    // Taken at each start: the text is read-only from the outer one on, but the view still scrolls.
    // The line at the top, as its block and its line in the block (see loadCancelled).
    anchor_ = editor_.textCursor().anchor();
    position_ = editor_.textCursor().position();
    const QTextBlock top = editor_.cursorForPosition(QPoint(0, 0)).block();
    topBlock_ = top.blockNumber();
    topLine_ = editor_.verticalScrollBar()->value() - top.firstLineNumber();
    progress_->setRange(0, total > 0 ? 1000 : 0); // a range of 0..0: work whose length is not known
    progress_->setValue(0);
    if (depth_++ > 0) return; // a load inside a load (the pieces after the read) shows as one
    progress_->show();
    QCoreApplication::instance()->installEventFilter(this);
    loadingChanged_(true);
    wasReadOnly_ = editor_.isReadOnly();
    editor_.setReadOnly(true);
    // The busy pointer belongs to the editor alone while the window answers.
    platform_.endBusy();
    editor_.viewport()->setCursor(Qt::BusyCursor);
}

void LoadIndicator::loadShowsFirstPiece() {
    editor_.moveCursor(QTextCursor::Start);
    editor_.viewport()->repaint();
}

void LoadIndicator::loadProgress(qsizetype done) {
    progress_->setValue(total_ > 0 ? int(done * 1000 / total_) : 0);
}

void LoadIndicator::loadCancelled() {
    // The editor shows the previous text again (the window follows the document's text document). Its
    // scroll position counts lines on screen, and the text coming back is laid out afresh as it is drawn,
    // so an old count would point elsewhere: the top line is found by its block and its line in it.
    QTextDocument* textDocument = editor_.document();
    QTextCursor cursor(textDocument);
    cursor.setPosition(anchor_);
    cursor.setPosition(position_, QTextCursor::KeepAnchor);
    editor_.setTextCursor(cursor);
    const QTextBlock top = textDocument->findBlockByNumber(topBlock_);
    if (!top.isValid()) return;
    textDocument->documentLayout()->blockBoundingRect(top); // lays the top line out: its count of lines
    editor_.verticalScrollBar()->setValue(top.firstLineNumber() + topLine_);
}

void LoadIndicator::loadFinished() {
    if (--depth_ > 0) return;
    editor_.viewport()->setCursor(Qt::IBeamCursor);
    platform_.beginBusy();
    editor_.setReadOnly(wasReadOnly_);
    loadingChanged_(false);
    QCoreApplication::instance()->removeEventFilter(this);
    progress_->hide();
}

bool LoadIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == &window_) {
            cancel_();
            return true;
        }
    }
    return false;
}

// ---- BackgroundRead ---------------------------------------------------------------------------------

BackgroundRead::~BackgroundRead() {
    for (std::thread& read : threads_)
        read.join();
}

document::LoadedDocument BackgroundRead::read(const QString& path) {
    // Reading and decoding tens of megabytes takes longer than the window may stand still, so they run
    // in a thread of their own, on nothing but their own copy of the path; the window waits in an event
    // loop, and a cancel leaves the thread to finish into a result nobody reads (this waits for
    // it when it goes, so that it never outlives the tables it reads with).
    struct Read {
        std::atomic<bool> done = false;
        std::optional<document::LoadedDocument> document;
        std::exception_ptr failure;
    };
    const auto read = std::make_shared<Read>();
    threads_.emplace_back([read, file = path] {
        try {
            read->document = document::loadDocumentFile(file);
        } catch (...) {
            read->failure = std::current_exception();
        }
        read->done = true;
    });
    QEventLoop wait;
    QTimer poll;
    cancelled_ = false;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (read->done || cancelled_) wait.quit();
    });
    poll.start(5);
    waiting_ = &wait;
    const auto notReading = qScopeGuard([this] { waiting_ = nullptr; });
    wait.exec();
    // (The loop ends early, unread, only when the program is told to quit.)
    if (cancelled_ || !read->done) throw base::Cancelled();
    if (read->failure) std::rethrow_exception(read->failure);
    return std::move(*read->document);
}

bool BackgroundRead::cancel() {
    if (!waiting_) return false;
    cancelled_ = true;
    waiting_->quit();
    return true;
}

} // namespace app
