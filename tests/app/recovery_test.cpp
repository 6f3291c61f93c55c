// No work lost: Save asks before overwriting a file another program changed, and the text of a document
// with unsaved changes survives a run that ends without saving.
#include "base/app_info.h"
#include "document/recovery.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>

using ui::SaveAnswer;

namespace {

const QByteArray kSjisBib = QByteArray("@article{a,\r\n title = \"\x93\xfa\x96\x7b\",\r\n}\r\n"); // 日本

// Sets a file's modification time, as another program's write would.
void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// ---- Changed on disk ----

class ChangedOnDisk : public AppFixture {
protected:
    QString openTyped(const QByteArray& bytes) {
        const QString file = writeFile(QStringLiteral("refs.bib"), bytes);
        form1().FileOpen(file);
        type(QStringLiteral("%"));
        return file;
    }
};

TEST_F(ChangedOnDisk, SaveAsksBeforeOverwritingWhatAnotherProgramWrote) {
    const QString question = QStringLiteral("ほかのプログラムによって変更されています");
    const struct {
        const char* change;
        bool asked;
        bool answer;
    } cases[] = {{"nothing", false, true},
                 {"rewritten", true, false},
                 {"rewritten", true, true},
                 {"same size, touched", true, false},
                 {"deleted", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.change) + (c.answer ? " / yes" : " / no"));
        const QString file = openTyped(kSjisBib);
        const std::string_view change = c.change;
        QByteArray onDisk = kSjisBib;
        if (change == "rewritten") onDisk = "written by another program";
        if (change != "nothing" && change != "deleted") writeFile(QStringLiteral("refs.bib"), onDisk);
        if (change == "same size, touched") setModified(file, QDateTime::currentDateTime().addSecs(-3600));
        if (change == "deleted") QFile::remove(file);
        if (c.asked) platform.expectYesNo(c.answer, question);
        form1().Save1Click();
        platform.verify();
        // No writes nothing, and the document stays modified as after a declined save.
        EXPECT_EQ(readFile(file), c.answer ? kSjisBib + "%" : onDisk);
        EXPECT_EQ(form1().isModified(), !c.answer);
        EXPECT_EQ(form1().documentName(), file);
        // The next save asks again only while the file is still another program's.
        type(QStringLiteral("%"));
        if (!c.answer) platform.expectYesNo(true, question);
        form1().Save1Click();
        platform.verify();
        EXPECT_EQ(readFile(file), kSjisBib + "%%");
        EXPECT_FALSE(form1().isModified());
    }
}

TEST_F(ChangedOnDisk, SaveAsOntoAnotherFileDoesNotAsk) {
    const QString file = openTyped(kSjisBib);
    writeFile(QStringLiteral("refs.bib"), "another program's");
    const QString copy = path(QStringLiteral("copy.bib"));
    platform.expectSaveFile(copy);
    form1().SA1Click();
    EXPECT_EQ(readFile(copy), kSjisBib + "%");
    EXPECT_EQ(readFile(file), QByteArray("another program's"));
    // The new file is the document's now: saving it again asks nothing.
    type(QStringLiteral("%"));
    form1().Save1Click();
    EXPECT_EQ(readFile(copy), kSjisBib + "%%");
}

// ---- Crash recovery ----

