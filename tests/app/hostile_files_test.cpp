// Hostile and unlucky files: each ends in a clear message or works, and nothing is lost.
#include "csv/csv_import_form.h"
#include "document/document_file.h"
#include "support/app_fixture.h"
#include "support/entry_form_controls.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class HostileFiles : public AppFixture {
protected:
    QByteArray randomBytes(qsizetype size, quint32 seed) {
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator random(seed);
        for (char& b : bytes)
            b = char(random.bounded(256));
        return bytes;
    }
    QString openError(const QString& file) { return QStringLiteral("ファイル %1 は開けません.").arg(file); }
};

TEST_F(HostileFiles, ABinaryFileOpensWithTheWarningAndIsNeverSavedUnasked) {
    const QByteArray image = QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + randomBytes(200000, 7);
    const QString file = writeFile(QStringLiteral("picture.bib"), image);
    platform.expectMessageContaining(QStringLiteral("文字として読めないバイトが"));
    form1().FileOpen(file);
    platform.verify();
    EXPECT_FALSE(form1().isModified());
    // Unchanged, closing asks nothing and writes nothing; changed, it asks.
    bool canClose = true;
    form1().FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
    // Saved on purpose, it comes back byte for byte.
    const QString copy = path(QStringLiteral("copy.bib"));
    platform.expectSaveFile(copy);
    form1().SA1Click();
    EXPECT_TRUE(readFile(copy) == image);
    type(QStringLiteral("x"));
    platform.expectSaveChanges(ui::SaveAnswer::No);
    form1().FormCloseQuery(canClose);
    EXPECT_TRUE(readFile(file) == image);
}

TEST_F(HostileFiles, VeryLongLinesOpenAndWrapAnywhere) {
    // A line of 1 MB without a blank, and a line of 10 MB of words: each opens, is wrapped anywhere (word
    // wrapping would cost seconds a keystroke), takes typing and is saved byte for byte.
    const QByteArray blob(1 << 20, 'a');
    QByteArray words;
    while (words.size() < 10 << 20)
        words += "lorem ipsum dolor sit amet ";
    for (const QByteArray& line : {blob, words}) {
        const QString file = writeFile(QStringLiteral("long.bib"), "@misc{x,\r\n" + line + "\r\n}\r\n");
        form1().FileOpen(file);
        EXPECT_TRUE(editor().wrapsAnywhere());
        if (line.size() == blob.size()) { // (keystrokes in the 10 MB line are timed by lorvane-bench)
            editor().setCaret(store().lineStart(1) + 1000);
            QTest::keyClick(&editor(), Qt::Key_B);
            QTest::keyClick(&editor(), Qt::Key_Backspace);
        }
        const QString copy = path(QStringLiteral("long copy.bib"));
        platform.expectSaveFile(copy);
        form1().SA1Click();
        EXPECT_TRUE(readFile(copy) == "@misc{x,\r\n" + line + "\r\n}\r\n");
    }
    // Ordinary text keeps word wrapping; a long line pasted into it changes that.
    form1().FileOpen(writeFile(QStringLiteral("short.bib"), "@misc{y,\r\n}\r\n"));
    EXPECT_FALSE(editor().wrapsAnywhere());
    type(QString(document::kLongLine - 1, u'z')); // the longest line word wrapping takes, loaded or typed
    EXPECT_FALSE(editor().wrapsAnywhere());
    type(QStringLiteral("z"));
    EXPECT_TRUE(editor().wrapsAnywhere());
}

TEST_F(HostileFiles, AHugeFileIsAskedAboutOrRefusedBeforeAnythingIsRead) {
    type(QStringLiteral("kept"));
    // Over the size asked about (sparse, 101 MB): nothing is read before the question; answering No leaves
    // everything as it was. (A 1 GB file is asked about the same way where it fits the memory.)
    const QString gigabyte = path(QStringLiteral("huge.bib"));
    QFile huge(gigabyte);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(app::TForm1::kAskAboveBytes + (1 << 20)));
    huge.close();
    platform.expectSaveChanges(ui::SaveAnswer::No)
        .expectOpenFile(gigabyte)
        .expectYesNo(false, QStringLiteral("ファイル %1 は 101 MB あります").arg(gigabyte));
    form1().Open1Click();
    platform.verify();
    EXPECT_EQ(form1().documentText(), QStringLiteral("kept"));
    EXPECT_EQ(form1().documentName(), QStringLiteral("新規ファイル"));
    EXPECT_TRUE(form1().isModified());
    // More than the machine's memory could hold: refused with the reason.
    if (!huge.open(QIODevice::WriteOnly) || !huge.resize(qint64(1) << 42))
        GTEST_SKIP() << "no sparse 4 TB file here";
    huge.close();
    platform.expectSaveChanges(ui::SaveAnswer::No)
        .expectOpenFile(gigabyte)
        .expectError(
            QStringLiteral("ファイル %1 は大きすぎて開けません (4194304 MB。開くにはおよそ 20480.0 GB の"
                           "メモリが要ります)")
                .arg(gigabyte));
    form1().Open1Click();
    EXPECT_EQ(form1().documentText(), QStringLiteral("kept"));
}

