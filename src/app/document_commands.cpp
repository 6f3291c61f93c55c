// The document commands of the main window: New, Open, Save, Save As, open by path and the close
// request, with the save-changes prompt.
#include "app/main_window.h"

#include "app/load_indicator.h"
#include "app/program.h"
#include "base/app_info.h"
#include "entry/entry_form.h"
#include "text/text_file.h"
#include "ui/guarded.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

#include <atomic>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#include <thread>

namespace app {

namespace {

// Three quarters of the machine's memory: what a document may take without pushing everything else out.
qint64 usableMemory() {
#ifdef Q_OS_UNIX
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0) return qint64(pages) * pageSize / 4 * 3;
#endif
    return qint64(4) * 1024 * 1024 * 1024;
}

QString folderWithSeparator(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath() + u'/');
}

} // namespace

std::optional<QString> TForm1::chooseFile(ui::FileDialogState& state, bool forSaving) {
    std::optional<QString> path =
        forSaving ? platform_.chooseSaveFile(state) : platform_.chooseOpenFile(state);
    // The folder of a chosen file becomes the working directory, as the file dialogs do on Windows.
    if (path) QDir::setCurrent(QFileInfo(*path).absolutePath());
    return path;
}

bool TForm1::askToSave() {
    if (!isModified()) return true;
    switch (platform_.askSaveChanges()) {
    case ui::SaveAnswer::Cancel:
        return false;
    case ui::SaveAnswer::No:
        return true;
    case ui::SaveAnswer::Yes:
        saveDocument();
        // Nothing saved (the save dialog was cancelled, or saving was declined): the command that
        // asked is abandoned, as with Cancel, so the text is never lost.
        return !isModified();
    }
    return false;
}

void TForm1::checkSizeBeforeReading(const QString& path) {
    const qint64 size = QFileInfo(path).size();
    if (size <= kAskAboveBytes) return;
    // What the editor needs for a file of this size: measured at 10 bytes of memory a byte of CP932 text
    // (350 MB for 34 MB), with room to spare.
    const qint64 needed = size * 12;
    const QString megabytes = QString::number(size / (1024 * 1024));
    const QString gigabytes = QString::number(double(needed) / (1024.0 * 1024 * 1024), 'f', 1);
    if (needed > usableMemory())
        throw base::Failure(
            QStringLiteral("ファイル %1 は大きすぎて開けません (%2 MB。開くにはおよそ %3 GB の"
                           "メモリが要ります)")
                .arg(path, megabytes, gigabytes));
    if (!platform_.askYesNo(
            QStringLiteral("ファイル %1 は %2 MB あります。\r\n開くには時間がかかり、およそ %3 GB "
                           "のメモリを使います。開きますか?")
                .arg(path, megabytes, gigabytes)))
        throw base::Cancelled();
}

void TForm1::loadDocument(const QString& path) {
    checkSizeBeforeReading(path);
    const FileStamp disk = document::fileStamp(path); // before the read: a change while reading counts too
    const bool large = disk.size > kReadAtOnceBytes;
    // A large file: the window shows one load from the read to the last piece.
    if (large) loadIndicator_->loadStarted(0);
    const auto finished = qScopeGuard([&] {
        if (large) loadIndicator_->loadFinished();
    });
    LoadedDocument loaded = large ? readWhileTheWindowAnswers(path) : document::loadDocumentFile(path);
    const QString warning = document::openWarning(path, loaded);
    if (!document_.load(std::move(loaded), loadIndicator_.get())) throw base::Cancelled();
    documentReplaced(disk);
    RichEdit1Change();
    if (!warning.isEmpty()) platform_.showMessage(warning);
}

LoadedDocument TForm1::readWhileTheWindowAnswers(const QString& path) {
    // Reading and decoding tens of megabytes takes longer than the window may stand still, so they run
    // in a thread of their own, on nothing but their own copy of the path; the window waits in an event
    // loop, and a cancel leaves the thread to finish into a result nobody reads (the main window waits for
    // it when it goes, so that it never outlives the tables it reads with).
    struct Read {
        std::atomic<bool> done = false;
        std::optional<LoadedDocument> document;
        std::exception_ptr failure;
    };
    const auto read = std::make_shared<Read>();
    readThreads_.emplace_back([read, file = path] {
        try {
            read->document = document::loadDocumentFile(file);
        } catch (...) {
            read->failure = std::current_exception();
        }
        read->done = true;
    });
    QEventLoop wait;
    QTimer poll;
    readCancelled_ = false;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (read->done || readCancelled_) wait.quit();
    });
    poll.start(5);
    reading_ = &wait;
    const auto notReading = qScopeGuard([this] { reading_ = nullptr; });
    wait.exec();
    // (The loop ends early, unread, only when the program is told to quit.)
    if (readCancelled_ || !read->done) throw base::Cancelled();
    if (read->failure) std::rethrow_exception(read->failure);
    return std::move(*read->document);
}

void TForm1::cancelLoad() {
    if (reading_) {
        readCancelled_ = true;
        reading_->quit();
    } else if (document_.isLoading()) {
        document_.cancelLoad();
    } else {
        return;
    }
    // The previous document is back with its own modified flag; the caption follows it.
    restoreAfterFailedLoad(isModified());
}

