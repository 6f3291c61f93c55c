// The document commands of the main window: New, Open, Save, Save As, open by path and the close
// request, with the save-changes prompt; the settings and the recent-file list they read and write.
#include "app/main_window.h"

#include "app/check_window.h"
#include "app/command_state.h"
#include "app/command_table.h"
#include "app/load_indicator.h"
#include "app/program.h"
#include "base/app_info.h"
#include "base/failure.h"
#include "base/fonts.h"
#include "entry/entry_form.h"
#include "text/text_file.h"
#include "ui/guarded.h"
#include "view/text_view.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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
    // What the editor needs for a file of this size: measured at about 3 bytes of memory a byte of CP932
    // text at its peak, while it is saved (106 MB beyond the window's own for 34 MB; a 492 MB file opened
    // takes 1.1 GB); a text all in ASCII takes a quarter more (two bytes a character), so 5 leaves room.
    const qint64 needed = size * 5;
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
    // Written by the read (in its thread for a large file), read here once it is done.
    const auto warning = std::make_shared<QString>();
    adoptDocument(disk.size > BackgroundRead::kAboveBytes, [path, warning] {
        document::LoadedDocument loaded = document::loadDocumentFile(path);
        *warning = document::openWarning(path, loaded);
        // The store takes over the decoded text's storage; the file's bytes went with the decoding.
        return document::prepareDocument(std::move(loaded));
    });
    documentReplaced(disk);
    RichEdit1Change();
    if (!warning->isEmpty()) platform_.showMessage(*warning);
}

void TForm1::adoptDocument(bool inBackground, BackgroundRead::Work work) {
    if (!inBackground) {
        document_.load(work());
        return;
    }
    loadIndicator_->loadStarted(0);
    const auto finished = qScopeGuard([&] { loadIndicator_->loadFinished(); });
    document_.load(backgroundRead_.read(std::move(work)));
}

void TForm1::cancelLoad() {
    if (!backgroundRead_.cancel()) return;
    // The previous document is back with its own modified flag; the caption follows it.
    restoreAfterFailedLoad(isModified());
}

void TForm1::writeDocument(const QString& path) {
    previousPath_ = document_.path();
    try {
        document::DocumentFormat format = document_.format();
        text::EncodedText encoded = document_.encode(format);
        if (!encoded.ok()) {
            // Never write "?" for a character the encoding cannot hold: offer UTF-8, or write nothing.
            if (!platform_.askYesNo(
                    document::unencodableQuestion(encoded.unencodable, format.text.encoding))) {
                document_.setPath(previousPath_);
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
        document_.setPath(previousPath_);
        document_.setModified(true);
        throw;
    }
}

void TForm1::finishSave() {
    currentFile_ = saveDialog_.fileName;
    WriteResume();
    ReadResume();
}

void TForm1::saveDocument() {
    const ui::BusyCursor busy(platform_);
    ui::withFinishingSteps(
        platform_,
        [this] {
            if (!isModified()) return;
            const QString path = document_.path();
            if (path.isEmpty())
                saveDocumentAs();
            else if (mayOverwrite(path))
                writeDocument(path);
        },
        [this] { finishSave(); });
}

void TForm1::saveDocumentAs() {
    const ui::BusyCursor busy(platform_);
    const std::optional<QString> path = chooseFile(saveDialog_, true);
    if (!path) return;
    document_.setPath(*path);
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
    document_.setPath(QString());
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
            openDialog_.filterIndex = 0;
            const std::optional<QString> path = chooseFile(openDialog_, false);
            if (!path) return;
            loadUnderPath(*path, [&] { loadDocument(*path); });
        },
        // The finishing steps run on every way out: a cancelled dialog and a failed load included.
        [this] {
            logStep("VolCount");
            if (windows_.form2) windows_.form2->VolCount();
            logStep("CurrentFile");
            currentFile_ = openDialog_.fileName;
            logStep("LastDir");
            lastDir_ = QDir::currentPath();
            logStep("WriteResume");
            WriteResume();
            logStep("ReadResume");
            ReadResume();
            logStep("SetButtons");
            SetButtons();
        });
}

void TForm1::loadUnderPath(const QString& path, const std::function<void()>& load) {
    const bool wasModified = isModified();
    previousPath_ = document_.path();
    document_.setPath(path);
    try {
        load();
    } catch (...) {
        restoreAfterFailedLoad(wasModified);
        throw;
    }
}

