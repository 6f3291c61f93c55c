#include "app/load_indicator.h"

#include "ui/platform.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>

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

void LoadIndicator::loadProgress(qsizetype done) {
    progress_->setValue(total_ > 0 ? int(done * 1000 / total_) : 0);
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

} // namespace app
