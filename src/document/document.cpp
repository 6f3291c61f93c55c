#include "document/document.h"

#include "base/app_info.h"
#include "document/document_index.h"
#include "document/load_pieces.h"
#include "entry/entry_count.h"

#include <QEventLoop>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace document {

namespace {

// What every editor document the Document uses carries: the index of its lines, and a modified flag that
// every change of the text sets, an undo or redo back to the text as last loaded or saved included (the
// editor would clear the flag there). Loading and saving clear it after.
DocumentIndex* attach(QTextDocument* document, QPlainTextEdit* editor) {
    QObject::connect(document, &QTextDocument::contentsChanged, document,
                     [document] { document->setModified(true); });
    auto* index = new DocumentIndex(document);
    QObject::connect(index, &DocumentIndex::longLineMade, editor,
                     [editor] { editor->setWordWrapMode(QTextOption::WrapAnywhere); });
    return index;
}

// Word wrapping for ordinary text; wrapping anywhere for a text with a line too long for it.
void chooseWrapMode(QPlainTextEdit* editor, QStringView text) {
    qsizetype longest = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    editor->setWordWrapMode(longest > DocumentIndex::kLongLine ? QTextOption::WrapAnywhere
                                                               : QTextOption::WrapAtWordBoundaryOrAnywhere);
}

} // namespace

Document::Document(QPlainTextEdit* editor) : editor_(editor), index_(attach(editor->document(), editor)) {}

void Document::setPath(const QString& path) {
    if (path == path_) return;
    path_ = path;
    Q_EMIT pathChanged(path_);
}

QString captionOfPath(const QString& path) {
    return path.isEmpty() ? base::kUntitledName : path;
}

QString pathOfCaption(const QString& caption) {
    return caption == base::kUntitledName ? QString() : caption;
}

QString linesOfRawText(QString rawText) {
    rawText.replace(QChar::ParagraphSeparator, u'\n');
    return rawText;
}

qsizetype Document::findNext(QStringView needle, qsizetype from) const {
    // Qt reads its text fastest whole (line by line it takes ten times as long), so the raw text is read
    // once and kept until the next change. Lines in it end in U+2029: only a needle with a line break
    // needs them as '\n', which text() gives.
    if (needle.contains(u'\n') || needle.contains(QChar::ParagraphSeparator))
        return text::findNext(text(), needle, from);
    return text::findNext(index_->rawText(), needle, from);
}

QString Document::text() const {
    // The raw text, not toPlainText(): that one turns no-break spaces into spaces and line separators
    // into line breaks, which would change the file on saving.
    return linesOfRawText(editor_->document()->toRawText());
}

