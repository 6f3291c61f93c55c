// The user list file: sections, the line rule, the file itself and the sample that ships with the program.
#include "entry/user_list.h"
#include "text/text_file.h"

#include "base/failure.h"

#include "support/app_fixture.h"
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SectionCase {
    const char* name;
    const char16_t* text;
    const char16_t* section;
    QStringList expected;
};

QString s(const char16_t* text) {
    return QString::fromUtf16(text);
}

class ReadSection : public ::testing::TestWithParam<SectionCase> {};

TEST_P(ReadSection, Entries) {
    const SectionCase& c = GetParam();
    EXPECT_EQ(entry::readSection(s(c.text), s(c.section)), c.expected);
}

const SectionCase kSectionCases[] = {
    {"CaseOfBeginAndEndIgnored",
     u"@BEGIN{JOURNAL}\r\nB\r\nA\r\nC\r\n@End{journal}\r\n",
     u"Journal",
     {s(u"B"), s(u"A"), s(u"C")}},
    {"BlankAfterBeginPreventsIt", u"@begin{Journal} \r\nA\r\n@end{Journal}\r\n", u"Journal", {}},
    {"IndentedBeginRecognised", u"  \t@begin{Journal}\r\nA\r\n@end{Journal}\r\n", u"Journal", {s(u"A")}},
    {"BlankLinesVanishLeadingBlanksDropTrailingStay",
     u"@begin{Journal}\r\nA\r\n\r\n   \r\n  B\r\nC  \r\n@end{Journal}\r\n",
     u"Journal",
     {s(u"A"), s(u"B"), s(u"C  ")}},
    {"FullWidthSpaceIsNoBlank", u"@begin{Journal}\r\n　A\r\n@end{Journal}\r\n", u"Journal", {s(u"　A")}},
    {"EmptySectionThenOutside", u"@begin{Journal}\r\n@end{Journal}\r\nA\r\n", u"Journal", {}},
    {"UnclosedSectionRunsToTheEnd",
     u"x\r\n@begin{Journal}\r\nA\r\n@end{Publisher}\r\nB",
     u"Journal",
     {s(u"A"), s(u"@end{Publisher}"), s(u"B")}},
    {"SectionsOfOneNameAddUp",
     u"@begin{Journal}\r\nA\r\n@end{Journal}\r\nnote\r\n@begin{journal}\r\nB\r\n@end{Journal}\r\n",
     u"Journal",
     {s(u"A"), s(u"B")}},
    {"OtherBeginInsideIsAnEntry",
     u"@begin{Journal}\r\nA\r\n@begin{Publisher}\r\n@begin{Journal}\r\nP\r\n@end{Journal}\r\nQ\r\n@end{"
     u"Publisher}\r\n",
     u"Journal",
     {s(u"A"), s(u"@begin{Publisher}"), s(u"@begin{Journal}"), s(u"P")}},
    {"BeginInsideAnotherSectionOpensItsOwn",
     u"@begin{Journal}\r\nA\r\n@begin{Publisher}\r\n@begin{Journal}\r\nP\r\n@end{Journal}\r\nQ\r\n@end{"
     u"Publisher}\r\n",
     u"Publisher",
     {s(u"@begin{Journal}"), s(u"P"), s(u"@end{Journal}"), s(u"Q")}},
    {"NoSectionOfTheName", u"@begin{Publisher}\r\nA\r\n@end{Publisher}\r\n", u"Journal", {}},
    // Files written on Linux read line by line.
    {"LfAloneEndsLines", u"@begin{Journal}\nA\nB\n@end{Journal}\n", u"Journal", {s(u"A"), s(u"B")}},
    {"CrAloneEndsLines", u"@begin{Journal}\rA\r@end{Journal}\rB\r", u"Journal", {s(u"A")}},
    {"CtrlZBeforeTheSection", u"\x1a\r\n@begin{Journal}\r\nA\r\n@end{Journal}\r\n", u"Journal", {}},
    {"CtrlZEndsTheFile", u"@begin{Journal}\r\nA\r\nB\x1a\r\nC\r\n", u"Journal", {s(u"A"), s(u"B")}},
};

INSTANTIATE_TEST_SUITE_P(Rules, ReadSection, ::testing::ValuesIn(kSectionCases),
                         [](const auto& info) { return std::string(info.param.name); });

