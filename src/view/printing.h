#pragma once
// Printing the document as plain text: its lines top to bottom in the editor font, with no header,
// footer, page number or job title.
#include <QFont>
#include <QList>
#include <QSizeF>
#include <QStringList>

class QFontMetricsF;
class QPrinter;

namespace view {

// Text drawn from `x` on; the tabs of a line fall between its pieces.
struct PrintedPiece {
    qreal x = 0;
    QString text;
};

// One printed line: a line of the document, or the part of one that went on to the next printed line.
struct PrintedLine {
    int page = 0; // 0-based
    qreal top = 0;
    QList<PrintedPiece> pieces;
};

struct PrintLayout {
    QList<PrintedLine> lines;
    int pageCount = 1;
};

// Places the lines as a printer's plain text output does: each below the one before, a new page when the
// next line would not fit; a line wider than the page goes on on the next printed line, broken between
// characters (never inside a surrogate pair or a combined character); a tab advances to the next multiple
// of eight average character widths; a form feed begins a new page. Bytes that are no character are
// printed as the editor shows them, as "\uFFFD".
PrintLayout layOutForPrinting(const QStringList& lines, const QFontMetricsF& metrics, const QSizeF& page);

// Prints the lines on `printer` in `font`, black on white. A job that cannot be started or written raises
// base::Failure.
void printLines(const QStringList& lines, const QFont& font, QPrinter& printer);

} // namespace view
