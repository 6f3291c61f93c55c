#pragma once
// A platform that plays back the questions a test expects, with their answers. An unexpected
// question fails the test, and so does an expected one that never came.
#include "ui/platform.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>

class ScriptedPlatform final : public ui::Platform {
public:
    ~ScriptedPlatform() override;

    // Expectations, answered in the order given.
    ScriptedPlatform& expectMessage(const QString& text);
    ScriptedPlatform& expectMessageContaining(const QString& part);
    ScriptedPlatform& expectSaveChanges(ui::SaveAnswer answer);
    // `containing`, when given, is a part the question's text must hold.
    ScriptedPlatform& expectYesNo(bool answer, const QString& containing = {});
    ScriptedPlatform& expectError(const QString& text);
    // `afterChoosing` runs once the dialog has answered (a file that vanishes before it is read).
    ScriptedPlatform& expectOpenFile(std::optional<QString> path, std::function<void()> afterChoosing = {});
    ScriptedPlatform& expectSaveFile(std::optional<QString> path);
    ScriptedPlatform& expectModal(const QString& objectName, std::function<void(QDialog&)> drive = {});
    // `page`: the help page the window asks for; empty for the contents.
    ScriptedPlatform& expectHelp(const QString& helpFile, const QString& page = {});
    // The printer setup and print dialogs: `drive` sets the printer up as a user would (a PDF file, a
    // page size); the print dialog then answers `print`.
    ScriptedPlatform& expectPrinterSetup(std::function<void(QPrinter&)> drive = {});
    ScriptedPlatform& expectPrint(std::function<void(QPrinter&)> drive, bool print = true);

    // Fails the test for every expectation left unanswered, then forgets them.
    void verify();
    int busyDepth() const { return busyDepth_; }
    int busyCalls() const { return busyCalls_; }
    // File dialog states as last shown.
    const ui::FileDialogState& lastOpenDialog() const { return lastOpen_; }
    const ui::FileDialogState& lastSaveDialog() const { return lastSave_; }

    void showMessage(const QString& text) override;
    ui::SaveAnswer askSaveChanges() override;
    bool askYesNo(const QString& text) override;
    void reportError(const QString& text) override;
    std::optional<QString> chooseOpenFile(ui::FileDialogState& state) override;
    std::optional<QString> chooseSaveFile(ui::FileDialogState& state) override;
    void runModal(QDialog& dialog) override;
    void showHelp(const QString& helpFile, const QString& page) override;
    void beginBusy() override { ++busyDepth_, ++busyCalls_; }
    void endBusy() override { --busyDepth_; }
    QStringList fontFamilies() override;

    void setUpPrinter(QPrinter& printer) override;
    bool choosePrinter(QPrinter& printer) override;

private:
    enum class Kind {
        Message,
        MessageContaining,
        SaveChanges,
        YesNo,
        Error,
        OpenFile,
        SaveFile,
        Modal,
        Help,
        PrinterSetup,
        Print
    };
    struct Expectation {
        Kind kind = Kind::Message;
        QString text;
        ui::SaveAnswer saveAnswer = ui::SaveAnswer::Cancel;
        bool yes = false;
        std::optional<QString> path;
        std::function<void(QDialog&)> drive;
        std::function<void()> after;
        std::function<void(QPrinter&)> drivePrinter;
    };
    Expectation& push(Kind kind, const QString& text = {});
    // The next expectation if it is of the kind asked; fails the test otherwise.
    std::optional<Expectation> next(Kind kind, const QString& asked);
    std::optional<QString> chooseFile(Kind kind, ui::FileDialogState& state);

    std::deque<Expectation> script_;
    int busyDepth_ = 0;
    int busyCalls_ = 0;
    ui::FileDialogState lastOpen_;
    ui::FileDialogState lastSave_;
};
