#include "app/document.h"

#include "app/document_index.h"
#include "entry/entry_count.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

namespace app {

Document::Document(QPlainTextEdit* editor) : editor_(editor), index_(new DocumentIndex(editor->document())) {
    // Every change of the text sets the modified flag, an undo or redo back to the text as last loaded
    // or saved included (the editor would clear the flag there). Loading and saving clear it after.
    QObject::connect(editor_->document(), &QTextDocument::contentsChanged, editor_,
                     [this] { setModified(true); });
}

QString Document::text() const {
    // The raw text, not toPlainText(): that one turns no-break spaces into spaces and line separators
    // into line breaks, which would change the file on saving.
    QString text = editor_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

bool Document::isEmpty() const {
    return editor_->document()->isEmpty();
}

bool Document::isModified() const {
    return editor_->document()->isModified();
}

void Document::setModified(bool modified) {
    editor_->document()->setModified(modified);
}

void Document::replaceText(const QString& text, const text::LineEnds& lineEnds) {
    // The marks come from one pass over the plain text; the editor's own signals stay quiet.
    const QSignalBlocker blocker(editor_);
    index_->replaceText(text, lineEnds, [&] { editor_->setPlainText(text); });
}

void Document::load(LoadedDocument loaded) {
    replaceText(loaded.text, loaded.lineEnds);
    format_ = std::move(loaded.format);
    setModified(false);
}

void Document::clear() {
    replaceText(QString(), {});
    format_ = DocumentFormat{};
}

text::EncodedText Document::encode(const DocumentFormat& format) const {
    return encodeDocument(text(), format, index_->lineEnds());
}

void Document::appendLines(const QStringList& lines) {
    QTextCursor cursor(editor_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(textToAppend(lines, !cursor.block().text().isEmpty()));
}

void Document::applyEdits(const QList<text::TextEdit>& edits) {
    if (edits.isEmpty()) return;
    // Where each replacement stands once all are made.
    QList<DocumentIndex::Stretch> stretches;
    stretches.reserve(edits.size());
    qsizetype shift = 0;
    for (const text::TextEdit& e : edits) {
        const qsizetype at = e.position + shift;
        stretches.append({int(at), int(at + e.replacement.size())});
        shift += e.replacement.size() - e.length;
    }
    index_->changeStretches(std::move(stretches), [&] {
        QTextCursor cursor(editor_->document());
        cursor.beginEditBlock();
        // From the last to the first, so that the positions of the edits still to make stay valid.
        for (auto e = edits.crbegin(); e != edits.crend(); ++e) {
            cursor.setPosition(int(e->position));
            cursor.setPosition(int(e->position + e->length), QTextCursor::KeepAnchor);
            cursor.insertText(e->replacement);
        }
        cursor.endEditBlock();
    });
}

int Document::entryCount() const {
    return index_->entryCount();
}

bool Document::labelInUse(const QString& label) const {
    const QString key = entry::labelKey(label);
    return key.isEmpty() ? entry::labelInUse(text(), label) : index_->hasLabelKey(key);
}

} // namespace app
