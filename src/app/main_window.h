#pragma once
// TForm1: the main window. It holds the one document, the text of its editor RichEdit1, and wires the
// commands of its menu and tool bar to the files that carry them out (document_commands.cpp, ...); the other
// windows reach the document through the DocumentAdapter.
#include "app/crash_recovery.h"
#include "app/document_adapter.h"
#include "app/load_indicator.h"
#include "document/document.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "ui/guarded.h"
#include "ui/platform.h"

#include <QMainWindow>
#include <array>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QEventLoop;
class QLabel;
class QPrinter;
class QTimer;

namespace document {
class LeftoverRecovery;
class RecoveryFiles;
} // namespace document
namespace view {
class StoreColouring;
class TextView;
} // namespace view

namespace app {

// The window's words for the document and the settings it holds.
using document::Document;
using document::FileStamp;
using document::LeftoverRecovery;
using document::LoadedDocument;
using document::RecoveryFiles;
using settings::RecentFileList;
using settings::SettingsStore;
using view::StoreColouring;

class CheckWindow;
class CommandTable;
class FontBoxes;
class JumpBox;
class RecentFilesMenu;
class LoadIndicator;
struct Windows;
class SearchDialog;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `settings` is the store the window reads at its creation and writes to (the user's own, or a
    // test's).
    TForm1(ui::Platform& platform, Windows& windows, QString programDir, SettingsStore settings);
    ~TForm1() override;

    // Document commands (menu items and tool buttons); each reports its own failures.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SA1Click();
    void Exit1Click();
    // Loads the named file as the document; a failure restores the state and is thrown to the caller.
    void FileOpen(const QString& path);
    // A file named on the command line (as a file manager passes it): opened by path, then the recent-file
    // update; a failure is reported and the untitled document stays.
    void openFromCommandLine(const QString& path);
    // The close request: the save-changes prompt and the settings; clears canClose to refuse.
    void FormCloseQuery(bool& canClose);
    // After every change of the editor text.
    void RichEdit1Change();
    // The windows of the menu "文献(&B)".
    void L1Click();
    // 文献の修正: the entry form, in its edit mode, on the entry the caret stands in.
    void Modify1Click();
    void BibB1Click();
    void CSVO1Click();
    // The check (main_window.cpp): the window "文献の検査", and F8 / Shift+F8 to the next and previous
    // finding without it.
    void Check1Click();
    void NextFinding1Click();
    void PreviousFinding1Click();
    CheckWindow& checkWindow();
    // What the status bar says of the finding F8 or Shift+F8 went to; empty once the caret left its line.
    QString findingShown() const;
    // The recent-file items 1 to 5 of the menu "ファイル(&F)": each opens its file and moves it to the
    // front of the list.
    void N11Click();
    void N21Click();
    void N31Click();
    void N41Click();
    void N51Click();

    // Edit commands on the editor (main_window.cpp); the text-change handling follows every change.
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void A2Click();
    // Find and replace through the modeless FindDialog1 and ReplaceDialog1.
    void Find2Click();
    void Replace1Click();
    // 文献へ移動 (main_window.cpp): the box, and the move to the entry whose label it holds.
    void Jump1Click();
    void JumpDialog1Jump();
    // 色分け表示: the colouring on or off, kept in the settings.
    void Highlight1Click();
    // Ctrl+Down and Ctrl+Up in the editor: the caret to the next or previous entry head.
    void nextEntry();
    void previousEntry();
    void FindDialog1Find();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace();
    // The dialogs, made at their first showing.
    SearchDialog& findDialog();
    SearchDialog& replaceDialog();
    JumpBox& jumpBox();
    StoreColouring& colouring() { return *colouring_; }

    // The command-state update: the font boxes to the editor font, then the enabling by the document's
    // emptiness and modified flag, applied by the command table.
    void SetButtons();
    // The font boxes: a name or size picked from the list applies at once, a size also on Enter.
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox2KeyPress(int key);
    // Printer setup and printing (main_window.cpp).
    void A1Click();
    void Print1Click();
    // Help and the about box (main_window.cpp).
    void Help2Click();
    void About1Click();

    // The recent-file update: WriteResume moves the current file to the front of the stored list,
    // ReadResume reads the list back and into the five menu items.
    void WriteResume();
    void ReadResume();
    // The window state, the last folder and the editor font: read at creation, written at every close
    // request.
    void ReadSettings();
    void WriteSettings();

    // No work lost (recovery_commands.cpp). Keeps the text of a document with unsaved changes in this
    // run's recovery files in `folder`, written every `interval` while the text changes.
    void startRecovery(const QString& folder, std::chrono::milliseconds interval);
    // Program start: the recovery offer, then the file named on the command line if any (a restored
    // text is offered for saving first, so that opening the file never drops it).
    void startWith(const QString& commandLineFile);
    // Offers each recovery file a run that ended without saving left, newest first: the first restored
    // becomes the document (the rest stay for a later start); each one discarded is deleted.
    void offerRecovery();
    // Writes the recovery file now when the document has unsaved changes, as the timer does, and waits
    // for it; false when that failed (reported once a run) or there is no recovery.
    bool writeRecovery();
    // Waits for a recovery write the timer started; false when it failed (reported once a run).
    bool finishRecoveryWrite();
    const RecoveryFiles* recoveryFiles() const { return recovery_.files(); }
    // The run is ended from outside (a logout, a shutdown) and gets no close request: a load running
    // gives back the document the user had, as a close request does; the text of a document with unsaved
    // changes is written to the recovery files now and left with them for the next start, whose lock goes
    // (so do those of the files being offered); the settings are written. Asks nothing and reports
    // nothing; returns what failed, empty when nothing did. The caller then ends the program.
    QString endRun();

    // State, for the dialogs and for tests.
    Document& document() { return document_; }
    const Document& document() const { return document_; }
    entry::EntryDocument& entryDocument() { return adapter_; }
    csv::CsvDocument& csvDocument() { return adapter_; }
    // The caption: the document's path, or the untitled name.
    QString documentName() const { return document::captionOfPath(document_.path()); }
    bool isModified() const { return document_.isModified(); }
    QString documentText() const { return document_.text(); }
    int entryCount() const { return document_.entryCount(); }
    QString previousCaption() const { return document::captionOfPath(previousPath_); }
    const QString& currentFile() const { return currentFile_; }
    const QString& lastDir() const { return lastDir_; }
    const RecentFileList& recentFiles() const;
    ui::FileDialogState& openDialog() { return openDialog_; }
    ui::FileDialogState& saveDialog() { return saveDialog_; }
    // The editor RichEdit1: the view over the document's store and history.
    view::TextView* editor() const { return editor_; }
    // A file larger than this is opened only once the user agrees (it takes seconds and gigabytes); one
    // the machine's memory cannot hold is refused before anything is read.
    static constexpr qint64 kAskAboveBytes = 100 * 1024 * 1024;
    // For tests: the finishing steps of Open and open by path, by name, as they run.
    void setFinishingStepLog(QStringList* log) { stepLog_ = log; }
    // A large file is being read: the text and the commands wait for it.
    bool isLoading() const { return backgroundRead_.isReading(); }
    // The printer printing uses, with what printer setup chose; made at its first use.
    QPrinter& printer();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The dialogs' way to the window.
    friend class DocumentAdapter;

    void FormCreate();
    // Every handler runs through here: a failure it does not check itself reaches the error report.
    template <typename Handler> void run(Handler&& handler) {
        ui::guarded(platform_, std::forward<Handler>(handler));
    }

    // The document commands' bodies (document_commands.cpp); a failure leaves them as base::Failure.
    void newDocument();
    void openDocument();
    // The save-changes prompt; true when the command that asked goes on.
    bool askToSave();
    // The close request's work: the save-changes prompt, then the settings; true when the window closes.
    bool askToClose();
    void saveDocument();
    void saveDocumentAs();
    void writeDocument(const QString& path);
    void finishSave();
    void loadDocument(const QString& path);
    // The document adopts what `work` reads and makes ready: a large one (`inBackground`) through the
    // background read, with the load shown and Esc to cancel (base::Cancelled), otherwise here.
    void adoptDocument(bool inBackground, BackgroundRead::Work work);
    void checkSizeBeforeReading(const QString& path);
    // Esc, or a close request, during a load: the previous document, caption and all, is back at once.
    void cancelLoad();
    void logStep(const char* step) {
        if (stepLog_) stepLog_->append(QString::fromLatin1(step));
    }
    // Makes `path` the document's (the caption follows) and runs `load`; when the load fails or is
    // cancelled, the previous path and modified state come back.
    void loadUnderPath(const QString& path, const std::function<void()>& load);
    // The caption follows the document's path; it is never read back.
    void showPath();
    void restoreAfterFailedLoad(bool wasModified);
    std::optional<QString> chooseFile(ui::FileDialogState& state, bool forSaving);
    // The settings commands' helpers (document_commands.cpp).
    void openRecentFile(std::size_t index);
    // Runs a write to the settings store. A store that cannot be written never stops a command (nor the
    // close); its first failure in a run is reported, later ones would only repeat it.
    template <typename Write> void storeSettings(Write&& write);
    // A fresh instance of a window of the menu 文献 in `current`, shown modally (main_window.cpp).
    template <typename Form, typename... Extra>
    void showFreshModal(std::unique_ptr<Form>& current, Extra&&... extra);
    // Find and replace (main_window.cpp); the replace dialog's buttons ask for one or for all.
    void replaceAsAsked();
    void findNext(const QString& findText);
    void replaceFirst(const QString& findText, const QString& replacement);
    void replaceAll(const QString& findText, const QString& replacement);

    // No work lost (recovery_commands.cpp). The document commands tell when the document was replaced
    // by another (its file's stamp as read) and when it was written to its file.
    void documentReplaced(const FileStamp& disk);
    void documentWritten(const QString& path);
    // Save onto the document's own file: true unless another program changed the file since the last
    // load or save and the user declines to overwrite it.
    bool mayOverwrite(const QString& path);
    // The recovered text becomes the document, under its own path, modified.
    void restoreRecovery(LeftoverRecovery& leftover);
    // Takes the text and leaves the rest of the recovery write to a thread; false when there is no
    // recovery or a load runs.
    bool startRecoveryWrite();

    // 文献の修正 (main_window.cpp): the caret's entry, as its band marks it, read and shown in the form.
    void changeEntryAtCaret();
    // The check (main_window.cpp): the document checked under the busy pointer, then its window shown.
    void checkDocument();
    // F8 and Shift+F8: the caret to the next or previous finding, its message in the status bar.
    void walkFindings(bool forward);
    // The status bar's message of a finding on `line` (none: empty).
    void showFinding(const QString& message, qsizetype line);
    // Printing (main_window.cpp): the print dialog, then the document's lines in the editor's font.
    void printDocument();

    // The colouring and the entry keys (main_window.cpp).
    void wireView();
    // The 色分け表示 item and the colouring to the setting read.
    void applyHighlightSetting();
    // The setting and the colouring to the 色分け表示 item as the user left it.
    void followHighlightItem();
    // The caret to the head of the entry whose label the jump box holds; no such entry is reported.
    void jumpToEntry();
    // The caret to the start of `line`, the line at the top of the view.
    void moveToLine(qsizetype line);

    ui::Platform& platform_;
    Windows& windows_;
    QString programDir_;
    // Before the controls: events reach the window while they are being made.
    bool outerSizeFitted_ = false;
    SettingsStore settings_;
    bool settingsFailureReported_ = false;

    view::TextView* editor_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QLabel* findingPanel_ = nullptr; // the message of the finding F8 went to, beside the count
    qsizetype findingLine_ = -1;     // its line, while the caret stays there

    Document document_;
    std::unique_ptr<LoadIndicator> loadIndicator_;
    BackgroundRead backgroundRead_; // joins its threads when the window goes
    QStringList* stepLog_ = nullptr;
    DocumentAdapter adapter_;
    QString previousPath_; // the document's path before a load or a write that may fail
    QString currentFile_;
    QString lastDir_;
    ui::FileDialogState openDialog_;
    ui::FileDialogState saveDialog_;
    SearchDialog* findDialog_ = nullptr;
    SearchDialog* replaceDialog_ = nullptr;
    CheckWindow* checkWindow_ = nullptr; // made at its first use
    std::optional<QRect> checkPlace_;    // the check window's place as the settings keep it
    JumpBox* jumpDialog_ = nullptr;
    StoreColouring* colouring_ = nullptr;
    bool highlight_ = true;

    std::unique_ptr<CommandTable> commands_;
    std::unique_ptr<FontBoxes> fontBoxes_;
    std::unique_ptr<RecentFilesMenu> recentMenu_;
    std::unique_ptr<QPrinter> printer_;

    // No work lost.
    CrashRecovery recovery_; // its write running in a thread uses the document: destroyed before it
    std::vector<LeftoverRecovery> offered_; // what a run that ended left, while it is offered
};

} // namespace app
