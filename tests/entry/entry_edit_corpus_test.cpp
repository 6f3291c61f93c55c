// Every entry of the real files in the shared corpus changed through the form's rule: no change gives the
// text back, a changed field changes nothing but its own text, and pBibTeX reads the new value.
#include "bibtex/check.h"
#include "document/document_file.h"
#include "entry/entry_edit.h"
#include "entry/entry_fields.h"
#include "text/text_file.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>

namespace {

const QString kMarker = QStringLiteral("Zqxjmarker 新しい表題");

// Each field but the first named `skip`, by its name in lower case and its text from name to value.
QStringList fieldTexts(const QString& text, const entry::EntryText& e, const QString& skip) {
    QStringList texts;
    bool skipped = false;
    for (const entry::EntryField& f : e.fields) {
        const QString name = f.name.toLower();
        if (name == skip && !skipped) {
            skipped = true;
            continue;
        }
        texts << name + u'=' + text.sliced(f.nameStart, f.valueEnd - f.nameStart);
    }
    return texts;
}

qsizetype commonPrefix(QStringView a, QStringView b) {
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}
qsizetype commonSuffix(QStringView a, QStringView b, qsizetype prefix) {
    qsizetype n = 0;
    while (n < a.size() - prefix && n < b.size() - prefix && a[a.size() - 1 - n] == b[b.size() - 1 - n])
        ++n;
    return n;
}

// `after` is `before` with the field set to `value` and nothing else of it changed.
void expectOnlyTheFieldChanged(const QString& before, const entry::EntryText& e, const QString& after,
                               const QString& field, const QString& value) {
    const entry::EntryText a = entry::readEntry(after);
    ASSERT_EQ(a.problem, entry::EntryProblem::None) << after.toStdString();
    EXPECT_EQ(a.type, e.type);
    EXPECT_EQ(a.label, e.label);
    EXPECT_EQ(entry::fieldValues(a).value(field), value);
    EXPECT_EQ(fieldTexts(after, a, field), fieldTexts(before, e, field));
    // What differs lies within the field's lines; a new field leaves nothing of the old text but blanks and
    // a "," before it.
    const qsizetype prefix = commonPrefix(before, after);
    const qsizetype suffix = commonSuffix(before, after, prefix);
    const QString changedBefore = before.sliced(prefix, before.size() - prefix - suffix);
    if (const entry::EntryField* old = e.field(field)) {
        const qsizetype lineStart = before.lastIndexOf(u'\n', old->nameStart - 1) + 1;
        const qsizetype end = old->commaEnd >= 0 ? old->commaEnd : old->valueEnd;
        const qsizetype lineEnd = before.indexOf(u'\n', end) < 0 ? before.size() : before.indexOf(u'\n', end);
        EXPECT_GE(prefix, lineStart) << after.toStdString();
        EXPECT_GE(suffix, before.size() - lineEnd) << after.toStdString();
    } else {
        EXPECT_TRUE(changedBefore.trimmed().isEmpty() || changedBefore.trimmed() == u",")
            << after.toStdString();
    }
}

// pBibTeX with the standard Japanese style reads the entry's new title into the bibliography it writes.
void expectPbibtexReadsTheMarker(const QString& pbibtex, const QString& entryText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    text::writeFileBytes(dir.filePath(QStringLiteral("x.bib")), entryText.toUtf8() + '\n');
    text::writeFileBytes(dir.filePath(QStringLiteral("x.aux")),
                         "\\relax\n\\citation{*}\n\\bibstyle{jplain}\n\\bibdata{x}\n");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(pbibtex, {QStringLiteral("-kanji=utf8"), QStringLiteral("x")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString bbl = text::decodeText(text::readFileBytes(dir.filePath(QStringLiteral("x.bbl")))).text;
    EXPECT_TRUE(bbl.contains(QStringLiteral("Zqxjmarker"))) << entryText.toStdString() << bbl.toStdString();
}

TEST(EntryEditCorpus, NoChangeKeepsEveryEntryAndAChangedFieldChangesOnlyItsOwnText) {
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.bib")}, QDir::Files);
    if (files.isEmpty()) GTEST_SKIP() << "no corpus folder beside the project";
    const QString pbibtex = QStandardPaths::findExecutable(QStringLiteral("pbibtex"));
    int editable = 0, read = 0;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QString text = document::loadDocumentFile(corpus.filePath(name)).text;
        bool triedPbibtex = false;
        for (const entry::EntrySpan& span : entry::entriesOf(text)) {
            ++read;
            const QString before = text.sliced(span.position, span.length);
            const entry::EntryText e = entry::readEntry(before);
            if (e.problem != entry::EntryProblem::None) continue;
            ++editable;
            SCOPED_TRACE(e.label.toStdString());
            const entry::EntryInput shown = entry::inputShowing(e.category, e.label, entry::fieldValues(e));
            EXPECT_TRUE(entry::entryEdits(before, e, shown).isEmpty()) << before.toStdString();
            for (const auto& [field, value] : {std::pair{QStringLiteral("title"), kMarker},
                                               std::pair{QStringLiteral("yomi"), QStringLiteral("よみ")}}) {
                const entry::EntryInput input = entry::withFields(shown, {{field, value}}).input;
                const QString after = text::applyEdits(before, entry::entryEdits(before, e, input));
                expectOnlyTheFieldChanged(before, e, after, field, value);
                if (field == u"title" && !pbibtex.isEmpty() && !triedPbibtex) {
                    triedPbibtex = true;
                    expectPbibtexReadsTheMarker(pbibtex, after);
                }
            }
        }
    }
    std::cout << "[ corpus ] " << editable << " of " << read << " entries editable\n";
    EXPECT_GT(editable, read / 2);
}

} // namespace
