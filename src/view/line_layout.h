#pragma once
// The editor's text laid out line by line, as QPlainTextDocumentLayout does, with room for the colouring:
// the lines a change touched are coloured before they are laid out again, so a typed line is laid out
// once; and a line whose colours change is laid out again when next drawn, while the lines around it
// keep their layouts.
#include <QPlainTextDocumentLayout>
#include <QTextBlock>

#include <functional>

class QTextDocument;

namespace view {

class LineLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    explicit LineLayout(QTextDocument* document);

    // Called with the first and the last line of a change of the text, before they are laid out again.
    using BeforeLayout = std::function<void(const QTextBlock& first, const QTextBlock& last)>;
    void setBeforeLayout(BeforeLayout beforeLayout) { beforeLayout_ = std::move(beforeLayout); }

    // Tells the layout that the formats of the lines from `from` on, `length` characters, changed and
    // nothing else did: their layouts, which changing the formats dropped, are made again when the lines
    // are next drawn. (QTextDocument::markContentsDirty would call it a change of the text, and the
    // layout would drop the layouts of the lines after them too and repaint the whole view.)
    void formatsChanged(int from, int length);

    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    BeforeLayout beforeLayout_;
    int blockCount_;
    bool formatsOnly_ = false;
};

// A new, empty text document that the editor lays out with a LineLayout.
QTextDocument* newTextDocument(QObject* parent);

} // namespace view
