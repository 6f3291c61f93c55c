#include "app/load_indicator.h"

#include "base/failure.h"

#include "ui/platform.h"
#include "view/text_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>
#include <atomic>

namespace app {

LoadIndicator::LoadIndicator(QMainWindow& window, view::TextView& editor, ui::Platform& platform,
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
    progress_->setRange(0, total > 0 ? 1000 : 0); // a range of 0..0: work whose length is not known
    progress_->setValue(0);
    if (depth_++ > 0) return; // a load inside a load shows as one
    progress_->show();
    QCoreApplication::instance()->installEventFilter(this);
    loadingChanged_(true);
    wasReadOnly_ = editor_.isReadOnly();
    editor_.setReadOnly(true);
    // The busy pointer belongs to the editor alone while the window answers.
    platform_.endBusy();
    editor_.viewport()->setCursor(Qt::BusyCursor);
}

void LoadIndicator::loadProgress(qsizetype done) {
    progress_->setValue(total_ > 0 ? int(done * 1000 / total_) : 0);
}

void LoadIndicator::loadCancelled() {
    // Nothing to put back: the document adopts a file's text only once it is read whole, so the view still
    // shows the text, the selection and the place the user had.
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

document::PreparedDocument BackgroundRead::read(Work work) {
    // Reading, decoding and building the store of tens of megabytes take longer than the window may stand
    // still, so they run in a thread of their own; the window waits in an event loop, and a cancel leaves
    // the thread to finish into a result nobody reads (this waits for it when it goes, so that it never
    // outlives the tables it reads with).
    struct Read {
        std::atomic<bool> done = false;
        std::optional<document::PreparedDocument> document;
        std::exception_ptr failure;
    };
    const auto read = std::make_shared<Read>();
    threads_.emplace_back([read, work = std::move(work)] {
        try {
            read->document = work();
        } catch (...) {
            read->failure = std::current_exception();
        }
        read->done = true;
    });
    cancelled_ = false;
    reading_ = true;
    const auto notReading = qScopeGuard([this] { reading_ = false; });
    // (The wait ends early, unread, only when the program is told to quit.)
    if (!waitAnswering([&] { return read->done || cancelled_; }) || cancelled_) throw base::Cancelled();
    if (read->failure) std::rethrow_exception(read->failure);
    return std::move(*read->document);
}

bool BackgroundRead::cancel() {
    if (!reading_) return false;
    cancelled_ = true;
    return true;
}

bool waitAnswering(const std::function<bool()>& done) {
    if (done()) return true;
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (done()) wait.quit();
    });
    poll.start(5);
    wait.exec();
    return done();
}

} // namespace app
