// The document loads a large text in pieces and takes a cancel back with no view at all: it hands out
// its text documents through textDocumentReplaced and its feedback, and keeps no widget.
#include "document/document.h"
#include "document/document_index.h"
#include "entry/entry_count.h"

#include <QEventLoop>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Writes down what the load tells it; cancels after the given number of progress reports (never: -1).
// With `nestedLoop`, an event loop of its own runs from the first turn of the load on, as a message box
// opened meanwhile does, until a few turns after the last piece is in.
class Feedback final : public document::LoadFeedback {
public:
    Feedback(document::Document& document, int cancelAfter, bool nestedLoop = false)
        : document_(document), cancelAfter_(cancelAfter), nestedLoop_(nestedLoop) {}
    void loadStarted(qsizetype total) override {
        steps << QStringLiteral("started %1").arg(total);
        total_ = total;
    }
    void loadShowsFirstPiece() override {
        // The new text document is the document's own from the first piece on.
        steps << QStringLiteral("first %1").arg(document_.textDocument()->characterCount() > 1);
    }
    void loadProgress(qsizetype done) override {
        if (steps.isEmpty() || steps.last() != QStringLiteral("progress"))
            steps << QStringLiteral("progress");
        if (done <= done_ || done > total_)
            steps << QStringLiteral("progress %1 after %2").arg(done).arg(done_);
        done_ = done;
        if (cancelAfter_-- == 0) document_.cancelLoad();
        // From a turn of its own, not from within the load's: a timer never fires inside its own slot.
        if (nestedLoop_ && ++reports_ == 1) QTimer::singleShot(0, [this] { runNestedLoop(); });
    }
    void runNestedLoop() {
        QEventLoop loop;
        QTimer turn;
        int turnsAfterLast = 0;
        QObject::connect(&turn, &QTimer::timeout, [&] {
            if (done_ >= total_ && ++turnsAfterLast == 5) loop.quit();
        });
        turn.start(0);
        loop.exec();
    }
    void loadCancelled() override { steps << QStringLiteral("cancelled"); }
    void loadFinished() override { steps << QStringLiteral("finished"); }
    QStringList steps;

private:
    document::Document& document_;
    int cancelAfter_;
    bool nestedLoop_;
    int reports_ = 0;
    qsizetype total_ = 0, done_ = 0;
};

document::LoadedDocument largeText() {
    document::LoadedDocument loaded;
    for (int i = 0; loaded.text.size() <= 2 * document::Document::kLoadAtOnce; ++i)
        loaded.text += QStringLiteral("@article{ref%1,\n title = {第%1報},\n}\n").arg(i);
    loaded.lineEnds = {{3, text::LineBreak::Lf}};
    return loaded;
}

TEST(DocumentLoad, InPiecesAndCancelledWithoutAView) {
    const document::LoadedDocument loaded = largeText();
    const QString total = QString::number(loaded.text.size());
    const struct {
        int cancelAfter;
        bool nestedLoop;
        QStringList steps;
    } rows[] = {
        {-1, false, {u"started "_qs + total, u"first 1"_qs, u"progress"_qs, u"finished"_qs}},
        {0, false, {u"started "_qs + total, u"first 1"_qs, u"progress"_qs, u"cancelled"_qs, u"finished"_qs}},
        {2, false, {u"started "_qs + total, u"first 1"_qs, u"progress"_qs, u"cancelled"_qs, u"finished"_qs}},
        // The turns after the last piece take no piece more.
        {-1, true, {u"started "_qs + total, u"first 1"_qs, u"progress"_qs, u"finished"_qs}},
    };
    for (const auto& row : rows) {
        QObject owner;
        // A previous text with a line too long for word wrapping, edited, so with an undo step.
        QPointer<QTextDocument> previous = new QTextDocument(&owner);
        previous->setPlainText(QStringLiteral("@misc{x,\n") +
                               QString(document::DocumentIndex::kLongLine + 1, u'a'));
        document::Document document(previous);
        ASSERT_TRUE(document.hasLongLine());
        QTextCursor(previous).insertText(QStringLiteral("%"));
        const QString previousText = document.text();
        QList<QPointer<QTextDocument>> replaced;
        QList<bool> longLines;
        QObject::connect(&document, &document::Document::textDocumentReplaced,
                         [&](QTextDocument* textDocument) { replaced.append(textDocument); });
        QObject::connect(&document, &document::Document::longLineChanged,
                         [&](bool longLine) { longLines.append(longLine); });
        Feedback feedback(document, row.cancelAfter, row.nestedLoop);

        const bool loadedWhole = document.load(loaded, &feedback);

        const bool cancelled = row.cancelAfter >= 0;
        EXPECT_EQ(loadedWhole, !cancelled) << row.cancelAfter;
        EXPECT_EQ(feedback.steps, row.steps) << row.cancelAfter;
        ASSERT_EQ(replaced.size(), cancelled ? 2 : 1) << row.cancelAfter;
        if (cancelled) {
            // The previous text document is back as it was, under its own parent; the half-filled one is
            // gone.
            EXPECT_TRUE(replaced[0].isNull());
            EXPECT_EQ(replaced[1], previous);
            EXPECT_EQ(document.textDocument(), previous);
            EXPECT_EQ(previous->parent(), &owner);
            EXPECT_EQ(document.text(), previousText);
            EXPECT_TRUE(document.isModified());
            EXPECT_TRUE(previous->isUndoAvailable());
            EXPECT_EQ(longLines, QList<bool>({false, true}));
            EXPECT_TRUE(document.hasLongLine());
        } else {
            // The new text document replaces the previous one, which goes, and lives as long as it would
            // have.
            EXPECT_TRUE(previous.isNull());
            EXPECT_EQ(document.textDocument(), replaced[0]);
            EXPECT_EQ(replaced[0]->parent(), &owner);
            EXPECT_EQ(document.text(), loaded.text);
            EXPECT_EQ(document.entryCount(), entry::countEntries(loaded.text));
            EXPECT_EQ(document.snapshot().lineEnds, loaded.lineEnds);
            EXPECT_FALSE(document.isModified());
            EXPECT_FALSE(replaced[0]->isUndoAvailable());
            EXPECT_EQ(longLines, QList<bool>({false}));
        }
        EXPECT_FALSE(document.isLoading());
    }
}

} // namespace
