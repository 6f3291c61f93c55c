#include "document/load_pieces.h"

#include <algorithm>

namespace document {

QList<qsizetype> pieceEnds(QStringView text, qsizetype firstPiece, qsizetype piece) {
    const qsizetype total = text.size();
    QList<qsizetype> ends;
    for (qsizetype from = 0; from < total;) {
        qsizetype until = std::min(total, from + (ends.isEmpty() ? firstPiece : piece));
        if (until < total) {
            qsizetype lf = text.lastIndexOf(u'\n', until - 1);
            if (lf < from) lf = text.indexOf(u'\n', until);
            until = lf < 0 ? total : lf + 1;
        }
        ends.append(until);
        from = until;
    }
    return ends;
}

} // namespace document