void TForm1::writeDocument(const QString& path) {
    PreviousCaption = windowTitle();
    try {
        document::DocumentFormat format = document_.format();
        text::EncodedText encoded = document_.encode(format);
        if (!encoded.ok()) {
            // Never write "?" for a character the encoding cannot hold: offer UTF-8, or write nothing.
            if (!platform_.askYesNo(
                    document::unencodableQuestion(encoded.unencodable, format.text.encoding))) {
                setWindowTitle(PreviousCaption);
                document_.setModified(true);
                return;
            }
            format = document::asUtf8(format);
            encoded = document_.encode(format);
        }
        text::writeFileBytes(path, encoded.bytes);
        document_.setFormat(std::move(format));
        document_.setModified(false);
        documentWritten(path);
    } catch (...) {
        setWindowTitle(PreviousCaption);
        document_.setModified(true);
        throw;
    }
}

void TForm1::finishSave() {
    CurrentFile = SaveDialog1.fileName;
    WriteResume();
    ReadResume();
}

void TForm1::saveDocument() {
    if (isLoading()) return; // half a file is never written over the whole
    const ui::BusyCursor busy(platform_);
    ui::withFinishingSteps(
        platform_,
        [this] {
            if (!isModified()) return;
            if (windowTitle() == base::kUntitledName)
                saveDocumentAs();
            else if (mayOverwrite(windowTitle()))
                writeDocument(windowTitle());
        },
        [this] { finishSave(); });
}

void TForm1::saveDocumentAs() {
    if (isLoading()) return;
    const ui::BusyCursor busy(platform_);
    const std::optional<QString> path = chooseFile(SaveDialog1, true);
    if (!path) return;
    setWindowTitle(*path);
    ui::withFinishingSteps(
        platform_, [&] { writeDocument(*path); }, [this] { finishSave(); });
}

void TForm1::New1Click() {
    run([this] { newDocument(); });
}

void TForm1::newDocument() {
    if (!askToSave()) return;
    document_.clear();
    documentReplaced({});
    RichEdit1Change();
    setWindowTitle(base::kUntitledName);
    document_.setModified(false);
    SetButtons();
}

void TForm1::Open1Click() {
    run([this] { openDocument(); });
}

void TForm1::openDocument() {
    if (!askToSave()) return;
    ui::withFinishingSteps(
        platform_,
        [this] {
            const ui::BusyCursor busy(platform_);
            OpenDialog1.filterIndex = 0;
            const std::optional<QString> path = chooseFile(OpenDialog1, false);
            if (!path) return;
            loadUnderCaption(*path, [&] { loadDocument(*path); });
        },
        // The finishing steps run on every way out: a cancelled dialog and a failed load included.
        [this] {
            logStep("VolCount");
            if (windows_.form2) windows_.form2->VolCount();
            logStep("CurrentFile");
            CurrentFile = OpenDialog1.fileName;
            logStep("LastDir");
            LastDir = QDir::currentPath();
            logStep("WriteResume");
            WriteResume();
            logStep("ReadResume");
            ReadResume();
            logStep("SetButtons");
            SetButtons();
        });
}

void TForm1::loadUnderCaption(const QString& caption, const std::function<void()>& load) {
    const bool wasModified = isModified();
    PreviousCaption = windowTitle();
    setWindowTitle(caption);
    try {
        load();
    } catch (...) {
        restoreAfterFailedLoad(wasModified);
        throw;
    }
}

void TForm1::restoreAfterFailedLoad(bool wasModified) {
    setWindowTitle(PreviousCaption);
    // The untitled name is no file: the dialog then remembers no file at all.
    OpenDialog1.fileName = PreviousCaption == base::kUntitledName ? QString() : PreviousCaption;
    document_.setModified(wasModified);
}

void TForm1::FileOpen(const QString& path) {
    ui::withFinishingSteps(
        platform_,
        [&] {
            const ui::BusyCursor busy(platform_);
            loadUnderCaption(path, [&] {
                loadDocument(path);
                OpenDialog1.fileName = path;
            });
        },
        [&] {
            logStep("VolCount");
            if (windows_.form2) windows_.form2->VolCount();
            logStep("CurrentFile");
            CurrentFile = path;
            logStep("LastDir");
            LastDir = QDir::currentPath();
            OpenDialog1.initialDir = folderWithSeparator(path);
            SaveDialog1.initialDir = folderWithSeparator(path);
            logStep("SetButtons");
            SetButtons();
        });
}

void TForm1::openFromCommandLine(const QString& path) {
    run([&] {
        FileOpen(QFileInfo(path).absoluteFilePath());
        WriteResume();
        ReadResume();
    });
}

void TForm1::Save1Click() {
    run([this] { saveDocument(); });
}

void TForm1::SA1Click() {
    run([this] { saveDocumentAs(); });
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::FormCloseQuery(bool& canClose) {
    // Cancel refuses the close, and so does a Yes that saved nothing: the text is never lost. The
    // settings are written either way; a failed save ends the request before that.
    if (!askToSave()) canClose = false;
    WriteSettings();
}

} // namespace app
