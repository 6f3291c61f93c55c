// The document commands of the main window: New, Open, Save, Save As, open by path and the close
// request, with the save-changes prompt, the caption as document name and the modified flag.
#include "base/app_info.h"
#include "document/document_file.h"
#include "support/app_fixture.h"

#include "base/failure.h"

#include <QFileInfo>

using ui::SaveAnswer;

namespace {

const QString kUntitled = base::kUntitledName;
const QByteArray kSjisBib = QByteArray("@article{a,\r\n title = \"\x93\xfa\x96\x7b\",\r\n}\r\n"); // 日本

class DocumentCommands : public AppFixture {
protected:
    // Opens a file through the dialog.
    void open(const QString& filePath) {
        platform.expectOpenFile(filePath);
        form1().Open1Click();
        platform.verify();
        ASSERT_EQ(form1().documentName(), filePath);
    }
    QString text() { return form1().documentText(); }
};

TEST_F(DocumentCommands, StartsUntitledCleanAndEmpty) {
    EXPECT_EQ(form1().documentName(), kUntitled);
    EXPECT_FALSE(form1().isModified());
    EXPECT_TRUE(text().isEmpty());
    EXPECT_EQ(form1().lastDir(), QDir::currentPath());
    EXPECT_EQ(form1().openDialog().initialDir, QDir::currentPath());
    EXPECT_EQ(form1().saveDialog().initialDir, QDir::currentPath());
    EXPECT_EQ(editor().font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(editor().font().pointSize(), 12);
}

TEST_F(DocumentCommands, OpenLoadsTheFileCleanAndTitled) {
    const QString file = writeFile(QStringLiteral("refs.bib"), kSjisBib);
    open(file);
    EXPECT_EQ(text(), QStringLiteral("@article{a,\n title = \"日本\",\n}\n"));
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(form1().currentFile(), file);
    EXPECT_EQ(form1().lastDir(), dir.path());
    EXPECT_EQ(platform.busyDepth(), 0);
    EXPECT_EQ(platform.lastOpenDialog().filterIndex, 0);
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 1件"));
}

TEST_F(DocumentCommands, OpenMovesTheWorkingDirectoryToTheChosenFolder) {
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QString file = writeFile(QStringLiteral("sub/x.bib"), "x");
    open(file);
    EXPECT_EQ(QDir::currentPath(), dir.filePath(QStringLiteral("sub")));
    EXPECT_EQ(form1().lastDir(), dir.filePath(QStringLiteral("sub")));
}

TEST_F(DocumentCommands, CancelledOpenDialogStillRunsTheFinishingSteps) {
    const QString file = writeFile(QStringLiteral("a.bib"), "abc");
    open(file);
    type(QStringLiteral("!"));
    platform.expectSaveChanges(SaveAnswer::No).expectOpenFile(std::nullopt);
    form1().Open1Click();
    EXPECT_EQ(text(), QStringLiteral("abc!"));
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(form1().documentName(), file);
    EXPECT_EQ(form1().currentFile(), file); // the name the dialog remembers
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(DocumentCommands, OpenFailureReportsThePathAndPutsTheStateBack) {
    type(QStringLiteral("kept"));
    // A folder cannot be read as a file, whoever runs the test.
    QDir(dir.path()).mkdir(QStringLiteral("folder.bib"));
    const QString folder = path(QStringLiteral("folder.bib"));
    platform.expectSaveChanges(SaveAnswer::No)
        .expectOpenFile(folder)
        .expectError(QStringLiteral("ファイル %1 は開けません.").arg(folder));
    form1().Open1Click();
    EXPECT_EQ(text(), QStringLiteral("kept"));
    EXPECT_EQ(form1().documentName(), kUntitled);
    EXPECT_EQ(form1().windowTitle(), kUntitled);
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(form1().previousCaption(), kUntitled);
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(DocumentCommands, FileOpenFailureContinuesToTheCallerAfterTheFinishingSteps) {
    const QString file = writeFile(QStringLiteral("a.bib"), "abc");
    open(file);
    const QString missing = path(QStringLiteral("missing.bib"));
    EXPECT_THROW(form1().FileOpen(missing), base::Failure);
    EXPECT_EQ(form1().documentName(), file);
    EXPECT_EQ(text(), QStringLiteral("abc"));
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(form1().currentFile(), missing); // set after a failure too
    EXPECT_EQ(form1().openDialog().fileName, file);
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(DocumentCommands, FileOpenPointsBothDialogsAtTheFilesFolder) {
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QString file = writeFile(QStringLiteral("sub/b.bib"), "b");
    form1().FileOpen(file);
    EXPECT_EQ(form1().documentName(), file);
    EXPECT_EQ(form1().openDialog().fileName, file);
    EXPECT_EQ(form1().openDialog().initialDir,
              QDir::toNativeSeparators(dir.filePath(QStringLiteral("sub/"))));
    EXPECT_EQ(form1().saveDialog().initialDir, form1().openDialog().initialDir);
}

// `lorvane FILE`, as a file manager starts it.
TEST_F(DocumentCommands, AFileNamedOnTheCommandLineOpensAndOneThatCannotIsReported) {
    const QString file = writeFile(QStringLiteral("given.bib"), kSjisBib);
    form1().openFromCommandLine(QStringLiteral("given.bib")); // relative to the working directory
    EXPECT_EQ(form1().documentName(), file);
    EXPECT_EQ(text(), QStringLiteral("@article{a,\n title = \"日本\",\n}\n"));
    EXPECT_FALSE(form1().isModified());
    form1().New1Click();

    const QString missing = path(QStringLiteral("missing.bib"));
    platform.expectError(QStringLiteral("ファイル %1 は開けません.").arg(missing));
    form1().openFromCommandLine(missing);
    platform.verify();
    EXPECT_EQ(form1().documentName(), kUntitled);
    EXPECT_TRUE(text().isEmpty());
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(platform.busyDepth(), 0);
    // The program goes on with the untitled document.
    type(QStringLiteral("x"));
    EXPECT_TRUE(form1().isModified());
}

TEST_F(DocumentCommands, SaveWritesTitledDocumentAndClearsModified) {
    const QString file = writeFile(QStringLiteral("a.bib"), kSjisBib);
    open(file);
    type(QStringLiteral("% 追記\n"));
    form1().Save1Click();
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(readFile(file), kSjisBib + QByteArray("% \x92\xc7\x8b\x4c\r\n"));
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(DocumentCommands, SaveOfACleanTitledDocumentWritesNothing) {
    const QString file = writeFile(QStringLiteral("a.bib"), "abc");
    open(file);
    QFile::remove(file);
    form1().Save1Click();
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(DocumentCommands, SaveOfModifiedUntitledAsksForANameAndCancelWritesNothing) {
    type(QStringLiteral("abc"));
    platform.expectSaveFile(std::nullopt);
    form1().Save1Click();
    EXPECT_EQ(form1().documentName(), kUntitled);
    EXPECT_TRUE(form1().isModified());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(DocumentCommands, SaveAsOfACleanDocumentWritesUnderTheNewName) {
    const QString file = writeFile(QStringLiteral("a.bib"), "abc\r\n");
    open(file);
    const QString copy = path(QStringLiteral("copy.bib"));
    platform.expectSaveFile(copy);
    form1().SA1Click();
    EXPECT_EQ(form1().documentName(), copy);
    EXPECT_EQ(readFile(copy), QByteArray("abc\r\n"));
    EXPECT_EQ(form1().currentFile(), copy);
}

TEST_F(DocumentCommands, SaveFailureKeepsTheCaptionAndReportsTheFile) {
    type(QStringLiteral("abc"));
    writeFile(QStringLiteral("plain"), "x");
    // A file cannot be created inside a regular file.
    const QString target = path(QStringLiteral("plain/new.bib"));
    platform.expectSaveFile(target).expectError(QStringLiteral("ファイル %1 を作成できません.").arg(target));
    form1().SA1Click();
    EXPECT_EQ(form1().documentName(), target); // the newly chosen name stays
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(DocumentCommands, FailedSaveLeavesTheOldFileWhole) {
    // A name at the length limit leaves no room for the temporary file that replaces the document
    // atomically, so the save fails before the old file is touched, whoever runs the test.
    const QString file = writeFile(QString(250, u'n') + QStringLiteral(".bib"), "old contents");
    open(file);
    type(QStringLiteral(" and more"));
    platform.expectError(QStringLiteral("ファイル %1 を作成できません.").arg(file));
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("old contents"));
    EXPECT_TRUE(form1().isModified());
    EXPECT_EQ(form1().documentName(), file);
}

TEST_F(DocumentCommands, NewClearsTheDocumentAndKeepsTheDialogs) {
    const QString file = writeFile(QStringLiteral("a.bib"), "@book{x,\r\n}\r\n");
    open(file);
    form1().New1Click();
    EXPECT_TRUE(text().isEmpty());
    EXPECT_EQ(form1().documentName(), kUntitled);
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(form1().openDialog().fileName, file);
    EXPECT_EQ(statusText(), QStringLiteral("文献数： 0件"));
}

// The save-changes prompt, answered every way, in every command that asks it.
enum class Command { New, Open, Close };
struct PromptCase {
    Command command;
    SaveAnswer answer;
    bool saveSucceeds; // with Yes: the save dialog is confirmed (or cancelled)
    bool goesOn;       // the command runs to its end
};

class SaveChangesPrompt : public DocumentCommands, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(SaveChangesPrompt, DecidesWhetherTheCommandGoesOn) {
    const PromptCase c = GetParam();
    const QString other = writeFile(QStringLiteral("other.bib"), "other");
    const QString saved = path(QStringLiteral("saved.bib"));
    type(QStringLiteral("work"));
    platform.expectSaveChanges(c.answer);
    if (c.answer == SaveAnswer::Yes)
        platform.expectSaveFile(c.saveSucceeds ? std::optional<QString>(saved) : std::nullopt);
    if (c.goesOn && c.command == Command::Open) platform.expectOpenFile(other);

    bool closes = false;
    switch (c.command) {
    case Command::New:
        form1().New1Click();
        break;
    case Command::Open:
        form1().Open1Click();
        break;
    case Command::Close:
        closes = true;
        form1().FormCloseQuery(closes);
        break;
    }
    platform.verify();

    if (c.answer == SaveAnswer::Yes && c.saveSucceeds) {
        EXPECT_EQ(readFile(saved), QByteArray("work"));
    }
    if (c.command == Command::Close) {
        EXPECT_EQ(closes, c.goesOn);
        EXPECT_EQ(text(), QStringLiteral("work"));
    } else if (c.goesOn) {
        EXPECT_EQ(text(), c.command == Command::New ? QString() : QStringLiteral("other"));
        EXPECT_FALSE(form1().isModified());
    } else {
        EXPECT_EQ(text(), QStringLiteral("work"));
        EXPECT_TRUE(form1().isModified());
    }
    EXPECT_EQ(platform.busyDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, SaveChangesPrompt,
                         ::testing::Values(PromptCase{Command::New, SaveAnswer::Cancel, false, false},
                                           PromptCase{Command::New, SaveAnswer::No, false, true},
                                           PromptCase{Command::New, SaveAnswer::Yes, true, true},
                                           PromptCase{Command::New, SaveAnswer::Yes, false, false},
                                           PromptCase{Command::Open, SaveAnswer::Cancel, false, false},
                                           PromptCase{Command::Open, SaveAnswer::No, false, true},
                                           PromptCase{Command::Open, SaveAnswer::Yes, true, true},
                                           PromptCase{Command::Open, SaveAnswer::Yes, false, false},
                                           PromptCase{Command::Close, SaveAnswer::Cancel, false, false},
                                           PromptCase{Command::Close, SaveAnswer::No, false, true},
                                           PromptCase{Command::Close, SaveAnswer::Yes, true, true},
                                           PromptCase{Command::Close, SaveAnswer::Yes, false, false}));

TEST_F(DocumentCommands, SaveFailureInsidePromptEndsTheCommand) {
    type(QStringLiteral("work"));
    writeFile(QStringLiteral("plain"), "x");
    const QString target = path(QStringLiteral("plain/new.bib"));
    platform.expectSaveChanges(SaveAnswer::Yes)
        .expectSaveFile(target)
        .expectError(QStringLiteral("ファイル %1 を作成できません.").arg(target));
    form1().show();
    EXPECT_FALSE(form1().close());
    EXPECT_TRUE(form1().isVisible());
    EXPECT_EQ(text(), QStringLiteral("work"));
}

TEST_F(DocumentCommands, SaveFailureInsidePromptLeavesNewAndOpenUndone) {
    type(QStringLiteral("work"));
    writeFile(QStringLiteral("plain"), "x");
    const QString target = path(QStringLiteral("plain/new.bib"));
    const QString error = QStringLiteral("ファイル %1 を作成できません.").arg(target);
    platform.expectSaveChanges(SaveAnswer::Yes).expectSaveFile(target).expectError(error);
    form1().New1Click();
    // The failed Save As left the new name as caption; Save now writes there and fails again.
    platform.expectSaveChanges(SaveAnswer::Yes).expectError(error);
    form1().Open1Click(); // no open dialog follows
    EXPECT_EQ(text(), QStringLiteral("work"));
    EXPECT_TRUE(form1().isModified());
}

TEST_F(DocumentCommands, DecliningUtf8InsidePromptKeepsTheText) {
    type(QStringLiteral("emoji 😀"));
    const QString target = path(QStringLiteral("new.bib"));
    platform.expectSaveChanges(SaveAnswer::Yes).expectSaveFile(target).expectYesNo(false);
    form1().New1Click();
    EXPECT_EQ(text(), QStringLiteral("emoji 😀"));
    EXPECT_TRUE(form1().isModified());
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(DocumentCommands, CleanDocumentClosesWithoutAQuestion) {
    form1().show();
    EXPECT_TRUE(form1().close());
}

TEST_F(DocumentCommands, UnencodableCharacterIsNeverWrittenAsAQuestionMark) {
    const QString file = writeFile(QStringLiteral("a.bib"), "abc");
    open(file);
    // 👍 is D83D DC4D: its second half lies among the stand-ins of bytes, yet it is one character typed.
    type(QStringLiteral("ü😀👍"));
    platform.expectYesNo(false, QStringLiteral("ü😀👍"));
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("abc"));
    EXPECT_TRUE(form1().isModified());

    platform.expectYesNo(true);
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("abc\xc3\xbc\xf0\x9f\x98\x80\xf0\x9f\x91\x8d"));
    EXPECT_FALSE(form1().isModified());
    EXPECT_EQ(form1().document().format().text.encoding, text::Encoding::Utf8);
}

TEST_F(DocumentCommands, UnreadableBytesAreAnnouncedShownAndKept) {
    // 0x85 0x40 is no CP932 character, nor UTF-8.
    const QString file = writeFile(QStringLiteral("bad.bib"), QByteArray("a\x85\x40z\x80\r\n"));
    platform.expectOpenFile(file).expectMessageContaining(QStringLiteral("読めないバイトが 1 個"));
    form1().Open1Click();
    EXPECT_EQ(text(), QStringLiteral("a") + QChar(text::standInFor(0x85)) + QStringLiteral("@z\u0080\n"));
    type(QStringLiteral("b"));
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("a\x85\x40z\x80\r\nb"));
}

TEST_F(DocumentCommands, LinesJoinedEndAsTheLastOfThemDid) {
    // Deleting a line break keeps the end of the line taken in: "a" CR LF "b" LF joined is "ab" LF.
    const QString file = writeFile(QStringLiteral("mixed.bib"), QByteArray("a\r\nb\nc\nd\r\ne\r\n"));
    open(file);
    edit(store().lineLength(0), 1, QString());                        // a + b
    edit(store().lineStart(1) + store().lineLength(1), 1, QString()); // c + d
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("ab\ncd\r\ne\r\n"));
}

TEST_F(DocumentCommands, EachLineKeepsItsOwnLineEnd) {
    const QString file = writeFile(QStringLiteral("mixed.bib"), QByteArray("a\r\nb\nc\rd\r\n"));
    open(file);
    // A line break typed inside a line takes that line's end; so does a line added after it.
    edit(store().lineStart(1), 0, QStringLiteral("x\ny"));
    edit(store().lineStart(2) + store().lineLength(2), 0, QStringLiteral("\nz"));
    type(QStringLiteral("e"));
    form1().Save1Click();
    EXPECT_EQ(readFile(file), QByteArray("a\r\nx\nyb\nz\nc\rd\r\ne"));
}

TEST_F(DocumentCommands, EucJpAndSevenBitJisDocuments) {
    // A character EUC-JP cannot hold: the same question as for Shift-JIS, naming the encoding.
    const QString euc = writeFile(QStringLiteral("euc.bib"), QByteArray("\xC6\xFC\xCB\xDC\r\n"));
    open(euc);
    EXPECT_EQ(text(), QStringLiteral("日本\n"));
    type(QStringLiteral("ｱ😀"));
    platform.expectYesNo(false, QStringLiteral("EUC-JP で保存できない文字があります: 😀"));
    form1().Save1Click();
    EXPECT_EQ(readFile(euc), QByteArray("\xC6\xFC\xCB\xDC\r\n"));
    edit(store().size() - 2, 2, QString()); // the surrogate pair of 😀
    form1().Save1Click();
    EXPECT_EQ(readFile(euc), QByteArray("\xC6\xFC\xCB\xDC\r\n\x8E\xB1"));
    // 7-bit JIS that saving would write otherwise is announced on opening.
    const QString jis = writeFile(QStringLiteral("jis.bib"), QByteArray("\x1B$BF|\n\x1B(B"));
    platform.expectOpenFile(jis).expectMessageContaining(QStringLiteral("ISO-2022-JP の珍しい書き方"));
    form1().Open1Click();
    EXPECT_EQ(text(), QStringLiteral("日\n"));
}

TEST_F(DocumentCommands, BothFormsOfOneCharacterAreAnnouncedOnOpen) {
    const QString file = writeFile(QStringLiteral("forms.bib"), QByteArray("\xED\x40\xFA\x5C"));
    platform.expectOpenFile(file).expectMessageContaining(
        QStringLiteral("1 文字がもう一方の書き方にそろいます"));
    form1().Open1Click();
    EXPECT_EQ(text(), QStringLiteral("纊纊"));
}

// Unedited open + save gives back the same bytes in every layout the editor reads.
class RoundTrip : public DocumentCommands, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(RoundTrip, OpenThenSaveAsGivesTheSameBytes) {
    const QString file = writeFile(QStringLiteral("in.bib"), GetParam());
    // Bytes that are no character are announced on opening, and kept.
    const QString warning = document::openWarning(file, document::loadDocumentFile(file));
    platform.expectOpenFile(file);
    if (!warning.isEmpty()) platform.expectMessage(warning);
    form1().Open1Click();
    const QString copy = path(QStringLiteral("out.bib"));
    platform.expectSaveFile(copy);
    form1().SA1Click();
    EXPECT_EQ(readFile(copy).toHex(' '), GetParam().toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    EveryLayout, RoundTrip,
    ::testing::Values(QByteArray("@book{k,\r\n title = \"\x93\xfa\x96\x7b\",\r\n}\r\n\r\n"), // CP932, CR LF
                      QByteArray("\x93\xfa\x96\x7b\n\xb1\xb2\n"),       // CP932, LF, kana
                      QByteArray("\x93\xfa\x96\x7b\r\nno final break"), // no final break
                      QByteArray("\xed\x40\xed\x40\r\n"), // an NEC-selected form kept as written
                      QByteArray("\xef\xbb\xbf\xe6\x97\xa5\xe6\x9c\xac\r\n"), // UTF-8 with BOM
                      QByteArray("\xe6\x97\xa5\xe6\x9c\xac\nx"),              // UTF-8, LF, no final break
                      QByteArray("a\xc2\xa0z\xe2\x80\xa8q\n"),    // no-break space, line separator
                      QByteArray("a\r\nb\nc\rd\xe2\x80\xa9\r\n"), // every line its own line end
                      QByteArray("x\x85\x40\x80\xa0\xfd\r\n"),    // CP932 bytes that are no character
                      QByteArray("caf\xe9 \xc3\xa9\r\n"),         // UTF-8 with a Latin-1 byte
                      QByteArray("a\0b\r\n\0\x1a", 7),            // NUL bytes and a Ctrl+Z
                      QByteArray(""), QByteArray("ascii only\n")));

} // namespace

namespace {

// The document state table: every command from each of the four states.
enum class Start { UntitledClean, UntitledModified, TitledClean, TitledModified };
enum class Act { New, Open, Save, SaveAs, Close };

class StateTable : public DocumentCommands, public ::testing::WithParamInterface<std::tuple<Start, Act>> {};

TEST_P(StateTable, EachCommandLeavesTheDocumentInItsState) {
    const auto [start, act] = GetParam();
    const bool titled = start == Start::TitledClean || start == Start::TitledModified;
    const bool modified = start == Start::UntitledModified || start == Start::TitledModified;
    const QString own = writeFile(QStringLiteral("own.bib"), "own");
    const QString other = writeFile(QStringLiteral("other.bib"), "other");
    const QString saved = path(QStringLiteral("saved.bib"));
    if (titled) open(own);
    if (modified) type(QStringLiteral("+"));
    const QString textBefore = text();

    // Only a modified document asks; No lets every command go on without saving.
    if (modified && (act == Act::New || act == Act::Open || act == Act::Close))
        platform.expectSaveChanges(SaveAnswer::No);
    QString caption = titled ? own : kUntitled;
    bool stillModified = modified;
    QString expectedText = textBefore;
    switch (act) {
    case Act::New:
        form1().New1Click();
        caption = kUntitled, stillModified = false, expectedText.clear();
        break;
    case Act::Open:
        platform.expectOpenFile(other);
        form1().Open1Click();
        caption = other, stillModified = false, expectedText = QStringLiteral("other");
        break;
    case Act::Save:
        if (modified && !titled) platform.expectSaveFile(saved), caption = saved;
        form1().Save1Click();
        stillModified = false;
        break;
    case Act::SaveAs:
        platform.expectSaveFile(saved);
        form1().SA1Click();
        caption = saved, stillModified = false;
        break;
    case Act::Close: {
        bool closes = true;
        form1().FormCloseQuery(closes);
        EXPECT_TRUE(closes);
        break;
    }
    }
    platform.verify();
    EXPECT_EQ(form1().documentName(), caption);
    EXPECT_EQ(form1().windowTitle(), caption); // the caption shown follows the document's path
    EXPECT_EQ(form1().isModified(), stillModified);
    EXPECT_EQ(text(), expectedText);
    EXPECT_EQ(readFile(own), QByteArray(act == Act::Save && titled && modified ? "own+" : "own"));
    if (caption == saved) {
        EXPECT_EQ(readFile(saved), textBefore.toUtf8());
    }
    EXPECT_EQ(platform.busyDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryStateAndCommand, StateTable,
                         ::testing::Combine(::testing::Values(Start::UntitledClean, Start::UntitledModified,
                                                              Start::TitledClean, Start::TitledModified),
                                            ::testing::Values(Act::New, Act::Open, Act::Save, Act::SaveAs,
                                                              Act::Close)));

} // namespace
