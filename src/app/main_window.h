#pragma once
// TForm1: the main window. It holds the one document, the text of RichEdit1, and wires the commands of
// its menu and tool bar to the files that carry them out (document_commands.cpp, ...); the other windows
// reach the document through the DocumentAdapter.
#include "app/document.h"
#include "app/document_adapter.h"
#include "ui/guarded.h"
#include "ui/platform.h"

#include <QMainWindow>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolBar;

namespace app {

struct Windows;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(ui::Platform& platform, Windows& windows, QString programDir);
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
    void BibB1Click();
    void CSVO1Click();

    // The command-state update and the recent-file list (filled in with their commands).
    void SetButtons();
    void WriteResume();
    void ReadResume();
    void ReadSettings();
    void WriteSettings();

    // State, for the dialogs and for tests.
    Document& document() { return document_; }
    const Document& document() const { return document_; }
    entry::EntryDocument& entryDocument() { return adapter_; }
    csv::CsvDocument& csvDocument() { return adapter_; }
    QString documentName() const { return windowTitle(); }
    bool isModified() const { return document_.isModified(); }
    QString documentText() const { return document_.text(); }
    int entryCount() const { return document_.entryCount(); }
    const QString& previousCaption() const { return PreviousCaption; }
    const QString& currentFile() const { return CurrentFile; }
    const QString& lastDir() const { return LastDir; }
    ui::FileDialogState& openDialog() { return OpenDialog1; }
    ui::FileDialogState& saveDialog() { return SaveDialog1; }
    QPlainTextEdit* editor() const { return RichEdit1; }

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
    void saveDocument();
    void saveDocumentAs();
    void writeDocument(const QString& path);
    void finishSave();
    void loadDocument(const QString& path);
    void restoreAfterFailedLoad(bool wasModified);
    std::optional<QString> chooseFile(ui::FileDialogState& state, bool forSaving);

    ui::Platform& platform_;
    Windows& windows_;
    QString programDir_;

    QPlainTextEdit* RichEdit1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* statusPanel_ = nullptr;
    std::array<QAction*, 5> recentItems_{};
    bool outerSizeFitted_ = false;

    Document document_;
    DocumentAdapter adapter_;
    QString PreviousCaption;
    QString CurrentFile;
    QString LastDir;
    QString editorFontName_;
    int editorFontSize_ = 12;
    ui::FileDialogState OpenDialog1;
    ui::FileDialogState SaveDialog1;
};

} // namespace app
