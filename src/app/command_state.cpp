// The command-state update SetButtons and the two font boxes on the tool bar, which it applies to the
// editor font first.
#include "app/command_state.h"

#include "app/main_window.h"
#include "base/failure.h"
#include "base/fonts.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <functional>

namespace app {

namespace {

// Enabled while the document is not empty. Find2 and Replace1 follow their menu Find1, so that their
// shortcuts are off while the menu is grey.
const char* const kWhileNotEmpty[] = {
    "ToolButton1", "ToolButton3", "ToolButton4",  "ToolButton5",  "ToolButton6",
    "ToolButton8", "ToolButton9", "ToolButton10", "ToolButton11", "ToolButton15",
    "Find1",       "Find2",       "Replace1",     "New1",         "Save1",
    "SA1",         "Print1",      "Cut1",         "Copy1",        "Delete1",
    "A2",          "CSVO1",       "Check1",       "NextFinding1", "PreviousFinding1"};
// Enabled while the modified flag is set.
const char* const kWhileModified[] = {"Undo1", "ToolButton16"};

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

// ---- CommandSwitches --------------------------------------------------------------------------------

CommandSwitches::CommandSwitches(QObject& window) {
    const auto find = [&window](const char* name) {
        const QString objectName = QString::fromLatin1(name);
        return Switch{window.findChild<QAction*>(objectName), window.findChild<QWidget*>(objectName)};
    };
    for (const char* name : kWhileNotEmpty)
        whileNotEmpty_.append(find(name));
    for (const char* name : kWhileModified)
        whileModified_.append(find(name));
}

void CommandSwitches::Switch::set(bool enabled) const {
    if (action) action->setEnabled(enabled);
    if (widget) widget->setEnabled(enabled);
}

void CommandSwitches::apply(bool documentEmpty, bool modified) const {
    for (const Switch& s : whileNotEmpty_)
        s.set(!documentEmpty);
    for (const Switch& s : whileModified_)
        s.set(modified);
}

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
    for (QComboBox* box : {ComboBox1, ComboBox2}) {
        // Qt picks the list item that matches typed text when the edit field loses focus; here typed text
        // waits for the next command-state update, so only a pick from the list applies at once.
        QObject::disconnect(box->lineEdit(), SIGNAL(editingFinished()), box, nullptr);
    }
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    // Keys reach the box, which hands them on to its edit field directly, past any filter of the field's.
    ComboBox2->installEventFilter(new KeyWatcher(ComboBox2, [this](int key) { ComboBox2KeyPress(key); }));
}

void TForm1::applyEditorFont() {
    // Runs after every change of the text: most often the font is already the one asked for.
    const QFont& current = RichEdit1->font();
    if (!current.families().isEmpty() && current.families().constFirst() == editorFontName_ &&
        current.pointSize() == std::clamp(editorFontSize_, kSmallestSize, kLargestSize))
        return;
    RichEdit1->setFont(editorFont(editorFontName_, editorFontSize_));
}

void TForm1::ComboBox1Change() {
    run([this] {
        if (!itemChosen(*ComboBox1)) return; // a typed name waits for the next command-state update
        editorFontName_ = ComboBox1->currentText();
        applyEditorFont();
    });
}

void TForm1::ComboBox2Change() {
    run([this] {
        if (!itemChosen(*ComboBox2)) return;
        editorFontSize_ = fontSizeFromText(ComboBox2->currentText());
        applyEditorFont();
    });
}

void TForm1::ComboBox2KeyPress(int key) {
    run([&] {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        editorFontSize_ = fontSizeFromText(ComboBox2->currentText());
        applyEditorFont();
    });
}

void TForm1::SetButtons() {
    // While a file loads, the load indicator holds the commands; the update runs when the load is done.
    if (isLoading()) return;
    if (!switches_) switches_ = std::make_unique<CommandSwitches>(*this);
    if (const QString name = ComboBox1->currentText(); !name.isEmpty()) editorFontName_ = name;
    try {
        editorFontSize_ = fontSizeFromText(ComboBox2->currentText());
    } catch (...) {
        // The name applies all the same; the enabling waits for a size that is a whole number.
        applyEditorFont();
        throw;
    }
    applyEditorFont();
    switches_->apply(document_.isEmpty(), document_.isModified());
}

} // namespace app
