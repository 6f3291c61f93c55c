#include "app/editor_jump.h"

#include "document/text_store.h"
#include "view/text_view.h"

#include <QScrollBar>

#include <algorithm>

namespace app {

void showFound(view::TextView& view, qsizetype anchor, qsizetype caret) {
    if (!view.store()) return;
    const int height = view.viewport()->height();
    // Where the caret comes on the screen as it stands now, before the view scrolls to it.
    const QRect before = view.caretRect(caret);
    const qsizetype topLine = view.firstVisibleLine();
    const int topRow = view.firstVisibleRow();
    // Scrolls as little as it takes: a change of the top says the caret was out of view.
    view.setSelection(anchor, caret);
    if (view.firstVisibleLine() == topLine && view.firstVisibleRow() == topRow && before.top() >= 0 &&
        before.bottom() < height - height / 4)
        return;
    view.scrollToLine(view.store()->lineAt(view.caret()), view.rowOf(view.caret()));
    // The scroll bar counts rows: the rows above the caret's go a third of the screen down.
    const int rowsOnScreen = height / std::max(1, view.fontMetrics().lineSpacing());
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->value() - rowsOnScreen / kFoundRowFraction);
}

} // namespace app
