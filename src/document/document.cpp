#include "document/document.h"

#include "base/app_info.h"
#include "document/document_index.h"
#include "document/load_pieces.h"
#include "entry/entry_count.h"
#include "entry/entry_lines.h"
#include "text/ascii.h"

#include <QEventLoop>
#include <QPointer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace document {

namespace {

// Whether a line of `text` ('\n' between lines) is a long line (DocumentIndex::isLongLine).
bool holdsLongLine(QStringView text) {
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        if (DocumentIndex::isLongLine(end - start)) return true;
        start = end + 1;
    }
    return false;
}

bool holdsLongLine(const QTextDocument& textDocument) {
    for (QTextBlock block = textDocument.begin(); block.isValid(); block = block.next())
        if (DocumentIndex::isLongLine(block.length() - 1)) return true;
    return false;
}

} // namespace

Document::Document(QTextDocument* textDocument)
    : textDocument_(textDocument), index_(attach(textDocument)), longLine_(holdsLongLine(*textDocument)) {}

// What every text document the Document uses carries: the index of its lines, and a modified flag that
// every change of the text sets, an undo or redo back to the text as last loaded or saved included (an
// editor would clear the flag there). Loading and saving clear it after.
DocumentIndex* Document::attach(QTextDocument* textDocument) {
    connect(textDocument, &QTextDocument::contentsChanged, textDocument,
            [textDocument] { textDocument->setModified(true); });
    // Qt clears the flag for an undo or redo back to that text before anyone hears of the change, so the
    // text-change handling would take the document for unchanged and grey 元に戻す: set it again at once.
    connect(textDocument, &QTextDocument::modificationChanged, this, [this, textDocument](bool modified) {
        if (!modified && !clearingModified_) textDocument->setModified(true);
    });
    auto* index = new DocumentIndex(textDocument);
    connect(index, &DocumentIndex::longLineMade, this, [this] { setLongLine(true); });
    return index;
}

void Document::setLongLine(bool longLine) {
    if (longLine == longLine_) return;
    longLine_ = longLine;
    Q_EMIT longLineChanged(longLine_);
}

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
    return linesOfRawText(textDocument_->toRawText());
}

Document::Snapshot Document::snapshot() const {
    return {textDocument_->toRawText(), index_->lineEnds()};
}

bool Document::isEmpty() const {
    return textDocument_->isEmpty();
}

bool Document::isModified() const {
    return textDocument_->isModified();
}

void Document::setModified(bool modified) {
    const QScopedValueRollback clearing(clearingModified_, !modified);
    textDocument_->setModified(modified);
}

void Document::replaceText(const QString& text, const text::LineEnds& lineEnds) {
    // The marks come from one pass over the plain text; whoever follows the text's changes stays quiet.
    Q_EMIT replacingText(true);
    const auto replaced = qScopeGuard([this] { Q_EMIT replacingText(false); });
    index_->replaceText(text, lineEnds, [&] { textDocument_->setPlainText(text); });
    setModified(false);
    Q_EMIT wholeTextReplaced();
}

bool Document::load(LoadedDocument loaded, LoadFeedback* feedback) {
    const bool longLine = holdsLongLine(loaded.text);
    if (loaded.text.size() > kLoadAtOnce) {
        if (!loadInPieces(loaded, feedback, longLine)) return false;
    } else {
        setLongLine(longLine);
        replaceText(loaded.text, loaded.lineEnds);
    }
    format_ = std::move(loaded.format);
    setModified(false);
    return true;
}

// The state of a load in pieces: the text document being filled is the current one; the previous one
// waits, with its index, to come back on a cancel or to go when the load is done.
struct Document::Loading {
    std::unique_ptr<QTextDocument> previous;
    QPointer<QObject> previousParent;
    DocumentIndex* previousIndex = nullptr;
    bool previousLongLine = false;
    QTextDocument* fresh = nullptr;
    LoadFeedback* feedback = nullptr;
    QEventLoop loop;
    bool cancelled = false;
};

