#pragma once
#include "ui/platform.h"

#include <memory>

namespace ui {

class HelpWindow;

// The desktop as Qt shows it.
class QtPlatform final : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;
    void showMessage(const QString& text) override;
    SaveAnswer askSaveChanges() override;
    bool askYesNo(const QString& text) override;
    void reportError(const QString& text) override;
    std::optional<QString> chooseOpenFile(FileDialogState& state) override;
    std::optional<QString> chooseSaveFile(FileDialogState& state) override;
    void runModal(QDialog& dialog) override;
    void showHelp(const QString& helpFile, const QString& page) override;
    void beginBusy() override;
    void endBusy() override;
    QStringList fontFamilies() override;

    void setUpPrinter(QPrinter& printer) override;
    bool choosePrinter(QPrinter& printer) override;

private:
    // The program's own help, made at its first use and kept open between uses.
    std::unique_ptr<HelpWindow> help_;
};

// "description|pattern|..." as Qt name filters; "*.*" matches every file, with or without a dot.
QStringList qtNameFilters(const QString& filter);

} // namespace ui
