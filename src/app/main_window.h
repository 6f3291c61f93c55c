#pragma once
// TForm1: the main window. It holds the one document, the text of RichEdit1, and runs the document
// commands; the other windows reach the document through the EntryDocument interface.
#include "app/document_file.h"
#include "entry/entry_document.h"
#include "ui/platform.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;

namespace app {

class DocumentIndex;
struct Windows;

class TForm1 : public QMainWindow, public entry::EntryDocument {
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

    // entry::EntryDocument
    bool labelInUse(const QString& label) const override;
    void appendLines(const QStringList& lines) override;
    int entryCount() const override;
    void showEntryCount(const QString& text) override;

    // State, for the commands that come with later windows and for tests.
    QString documentName() const { return windowTitle(); }
    bool isModified() const;
    QString documentText() const;
    const DocumentFormat& documentFormat() const { return format_; }
    const QString& previousCaption() const { return PreviousCaption; }
    const QString& currentFile() const { return CurrentFile; }
    const QString& lastDir() const { return LastDir; }
    ui::FileDialogState& openDialog() { return OpenDialog1; }
    ui::FileDialogState& saveDialog() { return SaveDialog1; }
    QPlainTextEdit* editor() const { return RichEdit1; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildToolBar();
    void addToolButton(const char* name, const QString& hint, const char* themeIcon, int fallbackIcon,
                       void (TForm1::*handler)());
    QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption,
                         void (TForm1::*handler)() = nullptr);

    // The bodies of the handlers above; a failure leaves them as ui::Failure.
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
    void setDocumentText(const QString& text);
    void setModified(bool modified);
    std::optional<QString> chooseFile(ui::FileDialogState& state, bool forSaving);
    template <typename Handler> void run(Handler&& handler);

    ui::Platform& platform_;
    Windows& windows_;
    QString programDir_;

    QPlainTextEdit* RichEdit1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* statusPanel_ = nullptr;
    std::array<QAction*, 5> recentItems_{};
    DocumentIndex* index_ = nullptr;

    DocumentFormat format_;
    QString PreviousCaption;
    QString CurrentFile;
    QString LastDir;
    QString editorFontName_;
    int editorFontSize_ = 12;
    ui::FileDialogState OpenDialog1;
    ui::FileDialogState SaveDialog1;
};

} // namespace app
