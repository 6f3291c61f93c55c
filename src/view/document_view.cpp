#include "view/document_view.h"

#include "document/document.h"
#include "view/line_layout.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace view {

namespace {

QTextOption::WrapMode wrapMode(bool hasLongLine) {
    return hasLongLine ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

} // namespace

void followDocument(QPlainTextEdit& editor, document::Document& document) {
    Q_ASSERT(editor.document() == document.textDocument());
    QPlainTextEdit* shown = &editor;
    shown->setWordWrapMode(wrapMode(document.hasLongLine()));
    QObject::connect(&document, &document::Document::longLineChanged, shown,
                     [shown](bool hasLongLine) { shown->setWordWrapMode(wrapMode(hasLongLine)); });
    QObject::connect(&document, &document::Document::textDocumentReplaced, shown,
                     [shown](QTextDocument* textDocument) {
                         // The editor lays its text out line by line, the way it draws it.
                         if (!qobject_cast<LineLayout*>(textDocument->documentLayout()))
                             textDocument->setDocumentLayout(new LineLayout(textDocument));
                         shown->setDocument(textDocument);
                     });
    // The document's own changes are no edits: the editor's signals (the text-change handling, the
    // matching bracket) wait until it is done.
    QObject::connect(&document, &document::Document::replacingText, shown,
                     [shown](bool underway) { shown->blockSignals(underway); });
    QObject::connect(&document, &document::Document::wholeTextReplaced, shown,
                     [shown] { shown->moveCursor(QTextCursor::Start); });
}

} // namespace view
