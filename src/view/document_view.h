#pragma once
// The editor shows the document: its current text document, wrapped anywhere when a line is too long for
// word wrapping, quiet while the document replaces its text itself, and from the start when the whole
// text is new.
class QPlainTextEdit;

namespace document {
class Document;
}

namespace view {

// Wires `editor` to `document` for as long as both live; the editor shows the document's text document.
void followDocument(QPlainTextEdit& editor, document::Document& document);

} // namespace view
