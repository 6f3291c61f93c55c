#pragma once
// What the main window shows while a large file fills the editor piece by piece: a progress bar beside the
// count in the status bar, the busy pointer over the editor alone, Esc to cancel, and the commands that
// would change or replace the document greyed until the load ends.
#include "document/document.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>

class QMainWindow;
class QPlainTextEdit;
class QProgressBar;

namespace ui {
class Platform;
}

namespace app {

// Loads may nest (a file read in the background, then filled in pieces): the window shows one load.
class LoadIndicator final : public QObject, public document::LoadFeedback {
public:
    LoadIndicator(QMainWindow& window, QPlainTextEdit& editor, ui::Platform& platform,
                  std::function<void()> cancel);
    ~LoadIndicator() override;

    void loadStarted(qsizetype total) override;
    void loadProgress(qsizetype done) override;
    void loadFinished() override;

protected:
    // Esc pressed anywhere in the main window cancels: a key filter rather than a shortcut, which would
    // wait for the window to be the active one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& window_;
    QPlainTextEdit& editor_;
    ui::Platform& platform_;
    QProgressBar* progress_;
    std::function<void()> cancel_;
    qsizetype total_ = 0;
    int depth_ = 0;
    bool wasReadOnly_ = false;
    QList<std::pair<QPointer<QObject>, bool>> locked_; // each greyed control with its state before
};

} // namespace app
