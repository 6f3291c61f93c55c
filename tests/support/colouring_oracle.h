#pragma once
// The colouring of the editor's own text view against the colouring of the old widget, in the same
// process: the same text in a QPlainTextEdit coloured by view::Colouring and in a TextView coloured by
// view::StoreColouring, the same font and size, the same keys, pastes, undos and caret moves to both.
// difference() says what the two show differently on the lines both have on screen: a line's formats
// (ranges and colours), the matching brace's selection, the band's first and last line.
#include "document/edit_history.h"
#include "view/colouring.h"
#include "view/store_colouring.h"
#include "view/text_view.h"

#include <QPlainTextEdit>
#include <QString>

namespace oracle {

class ColouringPair {
public:
    ColouringPair(const QString& text, int width, int height);

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString& text);
    void paste(const QString& text);
    // The caret to `position` in both, scrolled into view.
    void moveCaret(qsizetype position);
    void select(qsizetype anchor, qsizetype caret);
    // Both painted, and what they set going by the event loop done (the background reading, a restyle).
    void settle();
    // What differs, or an empty string.
    QString difference();

    QPlainTextEdit old;
    view::Colouring* oldColouring;
    document::TextStore store;
    document::EditHistory history;
    view::TextView view;
    view::StoreColouring* colouring;
    bool exposed = false; // both shown on the screen
};

} // namespace oracle
