// The command-state update SetButtons and the two font boxes on the tool bar, which it applies to the
// editor font first.
#include "app/command_state.h"

#include "app/command_table.h"
#include "app/main_window.h"
#include "base/failure.h"
#include "base/fonts.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
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

// ---- TForm1 -----------------------------------------------------------------------------------------

void TForm1::wireFontBoxes() {
    for (QComboBox* box : {fontNameBox_, fontSizeBox_}) {
        // Qt picks the list item that matches typed text when the edit field loses focus; here typed text
        // waits for the next command-state update, so only a pick from the list applies at once.
        QObject::disconnect(box->lineEdit(), SIGNAL(editingFinished()), box, nullptr);
    }
    connect(fontNameBox_, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(fontSizeBox_, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    // Keys reach the box, which hands them on to its edit field directly, past any filter of the field's.
    fontSizeBox_->installEventFilter(
        new KeyWatcher(fontSizeBox_, [this](int key) { ComboBox2KeyPress(key); }));
}

void TForm1::applyEditorFont() {
    // Runs after every change of the text: most often the font is already the one asked for.
    const QFont& current = editor_->font();
    if (!current.families().isEmpty() && current.families().constFirst() == editorFontName_ &&
        current.pointSize() == std::clamp(editorFontSize_, kSmallestSize, kLargestSize))
        return;
    editor_->setFont(editorFont(editorFontName_, editorFontSize_));
}

void TForm1::ComboBox1Change() {
    run([this] {
        if (!itemChosen(*fontNameBox_)) return; // a typed name waits for the next command-state update
        editorFontName_ = fontNameBox_->currentText();
        applyEditorFont();
    });
}

void TForm1::ComboBox2Change() {
    run([this] {
        if (!itemChosen(*fontSizeBox_)) return;
        editorFontSize_ = fontSizeFromText(fontSizeBox_->currentText());
        applyEditorFont();
    });
}

void TForm1::ComboBox2KeyPress(int key) {
    run([&] {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        editorFontSize_ = fontSizeFromText(fontSizeBox_->currentText());
        applyEditorFont();
    });
}

void TForm1::SetButtons() {
    // While a file loads, the state of the previous document holds; the update runs when the load is done.
    if (isLoading()) return;
    if (const QString name = fontNameBox_->currentText(); !name.isEmpty()) editorFontName_ = name;
    try {
        editorFontSize_ = fontSizeFromText(fontSizeBox_->currentText());
    } catch (...) {
        // The name applies all the same; the enabling waits for a size that is a whole number.
        applyEditorFont();
        throw;
    }
    applyEditorFont();
    commands_->setDocumentState(document_.isEmpty(), document_.isModified());
}

} // namespace app