TEST_F(HostileFiles, WhatCannotBeReadIsReportedAndTheDocumentStays) {
    type(QStringLiteral("kept"));
    QDir(dir.path()).mkdir(QStringLiteral("folder.bib"));
    const QString unreadable = path(QStringLiteral("unreadable.bib"));
    const QString vanishing = writeFile(QStringLiteral("vanishing.bib"), "x");
    const struct {
        QString file;
        std::function<void()> afterChoosing;
    } cases[] = {
        {path(QStringLiteral("folder.bib")), {}},
        {makeUnreadableFile(unreadable) ? unreadable : path(QStringLiteral("missing.bib")), {}},
        // Chosen in the dialog, gone before it is read.
        {vanishing, [&] { QFile::remove(vanishing); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        platform.expectSaveChanges(ui::SaveAnswer::No)
            .expectOpenFile(c.file, c.afterChoosing)
            .expectError(openError(c.file));
        form1().Open1Click();
        platform.verify();
        EXPECT_EQ(form1().documentText(), QStringLiteral("kept"));
        EXPECT_EQ(form1().documentName(), QStringLiteral("新規ファイル"));
        EXPECT_TRUE(form1().isModified());
    }
    platform.expectError(openError(path(QStringLiteral("missing.bib"))));
    form1().openFromCommandLine(path(QStringLiteral("missing.bib")));
    EXPECT_EQ(form1().documentText(), QStringLiteral("kept"));
}

TEST_F(HostileFiles, ASaveOntoAFullDiskLeavesTheOldFileWhole) {
    const QByteArray old(64 * 1024, 'o');
    const QString file = writeFile(QStringLiteral("refs.bib"), old);
    form1().FileOpen(file);
    type(QString(256 * 1024, u'n'));
    // The disk "fills up" at 100 KB: writes past that fail (SIGXFSZ ignored, so they return an error).
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 100 * 1024;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    platform.expectError(QStringLiteral("ファイル %1 を作成できません.").arg(file));
    form1().Save1Click();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    platform.verify();
    EXPECT_TRUE(readFile(file) == old);
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(form1().documentName(), file);
    // A folder that cannot be written: only where permissions apply (not to root).
    if (geteuid() == 0) return;
    QDir(dir.path()).mkdir(QStringLiteral("locked"));
    const QString locked = writeFile(QStringLiteral("locked/refs.bib"), old);
    form1().FileOpen(locked);
    type(QStringLiteral("n"));
    QFile::setPermissions(path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
    platform.expectError(QStringLiteral("ファイル %1 を作成できません.").arg(locked));
    form1().Save1Click();
    QFile::setPermissions(path(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(readFile(locked) == old);
    EXPECT_TRUE(form1().isModified());
}

TEST_F(HostileFiles, ListAndCsvFilesThatAreBinaryHugeOrUnbroken) {
    // Binary, 8 MB; one line of 8 MB inside a section; 200,000 short lines: the lists and the table are what
    // the rules give.
    QByteArray section = "@begin{Journal}\r\n" + QByteArray(8 << 20, 'J') + "\r\n@end{Journal}\r\n";
    QByteArray many = "@begin{Journal}\r\n";
    for (int i = 0; i < 200000; ++i)
        many += "J" + QByteArray::number(i) + "\r\n";
    const struct {
        QByteArray bytes;
        int journals;
    } lists[] = {{randomBytes(8 << 20, 11), 0}, {section, 1}, {many, 200000}};
    for (const auto& list : lists) {
        writeFile(QStringLiteral("user.dat"), list.bytes);
        auto form = newForm();
        EXPECT_EQ(Form{*form}.combo(2).count(), list.journals);
    }
    // The import reads the same inputs as CSV files.
    for (const QByteArray& bytes : {randomBytes(8 << 20, 13), QByteArray(8 << 20, 'c')}) {
        const QString csv = writeFile(QStringLiteral("in.csv"), bytes);
        csv::TForm5 importForm(platform, form1().csvDocument(), &form1());
        platform.expectOpenFile(csv);
        importForm.BitBtn1Click();
        platform.verify();
        EXPECT_EQ(importForm.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), csv);
    }
}

} // namespace