Document::Snapshot Document::snapshot() const {
    return {editor_->document()->toRawText(), index_->lineEnds()};
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

bool Document::load(LoadedDocument loaded, LoadFeedback* feedback) {
    const QTextOption::WrapMode previousWrapMode = editor_->wordWrapMode();
    chooseWrapMode(editor_, loaded.text);
    if (loaded.text.size() > kLoadAtOnce) {
        if (!loadInPieces(loaded, feedback, previousWrapMode)) return false;
    } else {
        replaceText(loaded.text, loaded.lineEnds);
    }
    format_ = std::move(loaded.format);
    setModified(false);
    return true;
}

// The state of a load in pieces: the document being filled is the editor's; the previous one waits,
// with its index, to come back on a cancel or to go when the load is done.
struct Document::Loading {
    std::unique_ptr<QTextDocument> previous;
    DocumentIndex* previousIndex = nullptr;
    QTextOption::WrapMode previousWrapMode = QTextOption::WrapAtWordBoundaryOrAnywhere;
    int previousAnchor = 0, previousPosition = 0, previousScroll = 0; // where the user was in it
    QEventLoop loop;
    bool cancelled = false;
};

bool Document::loadInPieces(LoadedDocument& loaded, LoadFeedback* feedback,
                            QTextOption::WrapMode previousWrapMode) {
    Loading loading;
    loading.previous.reset(editor_->document());
    loading.previous->setParent(nullptr); // setDocument() deletes an old document the editor owns
    loading.previousIndex = index_;
    loading.previousWrapMode = previousWrapMode;
    loading.previousAnchor = editor_->textCursor().anchor();
    loading.previousPosition = editor_->textCursor().position();
    loading.previousScroll = editor_->verticalScrollBar()->value();

    auto* fresh = new QTextDocument(editor_);
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    fresh->setDefaultFont(editor_->font());
    fresh->setUndoRedoEnabled(false); // the load is no undo step
    index_ = attach(fresh, editor_);
    // The feedback goes first and last: it may make the editor read-only itself.
    if (feedback) feedback->loadStarted(loaded.text.size());
    const bool wasReadOnly = editor_->isReadOnly();
    editor_->setReadOnly(true);
    editor_->setDocument(fresh);
    loading_ = &loading;

    // The text cut into pieces (see pieceEnds); the first is small, it only has to fill the first screen.
    // Each piece is let go once it is in, so the text is not held whole beside the document it has become.
    // The rest is copied out in a turn of its own, once the first screen shows.
    const qsizetype total = loaded.text.size();
    const QList<qsizetype> ends = pieceEnds(loaded.text, kFirstPieceSize, kPieceSize);
    QList<QString> pieces;
    qsizetype cutUntil = 0;
    auto cut = [&] {
        const qsizetype until = ends[pieces.size()];
        pieces.append(loaded.text.sliced(cutUntil, until - cutUntil));
        cutUntil = until;
    };
    cut();
    // A few pieces a turn, ahead of the one going in: the copying never holds a turn up.
    auto cutAhead = [&] {
        for (int i = 0; i < 16 && pieces.size() < ends.size(); ++i)
            cut();
        if (cutUntil >= total) loaded.text = QString();
    };

    // The lines are marked as they arrive, each whole line once: the index never needs a pass of its own.
    // Every piece but the last ends after a line break, so no line is split between two.
    int markedLines = 0;
    QString carried; // the last piece's last line, which no line break ends
    auto markWholeLines = [&](const QString& piece) {
        const qsizetype lf = piece.lastIndexOf(u'\n');
        if (lf >= 0)
            markedLines += index_->markLines(QStringView(piece).first(lf), markedLines, loaded.lineEnds);
        carried = piece.sliced(lf + 1);
    };
    qsizetype done = 0, next = 0;
    QTextCursor end(fresh);
    auto appendPiece = [&] {
        QString piece = std::move(pieces[next++]);
        {
            const QSignalBlocker blocker(editor_); // the text-change handling runs once, at the end
            end.movePosition(QTextCursor::End);
            end.insertText(piece);
        }
        if (done == 0) {
            // The first screen shows the file's start, drawn now rather than after the next piece.
            editor_->moveCursor(QTextCursor::Start);
            editor_->viewport()->repaint();
        }
        done += piece.size();
        markWholeLines(piece);
        if (feedback) feedback->loadProgress(done);
    };
    index_->withoutMarking([&] {
        appendPiece();
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!loading.cancelled) {
                cutAhead();
                appendPiece();
            }
            if (done >= total || loading.cancelled) loading.loop.quit();
        });
        if (done < total) {
            timer.start();
            loading.loop.exec();
        }
    });
    // The loop ends early only when the program is told to quit: the load is then as good as cancelled.
    if (!loading.cancelled && done < total) cancelLoad();
    if (!loading.cancelled) {
        // The last line, which no line break ends.
        const int lines = markedLines + index_->markLines(carried, markedLines, loaded.lineEnds);
        Q_ASSERT(lines == fresh->blockCount()); // the decoder leaves '\n' the only line separator
        Q_UNUSED(lines);
    }
    loading_ = nullptr;
    editor_->setReadOnly(wasReadOnly);
    if (feedback) feedback->loadFinished();
    if (loading.cancelled) {
        // The editor shows the previous document again; the half-filled one goes now rather than with the
        // editor.
        end = QTextCursor();
        delete fresh;
        return false;
    }
    fresh->setUndoRedoEnabled(true);
    editor_->moveCursor(QTextCursor::Start);
    return true;
}

void Document::cancelLoad() {
    if (!loading_ || loading_->cancelled) return;
    loading_->cancelled = true;
    loading_->loop.quit();
    // The previous document comes back at once, so that whatever runs next (a close request) sees it.
    QTextDocument* previous = loading_->previous.release();
    previous->setParent(editor_);
    index_ = loading_->previousIndex;
    editor_->setWordWrapMode(loading_->previousWrapMode);
    editor_->setDocument(previous); // the half-filled document goes when the load returns
    QTextCursor cursor(previous);
    cursor.setPosition(loading_->previousAnchor);
    cursor.setPosition(loading_->previousPosition, QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->verticalScrollBar()->setValue(loading_->previousScroll);
}

void Document::clear() {
    chooseWrapMode(editor_, {});
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

const QMap<QString, int>& Document::headLabels() const {
    return index_->headLabels();
}

QTextBlock Document::entryHead(const QString& label) const {
    const QString key = entry::labelKey(label);
    return key.isEmpty() ? QTextBlock() : index_->headOf(key);
}

bool Document::isEntryHead(const QTextBlock& line) {
    return DocumentIndex::isHeadLine(line);
}

} // namespace document
