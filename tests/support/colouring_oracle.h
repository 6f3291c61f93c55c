#pragma once
// The colouring of a text view against reading its text from the top: what each line on screen shows
// (its pieces' formats as laid out), the matching brace or quote at the caret and the band under the
// caret's entry, each worked out afresh from the whole text with the colouring's rules and the reading
// state every line starts in. The colouring itself keeps those states line by line and mends them after
// each change; the oracle never does.
#include "document/edit_history.h"
#include "view/store_colouring.h"
#include "view/text_view.h"

#include <QString>

namespace oracle {

// The formats line `line` shows as the view laid it out, at their places in the line; ranges of no
// length (an error where a line begins) change nothing and are left out.
QList<QTextLayout::FormatRange> shownFormats(view::TextView& view, qsizetype line);
// The formats reading the view's text from the top gives line `line` (none with the colouring off).
QList<QTextLayout::FormatRange> formatsFromTheTop(view::TextView& view, const view::StoreColouring& colouring,
                                                  qsizetype line);
// What the view shows otherwise than reading from the top gives, on the lines on screen: a line's formats,
// the matching pair's selection, the band's first and last line. Empty when nothing differs.
QString colouringDifference(view::TextView& view, const view::StoreColouring& colouring);

// A text view of its own over a store of its own, coloured and shown, for the colouring's own tests.
class ColouredView {
public:
    ColouredView(const QString& text, int width, int height);

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString& text);
    void paste(const QString& text);
    // The caret to `position`, scrolled into view.
    void moveCaret(qsizetype position);
    void select(qsizetype anchor, qsizetype caret);
    // Painted, and what it set going by the event loop done (the background reading, a restyle).
    void settle();
    QString difference() { return colouringDifference(view, *colouring); }

    document::TextStore store;
    document::EditHistory history;
    view::TextView view;
    view::StoreColouring* colouring;
    bool exposed = false; // shown on the screen
};

} // namespace oracle