class Recovery : public AppFixture {
protected:
    const document::RecoveryFiles& own() { return *form1().recoveryFiles(); }
    QString ownRecord() { return QDir(recoveryDir.path()).filePath(own().name() + QStringLiteral(".json")); }
    QStringList leftFiles() {
        return QDir(recoveryDir.path())
            .entryList({QStringLiteral("*.txt"), QStringLiteral("*.json")}, QDir::Files);
    }
    QTimer* timer() { return form1().findChild<QTimer*>(QStringLiteral("RecoveryTimer")); }
    // The timer's turn, and its write finished.
    void tick() {
        ASSERT_TRUE(QMetaObject::invokeMethod(timer(), "timeout"));
        EXPECT_TRUE(form1().finishRecoveryWrite());
    }
    document::RecoveryRecord ownRecordRead() {
        return document::readRecord(readFile(ownRecord())).value_or(document::RecoveryRecord{});
    }
    // What a crash leaves: this run's files under the name of a run that is gone, and a new run.
    void crashAndStartAgain() {
        const QDir folder(recoveryDir.path());
        const QString text = own().textPath(), record = ownRecord();
        const QString leftText = folder.filePath(QStringLiteral("4000000.txt"));
        ASSERT_TRUE(QFile::copy(text, leftText));
        ASSERT_TRUE(QFile::copy(record, folder.filePath(QStringLiteral("4000000.json"))));
        setModified(leftText, QFileInfo(text).lastModified());
        restart();
    }
};

TEST_F(Recovery, WrittenOnTheTimerWhileTheTextHasUnsavedChanges) {
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->isActive());
    EXPECT_EQ(timer()->interval(), 30000);
    tick();
    EXPECT_TRUE(leftFiles().isEmpty()); // nothing unsaved
    type(QStringLiteral("あ"));
    tick();
    EXPECT_EQ(readFile(own().textPath()), QByteArray("\x82\xA0")); // the document's own encoding
    const document::RecoveryRecord record = ownRecordRead();
    EXPECT_EQ(record.caption, base::kUntitledName);
    EXPECT_FALSE(record.writtenAsUtf8);
    // Not rewritten while nothing changes; rewritten after the next change.
    QFile::remove(own().textPath());
    tick();
    EXPECT_FALSE(QFileInfo::exists(own().textPath()));
    type(QStringLiteral("い"));
    tick();
    EXPECT_EQ(readFile(own().textPath()), QByteArray("\x82\xA0\x82\xA2"));
}

TEST_F(Recovery, AFailureIsReportedOnceAndTheEditorGoesOn) {
    // A folder where the text should go: the write fails, every time.
    ASSERT_TRUE(QDir().mkdir(own().textPath()));
    type(QStringLiteral("x"));
    platform.expectError(QStringLiteral("ファイル %1 を作成できません.").arg(own().textPath()));
    EXPECT_FALSE(form1().writeRecovery());
    platform.verify();
    type(QStringLiteral("y"));
    EXPECT_FALSE(form1().writeRecovery()); // not reported again
    EXPECT_EQ(form1().documentText(), QStringLiteral("xy"));
}

