#pragma once
// The main window's commands, from one table (command_table.cpp): per command its name (the object name
// of its QAction), caption, shortcut, hint, icon, handler, when it is enabled and whether it waits while a
// large file loads. The menu bar holds the actions; the tool buttons are views of them. One function
// applies the window's state to every action.
#include "settings/recent_files.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <array>

class QAction;
class QComboBox;
class QIcon;
class QWidget;

namespace app {

class TForm1;

// What the enabling of the commands depends on.
struct CommandState {
    bool empty = true;
    bool modified = false;
    bool loading = false; // a large file is being read or filled in
    // What the text may be changed by (the replace dialog's buttons) outside the table's commands.
    bool changesAllowed() const { return !loading; }
};

class CommandTable {
public:
    // Builds the menu bar and the tool bar of `window` and connects each action to its handler.
    explicit CommandTable(TForm1& window);

    // The emptiness and modified flag of the document, and whether a load runs; each applies at once.
    void setDocumentState(bool empty, bool modified);
    void setLoading(bool loading);
    const CommandState& state() const { return state_; }
    // Applies the state again (after a recent-file item got or lost its file).
    void apply();
    // A control outside the table that changes the text: enabled while changes are allowed, from now on.
    void addChangeControl(QWidget* control);

    QComboBox* fontNameBox() const { return fontNameBox_; } // ComboBox1
    QComboBox* fontSizeBox() const { return fontSizeBox_; } // ComboBox2
    // The recent-file items N11 .. N51; an item is enabled while its data names a file.
    const std::array<QAction*, 5>& recentItems() const { return recentItems_; }

    enum class Enabled { Always, WhileNotEmpty, WhileModified, WhileItNamesAFile };

private:
    struct Command {
        QAction* action;
        Enabled enabled;
        bool waits; // grey while a large file loads
    };
    void buildMenu(TForm1& window);
    void buildToolBar(TForm1& window);
    bool enabled(const Command& command) const;

    QList<Command> commands_;
    QList<QPointer<QWidget>> changeControls_;
    CommandState state_;
    QComboBox* fontNameBox_ = nullptr;
    QComboBox* fontSizeBox_ = nullptr;
    std::array<QAction*, 5> recentItems_{};
};

// The recent-file items N11 .. N51 of the menu ファイル and the list they show: item k carries entry k as
// its caption and its data (the command table enables an item whose data names a file).
class RecentFilesMenu {
public:
    explicit RecentFilesMenu(const std::array<QAction*, 5>& items) : items_(items) {}
    void show(const settings::RecentFileList& files);
    const settings::RecentFileList& files() const { return files_; }

private:
    std::array<QAction*, 5> items_;
    settings::RecentFileList files_;
};

// The items of the font size box.
const QStringList& fontSizes();

// A tool button's picture by its freedesktop name ("edit-paste"): the desktop theme's, else the one the
// program carries.
QIcon toolBarIcon(const QString& name);

} // namespace app
