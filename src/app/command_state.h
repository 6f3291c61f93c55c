#pragma once
// The font boxes' rules: a size read from the box, the editor font of a name and size.
#include <QStringList>
#include <functional>

class QComboBox;
class QFont;

namespace view {
class TextView;
}

namespace app {

// The font size box's text read as a whole number; base::Failure "'%s' は数値ではありません" otherwise.
int fontSizeFromText(const QString& text);

// The editor font: the chosen name first, then the Japanese gothic, so that Japanese text renders
// whatever the name ("Default", a name not installed, a family without Japanese characters).
QFont editorFont(const QString& name, int pointSize);

// The font boxes ComboBox1 (name) and ComboBox2 (size) and the editor font they give: a name or size
// picked from the list applies at once, a typed size on Enter, anything typed at the next command-state
// update (takeTyped).
class FontBoxes {
public:
    // `onKey` hears every key typed into the size box before the box does.
    FontBoxes(QComboBox& nameBox, QComboBox& sizeBox, view::TextView& editor, std::function<void(int)> onKey);

    // The installed families and "Default", sorted without regard to case.
    void fillNames(QStringList families);
    // The name and size read from the settings, in the boxes and on the editor.
    void show(const QString& name, int size);
    void namePicked();
    void sizePicked();
    void keyPressed(int key);
    // What the boxes hold now; base::Failure for a size that is no whole number (the name applies).
    void takeTyped();
    // The size last read or chosen.
    int size() const { return size_; }

private:
    void apply();

    QComboBox& nameBox_;
    QComboBox& sizeBox_;
    view::TextView& editor_;
    QString name_;
    int size_ = 12;
};

} // namespace app