bool Document::loadInPieces(LoadedDocument& loaded, LoadFeedback* feedback, bool longLine) {
    Loading loading;
    loading.previousParent = textDocument_->parent();
    // Without a parent while it waits: a view may delete a text document it owns when another replaces it.
    loading.previous.reset(textDocument_);
    loading.previous->setParent(nullptr);
    loading.previousIndex = index_;
    loading.previousLongLine = longLine_;
    loading.feedback = feedback;

    // Owned as the previous one was, so that it stays as long as whatever shows it.
    auto* fresh = new QTextDocument(loading.previousParent ? loading.previousParent.get() : this);
    loading.fresh = fresh;
    fresh->setDefaultFont(loading.previous->defaultFont());
    fresh->setUndoRedoEnabled(false); // the load is no undo step
    if (feedback) feedback->loadStarted(loaded.text.size());
    textDocument_ = fresh;
    index_ = attach(fresh);
    loading_ = &loading;
    Q_EMIT textDocumentReplaced(fresh);
    // Only now: a view that wraps its text otherwise for it lays out the new text document again, not the
    // previous one, which comes back on a cancel laid out as it was (the wrapping goes back before it).
    setLongLine(longLine);

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
            Q_EMIT replacingText(true); // the text-change handling runs once, at the end
            const auto replaced = qScopeGuard([this] { Q_EMIT replacingText(false); });
            end.movePosition(QTextCursor::End);
            end.insertText(piece);
        }
        // The first screen shows the file's start, drawn now rather than after the next piece.
        if (done == 0 && feedback) feedback->loadShowsFirstPiece();
        done += piece.size();
        markWholeLines(piece);
        if (feedback) feedback->loadProgress(done);
    };
    index_->withoutMarking([&] {
        appendPiece();
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!loading.cancelled && done < total) {
                cutAhead();
                appendPiece();
            }
            if (done >= total || loading.cancelled) {
                // The loop may end only turns later, when it ran a loop of its own meanwhile (a message box
                // opened during the load): the timer takes no piece more.
                timer.stop();
                loading.loop.quit();
            }
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
    if (feedback) feedback->loadFinished();
    if (loading.cancelled) {
        // The previous text document is back; the half-filled one goes now rather than with its parent.
        end = QTextCursor();
        delete fresh;
        return false;
    }
    fresh->setUndoRedoEnabled(true);
    Q_EMIT wholeTextReplaced();
    return true;
}

void Document::cancelLoad() {
    if (!loading_ || loading_->cancelled) return;
    loading_->cancelled = true;
    loading_->loop.quit();
    // The previous text document comes back at once, so that whatever runs next (a close request) sees
    // it. The half-filled one goes when the load returns; until then it has no parent, which a view
    // replacing it could take for its own to delete.
    loading_->fresh->setParent(nullptr);
    QTextDocument* previous = loading_->previous.release();
    previous->setParent(loading_->previousParent);
    textDocument_ = previous;
    index_ = loading_->previousIndex;
    setLongLine(loading_->previousLongLine);
    Q_EMIT textDocumentReplaced(previous);
    if (loading_->feedback) loading_->feedback->loadCancelled();
}

void Document::clear() {
    setLongLine(false);
    replaceText(QString(), {});
    format_ = DocumentFormat{};
}

text::EncodedText Document::encode(const DocumentFormat& format) const {
    return encodeDocument(text(), format, index_->lineEnds());
}

void Document::appendLines(const QStringList& lines) {
    QTextCursor cursor(textDocument_);
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
        QTextCursor cursor(textDocument_);
        // Where the block begins is where an undo of it leaves the editor's caret (else the top).
        cursor.setPosition(int(edits.first().position));
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

const HeadLabels& Document::headLabels() const {
    return index_->headLabels();
}

QTextBlock Document::entryHead(const QString& label) const {
    const QString key = entry::labelKey(label);
    if (!key.isEmpty())
        if (const QTextBlock head = index_->headOf(key); head.isValid()) return head;
    // An entry the index keeps no label for (in parentheses, a label with no "," after it on its line, a
    // type of no category) is found as the command line finds one, by reading the text; a label the text
    // does not hold at all is known not found without reading it as entries.
    if (label.isEmpty() || text::indexOfAsciiCaseless(index_->rawText(), label) < 0) return {};
    const entry::EntrySpan span = entry::entryOfLabel(text(), label);
    return span.found() ? textDocument_->findBlockByNumber(span.lines.first) : QTextBlock();
}

bool Document::isEntryHead(const QTextBlock& line) {
    return DocumentIndex::isHeadLine(line);
}

} // namespace document
