#include "app/crash_recovery.h"

#include "base/failure.h"
#include "ui/platform.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QTimer>

namespace app {

CrashRecovery::CrashRecovery(document::Document& document, ui::Platform& platform, QObject& window)
    : document_(document), platform_(platform), window_(window) {}

void CrashRecovery::start(const QString& folder, std::chrono::milliseconds interval) {
    files_ = std::make_unique<document::RecoveryFiles>(folder);
    // A timer, never a write per keystroke: typing stays as fast as without recovery.
    timer_ = new QTimer(&window_);
    timer_->setObjectName(QStringLiteral("RecoveryTimer"));
    timer_->setInterval(interval);
    QObject::connect(timer_, &QTimer::timeout, &window_, [this] {
        if (due_ && !isWriting()) startWrite(document::captionOfPath(document_.path()));
    });
    timer_->start();
}

namespace {

// The encoding and the atomic writes, on nothing but their own copies (in the write's thread, or in the
// window's when the run ends).
void writeCopy(document::RecoveryFiles& files, document::Document::Snapshot snapshot,
               document::RecoveryRecord record) {
    // In the layout the record names, which the restore reads it in.
    const QString& text = snapshot.text;
    text::EncodedText encoded = text::encodeText(text, record.textFormat(), snapshot.lineEnds);
    if (!encoded.ok()) {
        // Saving would ask; the recovery file keeps every character, in UTF-8.
        record.writtenAsUtf8 = true;
        encoded = text::encodeText(text, record.textFormat(), snapshot.lineEnds);
    }
    files.write(encoded.bytes, record);
}

} // namespace

document::RecoveryRecord CrashRecovery::recordNow(const QString& caption) const {
    document::RecoveryRecord record;
    record.caption = caption;
    record.format = document_.format();
    record.disk = diskStamp_;
    record.written = QDateTime::currentDateTimeUtc();
    return record;
}

bool CrashRecovery::startWrite(const QString& caption) {
    if (!files_ || (loading_ && loading_())) return false;
    finishWrite(); // one write at a time
    lastWriteOk_ = true;
    due_ = false;
    if (!document_.isModified()) return true;
    // Only taking the text holds up the window: the encoding and the writing run in a thread of their own
    // (a third of the time each, on the large document).
    writing_ = std::async(std::launch::async, [this, files = files_.get(), snapshot = document_.snapshot(),
                                               record = recordNow(caption)]() mutable {
        // The window collects the result (a failure is reported there) as soon as it is done.
        const auto collect = qScopeGuard([this] {
            QMetaObject::invokeMethod(
                &window_, [this] { finishWrite(); }, Qt::QueuedConnection);
        });
        writeCopy(*files, std::move(snapshot), std::move(record));
    });
    return true;
}

bool CrashRecovery::finishWrite() {
    if (!writing_.valid()) return lastWriteOk_;
    try {
        writing_.get(); // waits for a write still running
        lastWriteOk_ = true;
    } catch (const base::Failure& failure) {
        lastWriteOk_ = false;
        // Every 30 seconds the same failure would interrupt the typing: it is reported once a run.
        if (!failureReported_) {
            failureReported_ = true;
            platform_.reportError(base::withFinalPeriod(failure.message()));
        }
    }
    return lastWriteOk_;
}

bool CrashRecovery::isWriting() const {
    return writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void CrashRecovery::documentReplaced(const document::FileStamp& disk) {
    diskStamp_ = disk;
    due_ = false;
    if (!files_) return;
    finishWrite(); // a write still running would bring the files back
    files_->remove();
}

QString CrashRecovery::leave(const QString& caption) {
    if (!files_) return {};
    QString failure;
    // A write the timer started ends first: the one below replaces it. Its failure, if any, is the
    // same as the one below would meet.
    if (writing_.valid()) {
        try {
            writing_.get();
        } catch (const base::Failure&) {
        }
    }
    try {
        if (document_.isModified())
            writeCopy(*files_, document_.snapshot(), recordNow(caption));
        else
            files_->remove();
    } catch (const base::Failure& error) {
        failure = base::withFinalPeriod(error.message());
    }
    files_->leave();
    timer_->stop();
    return failure;
}

} // namespace app
