#include "app/editor_jump.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace app {

void showFound(QPlainTextEdit& editor, const QTextCursor& cursor) {
    QScrollBar* bar = editor.verticalScrollBar();
    const int before = bar->value();
    editor.setTextCursor(cursor);
    // Scrolls as little as it takes: a change of the scroll bar says the caret was out of view.
    editor.ensureCursorVisible();
    const int height = editor.viewport()->height();
    const QRect caret = editor.cursorRect();
    if (bar->value() == before && caret.top() >= 0 && caret.bottom() < height - height / 4) return;
    // The editor scrolls by rows as shown: the scroll bar's value is the row at the top.
    const QTextBlock block = editor.textCursor().block();
    int row = block.firstLineNumber();
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0)
        row += std::max(0, layout->lineForTextPosition(editor.textCursor().positionInBlock()).lineNumber());
    const int rowsOnScreen = height / std::max(1, editor.fontMetrics().lineSpacing());
    bar->setValue(row - rowsOnScreen / kFoundRowFraction);
}

} // namespace app
