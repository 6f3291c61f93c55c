// The entry count and the label keys kept line by line must always answer as a pass over the whole
// text from scratch would.
#include "document/document.h"
#include "document/document_index.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"
#include "support/head_label_oracle.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

namespace {

TEST(DocumentIndex, FollowsRandomEditsUndoAndRedo) {
    QPlainTextEdit editor;
    document::DocumentIndex index(editor.document());
    QRandomGenerator random(20261207);
    const QString pieces[] = {QStringLiteral("@article{a,\n"),
                              QStringLiteral("@Book{b,"),
                              QStringLiteral("@misc{Ab,\n"),
                              QStringLiteral("@misc{aB,"),
                              QStringLiteral("\n"),
                              QStringLiteral(" title = \"x\",\n"),
                              QStringLiteral("@"),
                              QStringLiteral("misc{"),
                              QStringLiteral("  @ in proceedings {c,\n"),
                              QStringLiteral("}\n\n"),
                              QStringLiteral("\t@book{t,\n"),
                              QStringLiteral("日本語\n"),
                              QStringLiteral("{A,"),
                              QStringLiteral("{Ab, {x{a,")};
    const QString labels[] = {QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("x{a"),
                              QStringLiteral("b"), QStringLiteral("AB"), QStringLiteral("c"),
                              QStringLiteral("t")};
    for (int step = 0; step < 3000; ++step) {
        QTextCursor cursor(editor.document());
        const int length = editor.document()->characterCount() - 1;
        const int at = length > 0 ? random.bounded(length + 1) : 0;
        cursor.setPosition(at);
        switch (random.bounded(7)) {
        case 0:
        case 1:
        case 2:
            cursor.insertText(pieces[random.bounded(int(std::size(pieces)))]);
            break;
        case 3:
            cursor.setPosition(std::min(length, at + random.bounded(40)), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        case 4:
            editor.document()->undo();
            break;
        case 5:
            editor.document()->redo();
            break;
        case 6: // a letter's case flipped: the same keys, another label as written
            if (at < length) {
                cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
                const QChar c = cursor.selectedText().at(0);
                cursor.insertText(c.isUpper() ? c.toLower() : c.toUpper());
            }
            break;
        }
        const QString text = editor.toPlainText();
        ASSERT_EQ(index.entryCount(), entry::countEntries(text)) << "after step " << step;
        for (const QString& label : labels)
            ASSERT_EQ(index.hasLabelKey(entry::labelKey(label)), entry::labelInUse(text, label))
                << label.toStdString() << " after step " << step;
        // The heads' labels, as written, each head once (their order is the labelMatches test's).
        QStringList heads;
        for (auto it = index.headLabels().cbegin(); it != index.headLabels().cend(); ++it)
            for (int n = 0; n < it.value(); ++n)
                heads.append(it.key().shown());
        QStringList expected = oracle::headLabelsAsWritten(text);
        heads.sort();
        expected.sort();
        ASSERT_EQ(heads, expected) << "after step " << step;
    }
}

TEST(DocumentIndex, ReplacingTheWholeTextCountsItInOnePass) {
    QPlainTextEdit editor;
    document::DocumentIndex index(editor.document());
    editor.setPlainText(QStringLiteral("@book{a,\n@book{b,\n"));
    ASSERT_EQ(index.entryCount(), 2);
    const QString text = QStringLiteral("@misc{x,\n}\n\n@article{y,\n}\n");
    index.replaceText(text, {}, [&] { editor.setPlainText(text); });
    EXPECT_EQ(index.entryCount(), 2);
    // A text whose lines are not the document's blocks one to one is counted block by block.
    const QString withCr = QStringLiteral("@misc{x,\r@misc{y,\u2029@misc{z,");
    index.replaceText(withCr, {}, [&] { editor.setPlainText(withCr); });
    EXPECT_EQ(index.entryCount(), entry::countEntries(editor.toPlainText()));
    index.replaceText(QString(), {}, [&] { editor.clear(); });
    EXPECT_EQ(index.entryCount(), 0);
}

// The caption follows the path: a signal for each change, none for the same path again.
TEST(DocumentPath, SignalledWhenItChanges) {
    QPlainTextEdit editor;
    document::Document document(editor.document());
    QStringList signalled;
    QObject::connect(&document, &document::Document::pathChanged,
                     [&](const QString& path) { signalled.append(path); });
    for (const char* path : {"/a.bib", "/a.bib", "/b.bib", ""})
        document.setPath(QString::fromLatin1(path));
    EXPECT_EQ(signalled, QStringList({QStringLiteral("/a.bib"), QStringLiteral("/b.bib"), QString()}));
    EXPECT_EQ(document.path(), QString());
}

using AppendLines = AppFixture;

TEST_F(AppendLines, EachLineEndsWithABreakAndTheTextBeforeIsUntouched) {
    form1().document().appendLines({QStringLiteral("@misc{a,"), QStringLiteral("}"), QString()});
    EXPECT_EQ(form1().documentText(), QStringLiteral("@misc{a,\n}\n\n"));
    form1().document().appendLines({QStringLiteral("@misc{b,"), QStringLiteral("}"), QString()});
    EXPECT_EQ(form1().documentText(), QStringLiteral("@misc{a,\n}\n\n@misc{b,\n}\n\n"));
    EXPECT_EQ(form1().entryCount(), 2);
    EXPECT_TRUE(form1().isModified());
    // One change: a single undo takes the whole entry back.
    form1().editor()->undo();
    EXPECT_EQ(form1().documentText(), QStringLiteral("@misc{a,\n}\n\n"));
    EXPECT_EQ(form1().entryCount(), 1);
}

TEST_F(AppendLines, ALastLineWithoutBreakGetsOneFirst) {
    type(QStringLiteral("% note"));
    form1().document().appendLines({QStringLiteral("@misc{a,"), QStringLiteral("}"), QString()});
    EXPECT_EQ(form1().documentText(), QStringLiteral("% note\n@misc{a,\n}\n\n"));
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
}

using DocumentEdits = AppFixture;

// Edits far apart made as one change, which the document reports as one stretch from the first to the
// last: every line keeps its own end through the change, its undo and its redo, and a line an edit adds
// takes the end of the line it was split from.
TEST_F(DocumentEdits, OneChangeOfManyEditsKeepsEveryLineEnd) {
    const QByteArray bytes = "x a\r\nb a\nc\r\nd\r\ne a\r\n";
    const QByteArray edited = "x 1\r\nb 2\n3\nc\r\nd\r\ne 4\r\n";
    form1().FileOpen(writeFile(QStringLiteral("mixed.txt"), bytes));
    document::Document& document = form1().document();
    const auto saved = [&] { return document.encode(document.format()).bytes; };
    document.applyEdits(
        {{2, 1, QStringLiteral("1")}, {6, 1, QStringLiteral("2\n3")}, {14, 1, QStringLiteral("4")}});
    EXPECT_EQ(saved(), edited);
    form1().editor()->undo();
    EXPECT_EQ(saved(), bytes);
    form1().editor()->redo();
    EXPECT_EQ(saved(), edited);
}

} // namespace
