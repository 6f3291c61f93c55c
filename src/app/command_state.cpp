// The two font boxes on the tool bar and the editor font they give.
#include "app/command_state.h"

#include "base/failure.h"
#include "base/fonts.h"
#include "view/text_view.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <functional>

namespace app {

namespace {

// The editor shows sizes from 1 point up to a size at which a character still fits on the screen.
constexpr int kSmallestSize = 1;
constexpr int kLargestSize = 1000;

// Every key typed into the font size box reaches ComboBox2KeyPress first and then the box, unchanged.
class KeyWatcher : public QObject {
public:
    KeyWatcher(QObject* parent, std::function<void(int)> onKey) : QObject(parent), onKey_(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) onKey_(static_cast<QKeyEvent*>(event)->key());
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> onKey_;
};

// A list item is chosen (not merely typed) when the box shows the text of its current item.
bool itemChosen(const QComboBox& box) {
    return box.currentIndex() >= 0 && box.itemText(box.currentIndex()) == box.currentText();
}

} // namespace

// ---- pure helpers -----------------------------------------------------------------------------------

int fontSizeFromText(const QString& text) {
    bool ok = false;
    const int size = text.toInt(&ok, 10);
    if (!ok) throw base::Failure(QStringLiteral("'%1' は数値ではありません").arg(text));
    return size;
}

QFont editorFont(const QString& name, int pointSize) {
    QFont font;
    if (name == base::kEditorFontName)
        font.setFamilies({name});
    else
        font.setFamilies({name, base::kEditorFontName});
    font.setPointSize(std::clamp(pointSize, kSmallestSize, kLargestSize));
    return font;
}

// ---- FontBoxes -------------------------------------------------------------------------------------

FontBoxes::FontBoxes(QComboBox& nameBox, QComboBox& sizeBox, view::TextView& editor,
                     std::function<void(int)> onKey)
    : nameBox_(nameBox), sizeBox_(sizeBox), editor_(editor) {
    for (QComboBox* box : {&nameBox_, &sizeBox_}) {
        // Qt picks the list item that matches typed text when the edit field loses focus; here typed text
        // waits for the next command-state update, so only a pick from the list applies at once.
        QObject::disconnect(box->lineEdit(), SIGNAL(editingFinished()), box, nullptr);
    }
    // Keys reach the box, which hands them on to its edit field directly, past any filter of the field's.
    sizeBox_.installEventFilter(new KeyWatcher(&sizeBox_, std::move(onKey)));
}

void FontBoxes::fillNames(QStringList families) {
    // "Default" is one of the names, sorted among the installed families without regard to case.
    families << QStringLiteral("Default");
    families.removeDuplicates();
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    nameBox_.addItems(families);
}

void FontBoxes::show(const QString& name, int size) {
    name_ = name;
    size_ = size;
    apply();
    nameBox_.setEditText(name_);
    sizeBox_.setEditText(QString::number(size_));
}

void FontBoxes::apply() {
    // Runs after every change of the text: most often the font is already the one asked for.
    const QFont& current = editor_.font();
    if (!current.families().isEmpty() && current.families().constFirst() == name_ &&
        current.pointSize() == std::clamp(size_, kSmallestSize, kLargestSize))
        return;
    editor_.setFont(editorFont(name_, size_));
}

void FontBoxes::namePicked() {
    if (!itemChosen(nameBox_)) return; // a typed name waits for the next command-state update
    name_ = nameBox_.currentText();
    apply();
}

void FontBoxes::sizePicked() {
    if (!itemChosen(sizeBox_)) return;
    size_ = fontSizeFromText(sizeBox_.currentText());
    apply();
}

void FontBoxes::keyPressed(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    size_ = fontSizeFromText(sizeBox_.currentText());
    apply();
}

void FontBoxes::takeTyped() {
    if (const QString name = nameBox_.currentText(); !name.isEmpty()) name_ = name;
    try {
        size_ = fontSizeFromText(sizeBox_.currentText());
    } catch (...) {
        // The name applies all the same; the caller's enabling waits for a size that is a whole number.
        apply();
        throw;
    }
    apply();
}

} // namespace app
