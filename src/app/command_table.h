#pragma once
// The main window's menu and tool bar, built from one table: name, caption, shortcut, hint, icon and
// handler of every command.
#include <QStringList>
#include <array>

class QAction;
class QComboBox;

namespace app {

class TForm1;

// The controls the table makes that the main window keeps.
struct CommandControls {
    QComboBox* fontNameBox = nullptr; // ComboBox1
    QComboBox* fontSizeBox = nullptr; // ComboBox2
    std::array<QAction*, 5> recentItems{};
};

CommandControls buildCommands(TForm1& window);

// The items of the font size box.
const QStringList& fontSizes();

} // namespace app