TEST_F(Recovery, DeletedWhenTheTextIsSavedOrDiscarded) {
    const struct {
        const char* what;
        std::function<void()> act;
        bool deleted;
    } cases[] = {
        {"save", [this] { form1().Save1Click(); }, true},
        {"save as",
         [this] {
             platform.expectSaveFile(path(QStringLiteral("other.bib")));
             form1().SA1Click();
         },
         true},
        {"new, not saved",
         [this] {
             platform.expectSaveChanges(SaveAnswer::No);
             form1().New1Click();
         },
         true},
        {"new, cancelled",
         [this] {
             platform.expectSaveChanges(SaveAnswer::Cancel);
             form1().New1Click();
         },
         false},
        {"another file opened",
         [this] {
             platform.expectSaveChanges(SaveAnswer::No)
                 .expectOpenFile(writeFile(QStringLiteral("b.bib"), "b"));
             form1().Open1Click();
         },
         true},
        {"open failed",
         [this] {
             // A folder passes the open dialog and cannot be read.
             QDir(dir.path()).mkdir(QStringLiteral("folder.bib"));
             const QString folder = path(QStringLiteral("folder.bib"));
             platform.expectSaveChanges(SaveAnswer::No)
                 .expectOpenFile(folder)
                 .expectError(QStringLiteral("ファイル %1 は開けません.").arg(folder));
             form1().Open1Click();
         },
         false},
        {"normal exit", [this] { restart(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form1().FileOpen(writeFile(QStringLiteral("a.bib"), kSjisBib));
        type(QStringLiteral("x"));
        ASSERT_TRUE(form1().writeRecovery());
        ASSERT_EQ(leftFiles().size(), 2);
        c.act();
        platform.verify();
        EXPECT_EQ(leftFiles().size(), c.deleted ? 0 : 2);
    }
}

TEST_F(Recovery, OfferedAtTheNextStartAndRestoredAsItWas) {
    // Each text is read back in the format it was written in, where reading it as an opened file would
    // take another encoding or another usual line end.
    const struct {
        const char* what;
        QByteArray file;
        std::function<void()> edit;
        QString text;
        QByteArray saved;
    } cases[] = {
        {"LF usual, a line ending in CR LF, 纊 in its NEC form", "\xED\x40\n\x93\xfa\x96\x7b\r\nx\n",
         [this] { type(QStringLiteral("追記")); }, QStringLiteral("纊\n日本\nx\n追記"),
         "\xED\x40\n\x93\xfa\x96\x7b\r\nx\n\x92\xC7\x8B\x4C"},
        {"EUC-JP that now reads as CP932 too", "\xC6\xFC\xCB\xDC\r\n",
         [this] { edit(0, store().size(), QStringLiteral("山田")); }, QStringLiteral("山田"),
         "\xBB\xB3\xC5\xC4"},
        {"CR LF usual, now the fewer", "a\r\nb\r\nc\r\nd\ne\nf",
         [this] { edit(0, store().lineStart(2), QString()); }, QStringLiteral("c\nd\ne\nf"), "c\r\nd\ne\nf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = writeFile(QStringLiteral("refs.bib"), c.file);
        form1().FileOpen(file);
        c.edit();
        ASSERT_TRUE(form1().writeRecovery());
        crashAndStartAgain();
        platform.expectYesNo(true, QStringLiteral("文書: ") + file);
        form1().offerRecovery();
        platform.verify();
        EXPECT_EQ(form1().documentText(), c.text);
        EXPECT_EQ(form1().documentName(), file);
        EXPECT_TRUE(form1().isModified());
        // The ended run's files are gone; the text is in this run's.
        EXPECT_EQ(leftFiles(), QStringList({own().name() + QStringLiteral(".json"),
                                            own().name() + QStringLiteral(".txt")}));
        // The file is as the ended run left it: saving asks nothing and writes what that run would have.
        form1().Save1Click();
        EXPECT_EQ(readFile(file), c.saved);
    }
}

// A large text comes back whole, in a store made at once, and takes keys as any text does.
TEST_F(Recovery, ALargeTextComesBackWholeAtOnce) {
    QString large;
    for (int i = 0; large.size() <= 2 * 1024 * 1024; ++i)
        large += QStringLiteral("@article{ref%1,\n title = \"第%1報\",\n}\n").arg(i);
    type(large);
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    form1().show();
    QApplication::setActiveWindow(&form1());
    editor().setFocus();
    platform.expectYesNo(true);
    form1().offerRecovery();
    platform.verify();
    EXPECT_EQ(form1().documentText(), large);
    EXPECT_EQ(editor().store(), &store());
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(statusText(), entry::entryCountText(entry::countEntries(large)));
    EXPECT_EQ(leftFiles(),
              QStringList({own().name() + QStringLiteral(".json"), own().name() + QStringLiteral(".txt")}));
    EXPECT_EQ(editor().caret(), 0);
    QTest::keyClick(&editor(), Qt::Key_X);
    EXPECT_TRUE(form1().documentText().startsWith(QStringLiteral("x@article{ref0,")));
}

// A copy larger than what is read at once comes back as a large file opens: read and made ready in a
// thread of its own while the window answers, shows the load and keeps the text read-only. Esc leaves the
// empty document and the copy for the next start, which offers it again.
TEST_F(Recovery, ALargeCopyIsReadInTheBackgroundAndEscLeavesItForTheNextStart) {
    QString large;
    for (int i = 0; large.size() <= app::BackgroundRead::kAboveBytes; ++i)
        large += QStringLiteral("@article{ref%1,\n title = \"第%1報\",\n}\n").arg(i);
    type(large);
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    const QStringList ended = {QStringLiteral("4000000.json"), QStringLiteral("4000000.txt")};
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Esc" : "read to its end");
        if (!escape) restart();
        form1().show();
        QApplication::setActiveWindow(&form1());
        editor().setFocus();
        bool sawLoad = false;
        QTimer::singleShot(0, &form1(), [&] {
            sawLoad = form1().isLoading();
            EXPECT_TRUE(editor().isReadOnly());
            EXPECT_TRUE(form1().findChild<QWidget*>(QStringLiteral("LoadProgress"))->isVisible());
            EXPECT_TRUE(form1().documentText().isEmpty());
            if (escape) QTest::keyClick(&editor(), Qt::Key_Escape);
        });
        platform.expectYesNo(true);
        form1().offerRecovery();
        platform.verify();
        EXPECT_TRUE(sawLoad);
        EXPECT_FALSE(editor().isReadOnly());
        EXPECT_EQ(form1().documentText(), escape ? QString() : large);
        EXPECT_EQ(form1().isModified(), !escape);
        EXPECT_EQ(form1().documentName(), base::kUntitledName);
        EXPECT_EQ(leftFiles(), escape ? ended
                                      : QStringList({own().name() + QStringLiteral(".json"),
                                                     own().name() + QStringLiteral(".txt")}));
    }
}

TEST_F(Recovery, ARestoredDocumentAsksBeforeOverwritingAFileChangedSince) {
    const QString file = writeFile(QStringLiteral("a.bib"), kSjisBib);
    form1().FileOpen(file);
    type(QStringLiteral("x"));
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    writeFile(QStringLiteral("a.bib"), "changed after the crash");
    platform.expectYesNo(true).expectYesNo(false, QStringLiteral("ほかのプログラム"));
    form1().offerRecovery();
    form1().Save1Click();
    platform.verify();
    EXPECT_EQ(readFile(file), QByteArray("changed after the crash"));
}

TEST_F(Recovery, DiscardedAtTheNextStartLeavesAnEmptyDocument) {
    type(QStringLiteral("x"));
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    platform.expectYesNo(false, QStringLiteral("文書: ") + base::kUntitledName);
    form1().offerRecovery();
    platform.verify();
    EXPECT_TRUE(leftFiles().isEmpty());
    EXPECT_TRUE(form1().documentText().isEmpty());
    EXPECT_FALSE(form1().isModified());
    restart();
    form1().offerRecovery(); // nothing left to offer
}

TEST_F(Recovery, TextTheEncodingCannotHoldIsKeptInUtf8AndComesBackInItsFormat) {
    type(QStringLiteral("a😀"));
    ASSERT_TRUE(form1().writeRecovery());
    EXPECT_EQ(readFile(own().textPath()), QByteArray("a\xF0\x9F\x98\x80"));
    EXPECT_TRUE(ownRecordRead().writtenAsUtf8);
    crashAndStartAgain();
    platform.expectYesNo(true);
    form1().offerRecovery();
    platform.verify();
    EXPECT_EQ(form1().documentText(), QStringLiteral("a😀"));
    EXPECT_EQ(form1().document().format().text.encoding, text::Encoding::Cp932);
}

TEST_F(Recovery, ATextNewerThanItsRecordIsReadAsAnOpenedFileIs) {
    form1().FileOpen(writeFile(QStringLiteral("a.bib"), kSjisBib));
    type(QStringLiteral("x"));
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    // The run ended between writing a text and its record.
    QFile newer(QDir(recoveryDir.path()).filePath(QStringLiteral("4000000.txt")));
    ASSERT_TRUE(newer.open(QIODevice::WriteOnly));
    newer.write("\xEF\xBB\xBFnewer \xE2\x80\x94");
    newer.close();
    platform.expectYesNo(true);
    form1().offerRecovery();
    platform.verify();
    EXPECT_EQ(form1().documentText(), QStringLiteral("newer —"));
    EXPECT_EQ(form1().document().format().text.encoding, text::Encoding::Utf8);
    EXPECT_EQ(form1().documentName(), path(QStringLiteral("a.bib")));
}

TEST_F(Recovery, ARunningProgramsFilesAreNeverOffered) {
    // Another program on the same folder, with unsaved text, whose lock file is an hour old.
    document::RecoveryFiles other(recoveryDir.path());
    EXPECT_NE(other.name(), own().name());
    document::RecoveryRecord record;
    record.caption = base::kUntitledName;
    other.write("theirs", record);
    setModified(QDir(recoveryDir.path()).filePath(other.name() + QStringLiteral(".lock")),
                QDateTime::currentDateTime().addSecs(-3600));
    restart();
    form1().offerRecovery(); // no question
    EXPECT_EQ(readFile(other.textPath()), QByteArray("theirs"));
}

TEST_F(Recovery, ARestoredTextIsOfferedForSavingBeforeAFileNamedOnTheCommandLineOpens) {
    type(QStringLiteral("unsaved"));
    ASSERT_TRUE(form1().writeRecovery());
    crashAndStartAgain();
    platform.expectYesNo(true).expectSaveChanges(SaveAnswer::Cancel);
    form1().startWith(writeFile(QStringLiteral("b.bib"), "b"));
    platform.verify();
    EXPECT_EQ(form1().documentText(), QStringLiteral("unsaved"));
    EXPECT_TRUE(form1().isModified());
}

// The copies hold text the user has not saved: under the usual umask the folder is the user's alone
// (0700), also where it was made open to others before, and so are its files (0600).
TEST(RecoveryFolder, TheFolderAndItsFilesAreTheUsersAlone) {
    const mode_t usual = ::umask(022);
    const auto restoreMask = qScopeGuard([usual] { ::umask(usual); });
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fresh = dir.filePath(QStringLiteral("data/recovery"));
    const QString opened = dir.filePath(QStringLiteral("opened"));
    ASSERT_TRUE(QDir().mkdir(opened));
    ASSERT_TRUE(QFile::setPermissions(opened, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                  QFileDevice::ExeGroup));
    const auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0777u;
    };
    for (const QString& folder : {fresh, opened}) {
        SCOPED_TRACE(folder.toStdString());
        document::RecoveryFiles files(folder);
        files.write("\x82\xA0", document::RecoveryRecord{});
        files.write("\x82\xA0\x82\xA2", document::RecoveryRecord{}); // a copy replaced keeps the modes
        // A copy that a run which is gone left, with its lock, taken over as the next start does.
        QFile left(QDir(folder).filePath(QStringLiteral("4000000.txt")));
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
        left.close();
        const std::vector<document::LeftoverRecovery> taken =
            document::LeftoverRecovery::find(folder, files.name());
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_EQ(mode(folder), 0700u);
        for (const QString& name :
             {files.name() + QStringLiteral(".txt"), files.name() + QStringLiteral(".json"),
              files.name() + QStringLiteral(".lock"), QStringLiteral("4000000.lock")})
            EXPECT_EQ(mode(QDir(folder).filePath(name)), 0600u) << name.toStdString();
    }
}

// What the children of the test below type: first what the timer writes, then what only the editor holds
// when the child is ended.
const QString kTypedFirst = QStringLiteral("@book{b,\n title = \"未保存\",\n}\n");
const QString kTypedLater = QStringLiteral("@misc{c,\n note = \"後から\",\n}\n");
// The copy a run that is gone left, offered to the child that is ended with the question open.
const QByteArray kLeftover = "@misc{left,\n}\n";

// A child of the test below: an editor on the desktop platform (its questions are real modal dialogs)
// with unsaved typing on a short recovery interval. Once the timer has written its copy it stops, more is
// typed, and the child says "ready" while doing what LORVANE_TEST_WHILE names, until it is ended.
TEST(RecoveryChild, DISABLED_TypesAndWaitsForItsEnd) {
    const QString folder = qEnvironmentVariable("LORVANE_TEST_FOLDER");
    const QString during = qEnvironmentVariable("LORVANE_TEST_WHILE");
    ASSERT_FALSE(folder.isEmpty());
    ui::QtPlatform platform;
    const QString recovery = folder + QStringLiteral("/recovery");
    app::Program program(platform, folder,
                         settings::SettingsStore::iniFile(folder + QStringLiteral("/child.conf")), recovery);
    program.endOnSignals();
    app::TForm1& form1 = *program.windows().form1;
    const auto type = [&](const QString& text) {
        view::TextView& editor = *form1.findChild<view::TextView*>(QStringLiteral("RichEdit1"));
        editor.setCaret(form1.document().store().size());
        editor.insertText(text);
    };
    form1.FileOpen(folder + QStringLiteral("/refs.bib"));
    type(kTypedFirst);
    const QString record = recovery + u'/' + form1.recoveryFiles()->name() + QStringLiteral(".json");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(record); }, 60000));
    form1.findChild<QTimer*>(QStringLiteral("RecoveryTimer"))->stop();
    type(kTypedLater);
    const auto ready = [] {
        std::printf("ready\n");
        std::fflush(stdout);
    };
    if (during == u"saved" || during == u"offer") form1.Save1Click();
    if (during == u"entry form") {
        QTimer::singleShot(0, ready);
        form1.L1Click();
    } else if (during == u"offer") {
        QTimer::singleShot(0, ready);
        form1.offerRecovery();
    } else if (during == u"large load") {
        QFile large(folder + QStringLiteral("/large.bib"));
        ASSERT_TRUE(large.open(QIODevice::WriteOnly));
        for (qsizetype written = 0; written <= app::BackgroundRead::kAboveBytes;)
            written += large.write(QStringLiteral("@misc{m%1,}\n").arg(written).toLatin1());
        large.close();
        // A turn of the read's own loop, which the signal reaches too.
        QTimer loading;
        QObject::connect(&loading, &QTimer::timeout, [&] {
            if (!form1.isLoading()) return;
            loading.stop();
            ready();
            QTest::qWait(120000);
        });
        loading.start(0);
        form1.FileOpen(large.fileName());
    } else {
        ready();
        QTest::qWait(120000);
    }
    ADD_FAILURE() << "the child was not ended";
}

