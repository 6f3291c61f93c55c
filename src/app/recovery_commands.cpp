// No work lost to another program or to a crash: Save asks before overwriting a file another program
// changed, and the text of a document with unsaved changes is kept in a recovery file that the next start
// offers when the run ended without saving.
#include "app/main_window.h"

#include "app/load_indicator.h"
#include "document/recovery.h"
#include "view/text_view.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

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
    run([&] { recovery_.start(folder, interval); });
    if (!recovery_.isOn()) return;
    // The view's signal follows whichever store it shows.
    connect(editor_, &view::TextView::textChanged, this, [this] { recovery_.markDue(); });
    connect(&document_, &Document::pathChanged, this, [this] { recovery_.markDue(); });
}

bool TForm1::writeRecovery() {
    return startRecoveryWrite() && finishRecoveryWrite();
}

bool TForm1::startRecoveryWrite() {
    return recovery_.startWrite(document::captionOfPath(document_.path()));
}

bool TForm1::finishRecoveryWrite() {
    return recovery_.finishWrite();
}

void TForm1::documentReplaced(const FileStamp& disk) {
    recovery_.documentReplaced(disk);
}

void TForm1::documentWritten(const QString& path) {
    documentReplaced(document::fileStamp(path));
}

bool TForm1::mayOverwrite(const QString& path) {
    const FileStamp now = document::fileStamp(path);
    // A file deleted meanwhile is simply written again: nothing of another program's is lost.
    if (!now.exists || now == recovery_.diskStamp()) return true;
    return platform_.askYesNo(overwriteQuestion(path));
}

void TForm1::offerRecovery() {
    if (!recovery_.isOn()) return;
    run([this] {
        // Kept by the window while they are offered, so that a run ended meanwhile lets them go.
        offered_ = LeftoverRecovery::find(recovery_.files()->folder(), recovery_.files()->name());
        const auto offered = qScopeGuard([this] { offered_.clear(); });
        for (LeftoverRecovery& leftover : offered_) {
            if (platform_.askYesNo(recoveryQuestion(leftover.record()))) {
                restoreRecovery(leftover);
                return; // one document at a time: the others stay for a later start
            }
            leftover.discard();
        }
    });
}

void TForm1::restoreRecovery(LeftoverRecovery& leftover) {
    // A large copy is read, decoded and made ready as a large file is opened: in a thread of its own while
    // the window shows the load, Esc cancelling it. A cancel leaves the files for the next start.
    const bool large = QFileInfo(leftover.textPath()).size() > BackgroundRead::kAboveBytes;
    loadUnderPath(document::pathOfCaption(leftover.record().caption), [&] {
        adoptDocument(large, [read = leftover.reading()] { return document::prepareDocument(read()); });
    });
    document_.setModified(true);
    recovery_.setDiskStamp(leftover.record().disk);
    RichEdit1Change();
    // The files of the ended run go only once the text is safe under this run's name. The write of a
    // large text is waited for while the window answers.
    if (!startRecoveryWrite()) return;
    if (large) waitAnswering([this] { return !recovery_.isWriting(); });
    if (finishRecoveryWrite()) leftover.discard();
}

QString TForm1::endRun() {
    cancelLoad();
    const QString failure = recovery_.leave(documentName());
    for (LeftoverRecovery& leftover : offered_)
        leftover.letGo();
    // The settings a close request writes. No one is left to read a report of a failure.
    settingsFailureReported_ = true;
    WriteSettings();
    return failure;
}

void TForm1::startWith(const QString& commandLineFile) {
    offerRecovery();
    if (commandLineFile.isEmpty()) return;
    bool open = false;
    run([&] { open = askToSave(); });
    if (open) openFromCommandLine(commandLineFile);
}

} // namespace app
