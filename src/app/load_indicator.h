#pragma once
// What the main window shows while a large file is read in a thread of its own: a progress bar beside the
// count in the status bar, the busy pointer over the editor alone, the editor read-only, and Esc to
// cancel, which leaves the text the user had as it was. It says when a load begins and ends; the command
// table greys what waits for it.
#include "document/document.h"

#include <QObject>
#include <functional>
#include <thread>
#include <vector>

class QMainWindow;
class QProgressBar;

namespace ui {
class Platform;
}
namespace view {
class TextView;
}

namespace app {

// Loads may nest (a load started while one shows): the window shows one load.
class LoadIndicator final : public QObject, public document::LoadFeedback {
public:
    LoadIndicator(QMainWindow& window, view::TextView& editor, ui::Platform& platform,
                  std::function<void()> cancel, std::function<void(bool loading)> loadingChanged);
    ~LoadIndicator() override;

    void loadStarted(qsizetype total) override;
    void loadProgress(qsizetype done) override;
    void loadCancelled() override;
    void loadFinished() override;

protected:
    // Esc pressed anywhere in the main window cancels: a key filter rather than a shortcut, which would
    // wait for the window to be the active one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& window_;
    view::TextView& editor_;
    ui::Platform& platform_;
    QProgressBar* progress_;
    std::function<void()> cancel_;
    std::function<void(bool)> loadingChanged_;
    qsizetype total_ = 0;
    int depth_ = 0;
    bool wasReadOnly_ = false;
};

// Runs the window's events until `done` says so (it is asked every few milliseconds): work in another
// thread is waited for while the window answers. False when the wait ended early (the program told to quit).
bool waitAnswering(const std::function<bool()>& done);

// A large document read, decoded and made ready (its store built) in a thread of its own while the window
// answers; the document adopts the result at once. Opening a file and restoring a recovery copy both read
// so.
class BackgroundRead {
public:
    // A file larger than this is read so (a few tens of milliseconds' worth on its own).
    static constexpr qint64 kAboveBytes = 8 * 1024 * 1024;
    // What runs in the thread: the reading, the decoding and the building of the store. It works on
    // nothing but what it holds (copies, shared pointers): after a cancel it finishes unwaited for.
    using Work = std::function<document::PreparedDocument()>;
    // Runs `work` in a thread of its own and waits for it in an event loop; base::Cancelled after
    // cancel(), the work's failure as thrown.
    document::PreparedDocument read(Work work);
    // Ends the wait of a read running; false when none runs.
    bool cancel();
    bool isReading() const { return reading_; }
    ~BackgroundRead(); // waits for every read's thread

private:
    bool reading_ = false;
    bool cancelled_ = false;
    std::vector<std::thread> threads_;
};

} // namespace app
