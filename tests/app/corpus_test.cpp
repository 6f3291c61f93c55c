// Real bibliography files written by other people and tools: opened in the editor and saved again,
// each comes back byte for byte.
#include "document/document_file.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"

#include <QDirIterator>

namespace {

using CorpusFiles = AppFixture;

TEST_F(CorpusFiles, OpenThenSaveAsKeepsEveryByte) {
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files =
        corpus.entryList({QStringLiteral("*.bib"), QStringLiteral("*.csv")}, QDir::Files);
    if (files.isEmpty()) GTEST_SKIP() << "no corpus folder beside the project";
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QString source = corpus.filePath(name);
        // Bytes that are no character are announced, and kept all the same.
        const QString warning = document::openWarning(source, document::loadDocumentFile(source));
        if (!warning.isEmpty()) platform.expectMessage(warning);
        form1().FileOpen(source);
        platform.verify();
        EXPECT_EQ(form1().entryCount(), entry::countEntries(form1().documentText()));

        const QString copy = path(QStringLiteral("copy"));
        platform.expectSaveFile(copy);
        form1().SA1Click();
        platform.verify();
        EXPECT_TRUE(readFile(copy) == readFile(source)) << "bytes changed";
    }
}

} // namespace
