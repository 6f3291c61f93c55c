// No work lost to another program or to a crash: Save asks before overwriting a file another program
// changed, and the text of a document with unsaved changes is kept in a recovery file that the next start
// offers when the run ended without saving.
#include "app/main_window.h"

#include "app/load_indicator.h"
#include "base/failure.h"
#include "document/recovery.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTimer>

namespace app {

namespace {

QString recoveryQuestion(const document::RecoveryRecord& record) {
    return QStringLiteral("保存されないまま終了した文書の控えがあります。\r\n"
                          "文書: %1\r\n"
                          "控えの時刻: %2\r\n"
                          "この文書を復元しますか?\r\n"
                          "「いいえ」を選ぶと控えを破棄します。")
        .arg(record.caption, record.written.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}

QString overwriteQuestion(const QString& path) {
    return QStringLiteral("ファイル %1 は、ほかのプログラムによって変更されています。\r\n"
                          "上書きして保存しますか?\r\n"
                          "「いいえ」を選ぶと保存しません。")
        .arg(path);
}

} // namespace

void TForm1::startRecovery(const QString& folder, std::chrono::milliseconds interval) {
    run([&] { recovery_ = std::make_unique<RecoveryFiles>(folder); });
    if (!recovery_) return;
    // A timer, never a write per keystroke: typing stays as fast as without recovery.
    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setObjectName(QStringLiteral("RecoveryTimer"));
    recoveryTimer_->setInterval(interval);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] {
        const bool writing = recoveryWriting_.valid() &&
                             recoveryWriting_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
        if (recoveryDue_ && !writing) startRecoveryWrite();
    });
    recoveryTimer_->start();
    // The editor's signal follows whichever document it shows (a large load gives it a new one).
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] { recoveryDue_ = true; });
    connect(&document_, &Document::pathChanged, this, [this] { recoveryDue_ = true; });
}

bool TForm1::writeRecovery() {
    return startRecoveryWrite() && finishRecoveryWrite();
}

bool TForm1::startRecoveryWrite() {
    // A load in pieces has only part of the text in the editor; the previous text is still in its file.
    if (!recovery_ || document_.isLoading()) return false;
    finishRecoveryWrite(); // one write at a time
    recoveryDue_ = false;
    if (!isModified()) return true;
    document::RecoveryRecord record;
    record.caption = document::captionOfPath(document_.path());
    record.format = document_.format();
    record.disk = diskStamp_;
    record.written = QDateTime::currentDateTimeUtc();
    // Only taking the text holds up the window: the encoding and the writing run in a thread of their own
    // (a third of the time each, on the large document), on nothing but their own copies.
    recoveryWriting_ =
        std::async(std::launch::async, [this, files = recovery_.get(), snapshot = document_.snapshot(),
                                        record = std::move(record)]() mutable {
            // The window collects the result (a failure is reported there) as soon as it is done.
            const auto collect = qScopeGuard([this] {
                QMetaObject::invokeMethod(
                    this, [this] { finishRecoveryWrite(); }, Qt::QueuedConnection);
            });
            // In the layout the record names, which the restore reads it in.
            const QString text = document::linesOfRawText(std::move(snapshot.rawText));
            text::EncodedText encoded = text::encodeText(text, record.textFormat(), snapshot.lineEnds);
            if (!encoded.ok()) {
                // Saving would ask; the recovery file keeps every character, in UTF-8.
                record.writtenAsUtf8 = true;
                encoded = text::encodeText(text, record.textFormat(), snapshot.lineEnds);
            }
            files->write(encoded.bytes, record);
        });
    return true;
}

bool TForm1::finishRecoveryWrite() {
    if (!recoveryWriting_.valid()) return true;
    try {
        recoveryWriting_.get(); // waits for a write still running
        return true;
    } catch (const base::Failure& failure) {
        // Every 30 seconds the same failure would interrupt the typing: it is reported once a run.
        if (!recoveryFailureReported_) {
            recoveryFailureReported_ = true;
            platform_.reportError(base::withFinalPeriod(failure.message()));
        }
        return false;
    }
}

void TForm1::documentReplaced(const FileStamp& disk) {
    diskStamp_ = disk;
    recoveryDue_ = false;
    if (!recovery_) return;
    finishRecoveryWrite(); // a write still running would bring the files back
    recovery_->remove();
}

void TForm1::documentWritten(const QString& path) {
    documentReplaced(document::fileStamp(path));
}

bool TForm1::mayOverwrite(const QString& path) {
    const FileStamp now = document::fileStamp(path);
    // A file deleted meanwhile is simply written again: nothing of another program's is lost.
    if (!now.exists || now == diskStamp_) return true;
    return platform_.askYesNo(overwriteQuestion(path));
}

void TForm1::offerRecovery() {
    if (!recovery_) return;
    run([this] {
        std::vector<LeftoverRecovery> leftovers =
            LeftoverRecovery::find(recovery_->folder(), recovery_->name());
        for (LeftoverRecovery& leftover : leftovers) {
            if (platform_.askYesNo(recoveryQuestion(leftover.record()))) {
                restoreRecovery(leftover);
                return; // one document at a time: the others stay for a later start
            }
            leftover.discard();
        }
    });
}

bool TForm1::restoreRecovery(LeftoverRecovery& leftover) {
    LoadedDocument loaded = leftover.document();
    bool filled = false;
    // A large text fills the editor piece by piece, as an open does; Esc puts the previous one back.
    loadUnderPath(document::pathOfCaption(leftover.record().caption),
                  [&] { filled = document_.load(std::move(loaded), loadIndicator_.get()); });
    if (!filled) return false;
    document_.setModified(true);
    diskStamp_ = leftover.record().disk;
    RichEdit1Change();
    // The files of the ended run go only once the text is safe under this run's name.
    if (writeRecovery()) leftover.discard();
    return true;
}

void TForm1::startWith(const QString& commandLineFile) {
    offerRecovery();
    if (commandLineFile.isEmpty()) return;
    bool open = false;
    run([&] { open = askToSave(); });
    if (open) openFromCommandLine(commandLineFile);
}

} // namespace app
