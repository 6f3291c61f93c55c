#pragma once
// The crash-recovery state of the main window: this run's recovery files, the write running in its own
// thread, the timer that starts the writes, whether the text changed since the last one, and the
// document's file as at its last load or save (which Save compares before overwriting).
#include "document/document.h"
#include "document/recovery.h"

#include <chrono>
#include <functional>
#include <future>
#include <memory>

class QObject;
class QTimer;

namespace ui {
class Platform;
}

namespace app {

class CrashRecovery {
public:
    // `window` parents the timer and receives the finished writes.
    CrashRecovery(document::Document& document, ui::Platform& platform, QObject& window);

    // Uses the recovery folder `folder` (base::Failure when it cannot) and writes every `interval`
    // while something changed; `markDue` tells of a change.
    void start(const QString& folder, std::chrono::milliseconds interval);
    void markDue() { due_ = true; }
    // Whether a file is being read: the document's path is already the new file's, its text still the
    // old one, so no write is started meanwhile.
    void setLoading(std::function<bool()> loading) { loading_ = std::move(loading); }
    bool isOn() const { return files_ != nullptr; }
    const document::RecoveryFiles* files() const { return files_.get(); }

    // Takes the text and leaves the rest of the write to a thread; false when there is no recovery or a
    // load runs. The record keeps `caption`.
    bool startWrite(const QString& caption);
    // Waits for a write still running; false when the last write failed (reported once a run), also
    // when the window collected it already.
    bool finishWrite();
    // A write started is still running (finishWrite() would wait for it).
    bool isWriting() const;
    // The document was replaced by another (its file's stamp as read) or written: the files go.
    void documentReplaced(const document::FileStamp& disk);
    // The run ends without its normal exit (the session is ending): the text of a changed document is
    // written now, in this thread, with everything typed since the timer's last write; an unchanged one
    // leaves no files. The files stay for the next start to offer and the lock goes. Reports nothing (no
    // one is left to answer it): returns the failure's message, empty when all went well.
    QString leave(const QString& caption);

    const document::FileStamp& diskStamp() const { return diskStamp_; }
    void setDiskStamp(const document::FileStamp& disk) { diskStamp_ = disk; }

private:
    document::RecoveryRecord recordNow(const QString& caption) const;

    document::Document& document_;
    ui::Platform& platform_;
    QObject& window_;
    std::function<bool()> loading_;
    document::FileStamp diskStamp_; // the document's file as at its last load or save
    std::unique_ptr<document::RecoveryFiles> files_;
    std::future<void> writing_; // after files_: destroyed first, it waits for the write
    QTimer* timer_ = nullptr;   // a child of the window
    bool due_ = false;          // the text or path changed since the last write
    bool failureReported_ = false;
    bool lastWriteOk_ = true;
};

} // namespace app