void TForm1::restoreAfterFailedLoad(bool wasModified) {
    document_.setPath(previousPath_);
    // The untitled document has no file: the dialog then remembers no file at all.
    openDialog_.fileName = previousPath_;
    document_.setModified(wasModified);
}

void TForm1::FileOpen(const QString& path) {
    ui::withFinishingSteps(
        platform_,
        [&] {
            const ui::BusyCursor busy(platform_);
            loadUnderPath(path, [&] {
                loadDocument(path);
                openDialog_.fileName = path;
            });
        },
        [&] {
            logStep("VolCount");
            if (windows_.form2) windows_.form2->VolCount();
            logStep("CurrentFile");
            currentFile_ = path;
            logStep("LastDir");
            lastDir_ = QDir::currentPath();
            openDialog_.initialDir = folderWithSeparator(path);
            saveDialog_.initialDir = folderWithSeparator(path);
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
    if (!askToClose()) canClose = false;
}

bool TForm1::askToClose() {
    // Cancel refuses the close, and so does a Yes that saved nothing: the text is never lost. The
    // settings are written either way; a failed save ends the request before that.
    const bool goesOn = askToSave();
    WriteSettings();
    return goesOn;
}

// ---- settings and recent files ------------------------------------------------------------------

// The main window's settings and its recent-file list: the window state, lastDir_ and the editor font
// read at creation and written at every close request, the recent-file update and the five recent-file
// commands.

namespace {

// A window both maximised and minimised (minimised from the maximised state) is minimised.
int stateCodeOf(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized) return 3;
    if (states & Qt::WindowMaximized) return 2;
    return 1;
}

} // namespace

template <typename Write> void TForm1::storeSettings(Write&& write) {
    try {
        std::forward<Write>(write)();
    } catch (const base::Failure& failure) {
        if (settingsFailureReported_) return;
        settingsFailureReported_ = true;
        platform_.reportError(base::withFinalPeriod(failure.message()));
    }
}

void TForm1::ReadSettings() {
    settings::WindowSettings defaults;
    defaults.lastDir = QDir::currentPath();
    defaults.fontName = base::kEditorFontName;
    const settings::WindowSettings stored = settings::readWindowSettings(settings_, defaults);
    switch (stored.stateCode) {
    case 1:
        setWindowState(Qt::WindowNoState);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    case 3:
        setWindowState(Qt::WindowMinimized);
        break;
    default: // the window stays as designed: normal, centred
        break;
    }
    lastDir_ = stored.lastDir;
    fontBoxes_->show(stored.fontName, stored.fontSize);
    highlight_ = stored.highlight;
    checkPlace_ = stored.checkWindow;
}

void TForm1::WriteSettings() {
    const QFont font = editor_->font();
    settings::WindowSettings settings;
    settings.stateCode = stateCodeOf(windowState());
    settings.lastDir = lastDir_;
    settings.fontName = font.family();
    // A font given in pixels has no point size; the size last read or chosen stands for it.
    settings.fontSize = font.pointSize() > 0 ? font.pointSize() : fontBoxes_->size();
    settings.highlight = highlight_;
    // Where the user left the check window this run; else where the settings had it.
    if (checkWindow_ && checkWindow_->place()) checkPlace_ = checkWindow_->place();
    settings.checkWindow = checkPlace_;
    storeSettings([&] { settings::writeWindowSettings(settings_, settings); });
}

const RecentFileList& TForm1::recentFiles() const {
    return recentMenu_->files();
}

void TForm1::WriteResume() {
    const RecentFileList list = settings::movedToFront(recentMenu_->files(), currentFile_);
    storeSettings([&] { settings::writeRecentFiles(settings_, list); });
}

void TForm1::ReadResume() {
    recentMenu_->show(settings::readRecentFiles(settings_));
    commands_->apply();
}

void TForm1::openRecentFile(std::size_t index) {
    run([&] {
        // The file of the item chosen: answering Yes saves first, and the save's own recent-file update
        // may move the entries under the items.
        const QString path = recentMenu_->files()[index];
        if (!askToSave()) return;
        // A file that cannot be opened is reported and keeps its place: the update is skipped.
        FileOpen(path);
        WriteResume();
        ReadResume();
    });
}

void TForm1::N11Click() {
    openRecentFile(0);
}

void TForm1::N21Click() {
    openRecentFile(1);
}

void TForm1::N31Click() {
    openRecentFile(2);
}

void TForm1::N41Click() {
    openRecentFile(3);
}

void TForm1::N51Click() {
    openRecentFile(4);
}

} // namespace app
