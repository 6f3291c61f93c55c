#include "view/line_layout.h"

#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextLayout>

namespace view {

LineLayout::LineLayout(QTextDocument* document)
    : QPlainTextDocumentLayout(document), blockCount_(document->blockCount()) {}

void LineLayout::formatsChanged(int from, int length) {
    const QScopedValueRollback<bool> formatsOnly(formatsOnly_, true);
    document()->markContentsDirty(from, length);
}

void LineLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    if (formatsOnly_) return;
    QTextDocument* document = this->document();
    const int blockCount = document->blockCount();
    const bool sameLines = blockCount == blockCount_;
    blockCount_ = blockCount;
    QTextBlock first = document->findBlock(from);
    // A change inside one line, as the base class tells it (it counts the removed characters too): that
    // line alone is laid out again, and repainted, or the whole view when its height changed.
    if (sameLines && first.isValid() && first.length() > 0 &&
        document->findBlock(qMax(0, from + charsRemoved + charsAdded - 1)) == first) {
        const qreal before = blockBoundingRect(first).height();
        first.clearLayout();
        first.layout()->setCacheEnabled(true);
        if (beforeLayout_) beforeLayout_(first, first);
        if (blockBoundingRect(first).height() == before)
            Q_EMIT updateBlock(first);
        else
            Q_EMIT update(QRectF(0., -document->documentMargin(), 1e9, 1e9));
        return;
    }
    if (beforeLayout_) {
        QTextBlock last = document->findBlock(from + charsAdded);
        beforeLayout_(first, last.isValid() ? last : document->lastBlock());
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}

QTextDocument* newTextDocument(QObject* parent) {
    auto* document = new QTextDocument(parent);
    document->setDocumentLayout(new LineLayout(document));
    return document;
}

} // namespace view
