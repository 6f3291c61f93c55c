#pragma once
// The command-state update: which menu items and tool buttons the document's state enables.
#include <QList>
#include <QString>

class QAction;
class QFont;
class QObject;
class QWidget;

namespace app {

// The menu items and tool buttons the command-state update switches, found by name once: the update
// runs after every change of the text.
class CommandSwitches {
public:
    explicit CommandSwitches(QObject& window);
    // Enabled while the document is not empty, and while it is modified; everything else stays enabled.
    void apply(bool documentEmpty, bool modified) const;

private:
    struct Switch {
        QAction* action = nullptr;
        QWidget* widget = nullptr;
        void set(bool enabled) const;
    };
    QList<Switch> whileNotEmpty_;
    QList<Switch> whileModified_;
};

// The font size box's text read as a whole number; base::Failure "'%s' は数値ではありません" otherwise.
int fontSizeFromText(const QString& text);

// The editor font: the chosen name first, then the Japanese gothic, so that Japanese text renders
// whatever the name ("Default", a name not installed, a family without Japanese characters).
QFont editorFont(const QString& name, int pointSize);

} // namespace app
