#include "app/load_indicator.h"

#include "ui/platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>

namespace app {

namespace {

// The commands that would change or replace the document (or save, print or export half of it), on the
// menu and the tool bar. Exit, help, the about box, copying and the font boxes stay as they are.
constexpr const char* kLockedDuringLoad[] = {"New1",         "Open1",         "Save1",
                                             "SA1",          "Print1",        "N11",
                                             "N21",          "N31",           "N41",
                                             "N51",          "Undo1",         "Cut1",
                                             "Paste1",       "Delete1",       "Find1",
                                             "L1",           "BibB1",         "CSVO1",
                                             "ToolButton1",  "ToolButton2",   "ToolButton3",
                                             "ToolButton4",  "ToolButton16",  "ToolButton5",
                                             "ToolButton7",  "ToolButton8",   "ToolButton10",
                                             "ToolButton11", "ToolButton12",  "ToolButton18",
                                             "ToolButton15", "ReplaceButton", "ReplaceAllButton"};

// A menu item (QAction, also a whole menu's) or a button (of the tool bar or the modeless replace dialog).
bool setEnabledOf(QObject* control, bool enabled) {
    if (auto* action = qobject_cast<QAction*>(control)) {
        const bool was = action->isEnabled();
        action->setEnabled(enabled);
        return was;
    }
    auto* widget = static_cast<QWidget*>(control);
    const bool was = widget->isEnabled();
    widget->setEnabled(enabled);
    return was;
}

} // namespace

LoadIndicator::LoadIndicator(QMainWindow& window, QPlainTextEdit& editor, ui::Platform& platform,
                             std::function<void()> cancel)
    : window_(window), editor_(editor), platform_(platform), progress_(new QProgressBar(&window)),
      cancel_(std::move(cancel)) {
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
    for (const char* name : kLockedDuringLoad) {
        // A menu's own action carries its name too; the action is what greys the menu.
        QObject* control = window_.findChild<QAction*>(QString::fromLatin1(name));
        if (!control) control = window_.findChild<QWidget*>(QString::fromLatin1(name)); // buttons
        if (control) locked_.append({control, setEnabledOf(control, false)});
    }
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
    for (const auto& [control, enabled] : std::as_const(locked_))
        if (control) setEnabledOf(control, enabled);
    locked_.clear();
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
