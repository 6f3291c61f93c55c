// The main window's view of the text: the colouring and its menu item 色分け表示, 文献へ移動 over the box
// JumpDialog1, and Ctrl+Down and Ctrl+Up, which move the caret from entry head to entry head.
#include "app/jump_box.h"
#include "app/main_window.h"
#include "view/colouring.h"

#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace app {

namespace {

// Ctrl+Down and Ctrl+Up reach the editor's window before the editor, which has no use for them.
class EntryKeys final : public QObject {
public:
    explicit EntryKeys(TForm1& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() != Qt::ControlModifier &&
            key->modifiers() != (Qt::ControlModifier | Qt::KeypadModifier))
            return false;
        if (key->key() == Qt::Key_Down) {
            window_.nextEntry();
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            window_.previousEntry();
            return true;
        }
        return false;
    }

private:
    TForm1& window_;
};

} // namespace

void TForm1::wireView() {
    colouring_ = new view::Colouring(RichEdit1);
    colouring_->setBusy([this] { return isLoading(); });
    RichEdit1->installEventFilter(new EntryKeys(*this));
}

void TForm1::applyHighlightSetting() {
    findChild<QAction*>(QStringLiteral("Highlight1"))->setChecked(highlight_);
    colouring_->setEnabled(highlight_);
}

void TForm1::Highlight1Click() {
    run([this] {
        highlight_ = findChild<QAction*>(QStringLiteral("Highlight1"))->isChecked();
        colouring_->setEnabled(highlight_);
    });
}

JumpBox& TForm1::jumpBox() {
    if (!JumpDialog1) {
        JumpDialog1 = new JumpBox(this);
        connect(JumpDialog1, &JumpBox::jumpRequested, this, &TForm1::JumpDialog1Jump);
    }
    return *JumpDialog1;
}

void TForm1::Jump1Click() {
    run([this] {
        jumpBox().showWith([this]() -> const QMap<QString, int>& { return document_.headLabels(); });
    });
}

void TForm1::JumpDialog1Jump() {
    run([this] {
        const QTextBlock head = document_.entryHead(jumpBox().label());
        if (!head.isValid()) {
            platform_.showMessage(QStringLiteral("見つかりませんでした"));
            jumpBox().refocus();
            return;
        }
        moveToLine(head);
        jumpBox().hide();
        activateWindow();
        RichEdit1->setFocus();
    });
}

void TForm1::moveToLine(const QTextBlock& line) {
    QTextCursor cursor(line);
    RichEdit1->setTextCursor(cursor);
    // The editor scrolls by lines as shown (a wrapped line counts each of its rows): the row at the top is
    // the scroll bar's value.
    RichEdit1->verticalScrollBar()->setValue(line.firstLineNumber());
}

void TForm1::nextEntry() {
    for (QTextBlock line = RichEdit1->textCursor().block().next(); line.isValid(); line = line.next())
        if (Document::isEntryHead(line)) {
            RichEdit1->setTextCursor(QTextCursor(line));
            return;
        }
}

void TForm1::previousEntry() {
    for (QTextBlock line = RichEdit1->textCursor().block().previous(); line.isValid(); line = line.previous())
        if (Document::isEntryHead(line)) {
            RichEdit1->setTextCursor(QTextCursor(line));
            return;
        }
}

} // namespace app
