#pragma once
// Where a long text is cut to fill the editor piece by piece.
#include <QList>
#include <QStringView>

namespace document {

// The end of each piece of `text`: the first piece holds at most `firstPiece` characters, each other at
// most `piece`, and every piece but the last ends after a line break, so that no line is split between
// two inserts. A line longer than a piece goes into one piece whole: the editor lays a line out anew at
// each insert into it.
QList<qsizetype> pieceEnds(QStringView text, qsizetype firstPiece, qsizetype piece);

} // namespace document