class UserListFile : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) {
        const QString path = entry::userListPath(dir_.path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(UserListFile, MissingFileGivesNoEntriesAndNoFailure) {
    EXPECT_TRUE(entry::readSectionFromFile(entry::userListPath(dir_.path()), u"Journal").isEmpty());
}

TEST_F(UserListFile, Utf8File) {
    const QString path =
        write(QStringLiteral("@begin{Publisher}\r\n岩波書店\r\n@end{Publisher}\r\n").toUtf8());
    EXPECT_EQ(entry::readSectionFromFile(path, u"Publisher"), QStringList{QStringLiteral("岩波書店")});
}

TEST_F(UserListFile, EucJpAndSevenBitJisFiles) {
    // 情報処理学会論文誌 in EUC-JP, and 岩波書店 in 7-bit JIS: detected as a document's encoding is.
    EXPECT_EQ(entry::readSectionFromFile(write("@begin{Journal}\n\xBE\xF0\xCA\xF3\xBD\xE8\xCD\xFD\xB3\xD8"
                                               "\xB2\xF1\xCF\xC0\xCA\xB8\xBB\xEF\n@end{Journal}\n"),
                                         u"Journal"),
              QStringList{QStringLiteral("情報処理学会論文誌")});
    EXPECT_EQ(entry::readSectionFromFile(write("@begin{Publisher}\n\x1B$B4dGH=qE9\x1B(B\n@end{Publisher}\n"),
                                         u"Publisher"),
              QStringList{QStringLiteral("岩波書店")});
}

TEST_F(UserListFile, Cp932File) {
    QStringEncoder cp932("windows-31j");
    ASSERT_TRUE(cp932.isValid());
    const QByteArray bytes =
        cp932.encode(QStringLiteral("@begin{Journal}\r\n情報処理学会論文誌\r\n①\r\n@end{Journal}\r\n"));
    const QString path = write(bytes);
    EXPECT_EQ(entry::readSectionFromFile(path, u"Journal"),
              (QStringList{QStringLiteral("情報処理学会論文誌"), QStringLiteral("①")}));
}

TEST_F(UserListFile, UnreadableFileFails) {
    const QString path = dir_.filePath(QStringLiteral("unreadable.dat"));
    if (!makeUnreadableFile(path)) GTEST_SKIP() << "no unreadable file on this system";
    EXPECT_THROW(entry::readSectionFromFile(path, u"Journal"), base::Failure);
}

TEST(UserListPath, BesideTheProgram) {
    EXPECT_EQ(entry::userListPath(QStringLiteral("/opt/lorvane/bin")),
              QStringLiteral("/opt/lorvane/bin/user.dat"));
    EXPECT_EQ(entry::userListPath(QStringLiteral("/opt/lorvane/bin/")),
              QStringLiteral("/opt/lorvane/bin/user.dat"));
}

// Which user.dat the editor reads, by which of the three exist: the user's own, the one beside the
// program, the shared sample.
struct LookUpCase {
    const char* name;
    bool own, beside, shared;
    const char* chosen;
};

class FindUserList : public ::testing::TestWithParam<LookUpCase> {};

TEST_P(FindUserList, TheUsersOwnThenBesideTheProgramThenTheSharedSample) {
    const LookUpCase& c = GetParam();
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config")),
                  program = dir.filePath(QStringLiteral("bin")),
                  shared = dir.filePath(QStringLiteral("share"));
    const QString own = config + QStringLiteral("/Quorvik");
    const QList<std::pair<bool, QString>> folders = {{c.own, own}, {c.beside, program}, {c.shared, shared}};
    for (const auto& [exists, folder] : folders) {
        if (!exists) continue;
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile file(entry::userListPath(folder));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString chosen = QString::fromLatin1(c.chosen);
    EXPECT_EQ(entry::findUserList(config, program, shared),
              entry::userListPath(chosen == u"own"      ? own
                                  : chosen == u"beside" ? program
                                                        : shared));
}

const LookUpCase kLookUpCases[] = {
    {"AllThree", true, true, true, "own"},
    {"OwnAlone", true, false, false, "own"},
    {"BesideAndShared", false, true, true, "beside"},
    {"SharedAlone", false, false, true, "shared"},
    // Reading a missing shared sample gives empty lists, as a missing file always does.
    {"None", false, false, false, "shared"},
};

INSTANTIATE_TEST_SUITE_P(Places, FindUserList, ::testing::ValuesIn(kLookUpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShippedUserList, HasJournalsAndPublishers) {
    const QString path = QStringLiteral(LORVANE_SOURCE_DIR "/data/user.dat");
    ASSERT_TRUE(QFile::exists(path));
    // Kept the way the program's users keep it: Shift-JIS with CR LF.
    const text::DecodedText file = text::readTextFile(path);
    EXPECT_EQ(file.format.encoding, text::Encoding::Cp932);
    EXPECT_EQ(file.format.lineBreak, text::LineBreak::CrLf);
    EXPECT_TRUE(file.lineEnds.isEmpty());
    const QStringList journals = entry::readSectionFromFile(path, u"Journal");
    const QStringList publishers = entry::readSectionFromFile(path, u"Publisher");
    EXPECT_GE(journals.size(), 20);
    EXPECT_GE(publishers.size(), 20);
    EXPECT_TRUE(journals.contains(QStringLiteral("情報処理学会論文誌")));
    EXPECT_TRUE(publishers.contains(QStringLiteral("岩波書店")));
    for (const QString& entry : journals + publishers) {
        EXPECT_FALSE(entry.startsWith(u'@')) << entry.toStdString(); // a marker line read as an entry
        EXPECT_FALSE(entry.endsWith(u' ')) << entry.toStdString();
    }
}

} // namespace