// A run ended from outside: killed, it leaves the text the timer last wrote and a lock whose owner is
// gone; ended by its session (SIGTERM or SIGHUP) it keeps everything typed, whatever it was doing, and
// removes its lock. The next start offers what was kept.
TEST_F(Recovery, AnEditorEndedFromOutsideLeavesItsUnsavedTextForTheNextStart) {
    const QString opened = QStringLiteral("@article{a,\n title = \"日本\",\n}\n"); // kSjisBib
    const QString timersCopy = opened + kTypedFirst, everything = timersCopy + kTypedLater;
    const struct {
        const char* what;
        int signal;
        const char* during;
        QString offered; // empty: nothing
        bool underItsFile;
        int locksLeft;
    } cases[] = {
        {"killed while typing", SIGKILL, "typing", timersCopy, true, 1},
        {"SIGTERM while typing", SIGTERM, "typing", everything, true, 0},
        {"SIGHUP while typing", SIGHUP, "typing", everything, true, 0},
        {"SIGTERM with the entry form open", SIGTERM, "entry form", everything, true, 0},
        // The document the user had comes back, as on a close request during a load.
        {"SIGHUP while a large file loads", SIGHUP, "large load", everything, true, 0},
        {"SIGTERM with nothing unsaved", SIGTERM, "saved", {}, false, 0},
        // The copy under offer stays, for the next start to offer again.
        {"SIGHUP while a copy is offered", SIGHUP, "offer", QString::fromLatin1(kLeftover), false, 0},
    };
    // The children start together: each waits a second for its timer.
    struct Child {
        QTemporaryDir dir;
        QProcess process;
    };
    std::vector<std::unique_ptr<Child>> children;
    for (const auto& c : cases) {
        Child& child = *children.emplace_back(std::make_unique<Child>());
        QFile file(child.dir.filePath(QStringLiteral("refs.bib")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kSjisBib) == kSjisBib.size());
        ASSERT_TRUE(QDir(child.dir.path()).mkpath(QStringLiteral("recovery")));
        QFile left(child.dir.filePath(QStringLiteral("recovery/4000000.txt")));
        if (std::string_view(c.during) == "offer") {
            ASSERT_TRUE(left.open(QIODevice::WriteOnly) && left.write(kLeftover) == kLeftover.size());
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LORVANE_TEST_FOLDER"), child.dir.path());
        environment.insert(QStringLiteral("LORVANE_TEST_WHILE"), QString::fromLatin1(c.during));
        environment.insert(QStringLiteral("LORVANE_RECOVERY_SECONDS"), QStringLiteral("1"));
        child.process.setProcessEnvironment(environment);
        child.process.start(QCoreApplication::applicationFilePath(),
                            {QStringLiteral("--gtest_also_run_disabled_tests"),
                             QStringLiteral("--gtest_filter=RecoveryChild.DISABLED_TypesAndWaitsForItsEnd")});
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        QProcess& child = children[i]->process;
        const QString file = children[i]->dir.filePath(QStringLiteral("refs.bib"));
        const QString folder = children[i]->dir.filePath(QStringLiteral("recovery"));
        // What came while the rows before were checked is read first: no new output may follow it.
        QByteArray output = child.readAllStandardOutput();
        while (!output.contains("ready\n") && child.waitForReadyRead(90000))
            output += child.readAllStandardOutput();
        ASSERT_TRUE(output.contains("ready\n")) << output.toStdString();
        ::kill(pid_t(child.processId()), c.signal);
        ASSERT_TRUE(child.waitForFinished(30000));
        // Ended by the signal itself, as a program that does not catch it is.
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(child.exitCode(), c.signal);
        EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.lock")}, QDir::Files).size(), c.locksLeft);

        app::Program next(
            platform, children[i]->dir.path(),
            settings::SettingsStore::iniFile(children[i]->dir.filePath(QStringLiteral("next.conf"))), folder);
        const QString caption = c.underItsFile ? file : base::kUntitledName;
        if (!c.offered.isEmpty()) platform.expectYesNo(true, QStringLiteral("文書: ") + caption);
        next.windows().form1->startWith({});
        platform.verify();
        const app::TForm1& restored = *next.windows().form1;
        EXPECT_EQ(restored.documentText(), c.offered);
        EXPECT_EQ(restored.documentName(), c.offered.isEmpty() ? base::kUntitledName : caption);
        EXPECT_EQ(restored.isModified(), !c.offered.isEmpty());
        EXPECT_EQ(restored.entryCount(), c.offered.count(u'@')); // the status bar counts what came back
        // Only the next run's files are left.
        const QString name = restored.recoveryFiles()->name();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files),
                  c.offered.isEmpty()
                      ? QStringList({name + QStringLiteral(".lock")})
                      : QStringList({name + QStringLiteral(".json"), name + QStringLiteral(".lock"),
                                     name + QStringLiteral(".txt")}));
    }
}

} // namespace
