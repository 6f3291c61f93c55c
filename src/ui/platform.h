#pragma once
// Everything a window asks of the desktop goes through this interface, so that tests can answer the
// modal questions. One implementation talks to Qt (QtPlatform); the tests script another.
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QPrinter;

namespace ui {

enum class SaveAnswer { Yes, No, Cancel };

// What a file dialog remembers between uses; the windows own it, the platform only shows it.
struct FileDialogState {
    QString filter;      // "description|pattern|description|pattern..."
    int filterIndex = 0; // 0-based index of the selected description|pattern pair
    QString initialDir;
    QString fileName; // the file chosen last (empty while none has been chosen)
};

class Platform {
public:
    virtual ~Platform() = default;

    // Information box with an OK button, captioned with the application title.
    virtual void showMessage(const QString& text) = 0;
    // Warning box captioned "警告": "ファイルが変更されています\r\n保存しますか?", Yes (default), No, Cancel.
    virtual SaveAnswer askSaveChanges() = 0;
    // Question box with Yes and No, captioned with the application title.
    virtual bool askYesNo(const QString& text) = 0;
    // The application-wide error report: error icon, application title, the text as given.
    virtual void reportError(const QString& text) = 0;

    // The open dialog (the file must exist) and the save dialog (asks before overwriting). On a
    // choice the state remembers the file and the filter; nullopt when the user cancels.
    virtual std::optional<QString> chooseOpenFile(FileDialogState& state) = 0;
    virtual std::optional<QString> chooseSaveFile(FileDialogState& state) = 0;

    // Shows a window modally and returns when it has closed.
    virtual void runModal(QDialog& dialog) = 0;
    // Opens the help file at the page of the window that asks (a page name of the help, "csv_export"),
    // or at its contents when the page is empty. Help asked for from a modal dialog takes input while
    // that dialog stays open.
    virtual void showHelp(const QString& helpFile, const QString& page) = 0;

    // The busy pointer; calls nest.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // Installed font families.
    virtual QStringList fontFamilies() = 0;

    // Printing. The printer setup dialog: the settings chosen there stay in `printer` for later printing.
    virtual void setUpPrinter(QPrinter& printer) = 0;
    // The print dialog; true when the user chose to print, with `printer` set up as chosen.
    virtual bool choosePrinter(QPrinter& printer) = 0;
};

// Shows the busy pointer for as long as it lives.
class BusyCursor {
public:
    explicit BusyCursor(Platform& platform) : platform_(platform) { platform_.beginBusy(); }
    ~BusyCursor() { platform_.endBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Platform& platform_;
};

} // namespace ui
