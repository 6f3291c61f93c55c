#pragma once
// What the main window shows while a large file fills the editor piece by piece: a progress bar beside the
// count in the status bar, the busy pointer over the editor alone, the editor read-only, and Esc to
// cancel, which puts the user's place in the previous text back. It says when a load begins and ends;
// the command table greys what waits for it.
#include "document/document.h"

#include <QObject>
#include <functional>
#include <thread>
#include <vector>

class QEventLoop;
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
                  std::function<void()> cancel, std::function<void(bool loading)> loadingChanged);
    ~LoadIndicator() override;

    void loadStarted(qsizetype total) override;
    void loadShowsFirstPiece() override;
    void loadProgress(qsizetype done) override;
    void loadCancelled() override;
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
    std::function<void(bool)> loadingChanged_;
    qsizetype total_ = 0;
    int depth_ = 0;
    bool wasReadOnly_ = false;
    // Where the user was in the text before the load: the selection and the line at the top.
    int anchor_ = 0, position_ = 0;
    int topBlock_ = 0, topLine_ = 0; // the line at the top: its block, and its line in the block
};

// A large file read and decoded in a thread of its own while the window answers.
class BackgroundRead {
public:
    // A file larger than this is read so (a few tens of milliseconds' worth on its own).
    static constexpr qint64 kAboveBytes = 8 * 1024 * 1024;
    // Waits for the read in an event loop; base::Cancelled after cancel(), the read's failure as thrown.
    document::LoadedDocument read(const QString& path);
    // Ends the wait of a read running; false when none runs.
    bool cancel();
    bool isReading() const { return waiting_ != nullptr; }
    ~BackgroundRead(); // waits for every read's thread

private:
    QEventLoop* waiting_ = nullptr;
    bool cancelled_ = false;
    std::vector<std::thread> threads_;
};

} // namespace app
