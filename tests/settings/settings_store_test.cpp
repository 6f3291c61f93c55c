// The settings store: its place, the stored text, defaults for what is missing or unreadable, and a store
// that cannot be written.
#include "settings/settings_store.h"

#include "base/failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("Quorvik.conf")); }
    settings::SettingsStore store() const { return settings::SettingsStore::iniFile(file()); }
    settings::WindowSettings read() const {
        return settings::readWindowSettings(
            store(), {1, QStringLiteral("/start"), QStringLiteral("ＭＳ ゴシック"), 12});
    }

    QTemporaryDir dir;
};

TEST_F(SettingsStore, WritesReadableTextThatReadsBackAsWritten) {
    settings::writeWindowSettings(store(), {2, QStringLiteral("/home/山田/文献"), QStringLiteral("ＭＳ 明朝"),
                                            15, true, QRect(-5, 30, 640, 360)});
    // Characters an INI file quotes or escapes: commas, quotes, a leading "@", blanks at either end.
    const settings::RecentFileList list = {
        QStringLiteral("/x/R&D, 2024; \"final\".bib"), QStringLiteral("@home/a.bib"),
        QStringLiteral(" /lead and trail/ "), QStringLiteral("C:\\My Documents\\b.bib")};
    settings::writeRecentFiles(store(), list);
    QFile in(file());
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QString ini = QString::fromUtf8(in.readAll());
    for (const char* line :
         {"[Locate]\nCheckHeight=360\nCheckLeft=-5\nCheckTop=30\nCheckWidth=640\nState=2\n",
          "IniDir=/home/山田/文献\n", "Resume2=@@home/a.bib\n", "Resume5=\n",
          "[Option]\nFontName=ＭＳ 明朝\nFontSize=15\n"})
        EXPECT_TRUE(ini.contains(QString::fromUtf8(line))) << line << " in\n" << ini.toStdString();

    EXPECT_EQ(settings::readRecentFiles(store()), list);
    const settings::WindowSettings settings = read();
    EXPECT_EQ(settings.stateCode, 2);
    EXPECT_EQ(settings.lastDir, QStringLiteral("/home/山田/文献"));
    EXPECT_EQ(settings.fontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(settings.fontSize, 15);
    EXPECT_EQ(settings.checkWindow, QRect(-5, 30, 640, 360));
}

// The check window's place is four whole numbers or none; writing without one keeps the stored one.
TEST_F(SettingsStore, TheCheckWindowsPlaceIsAllFourValuesOrNone) {
    const struct {
        const char* ini;
        std::optional<QRect> place;
    } cases[] = {
        {"[Locate]\nCheckLeft=10\nCheckTop=20\nCheckWidth=300\nCheckHeight=200\n", QRect(10, 20, 300, 200)},
        {"[Locate]\nCheckLeft=10\nCheckTop=20\nCheckWidth=300\n", std::nullopt},
        {"[Locate]\nCheckLeft=10\nCheckTop=x\nCheckWidth=300\nCheckHeight=200\n", std::nullopt},
        {"[Locate]\nCheckLeft=10\nCheckTop=20\nCheckWidth=0\nCheckHeight=200\n", std::nullopt},
        {"[Locate]\nCheckLeft=10\nCheckTop=20\nCheckWidth=300\nCheckHeight=-1\n", std::nullopt},
        {"[Locate]\nCheckLeft=-4000\nCheckTop=20\nCheckWidth=300\nCheckHeight=200\n",
         QRect(-4000, 20, 300, 200)},
    };
    for (const auto& c : cases) {
        QFile out(file());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.ini);
        out.close();
        EXPECT_EQ(read().checkWindow, c.place) << c.ini;
        settings::writeWindowSettings(store(), {}); // no place of its own
        EXPECT_EQ(read().checkWindow, c.place) << c.ini;
    }
}

TEST_F(SettingsStore, WholeNumbersOnly) {
    for (const char* text : {"12", "0", "-3", "+7", "007", "2147483647"})
        EXPECT_EQ(settings::wholeNumber(QString::fromLatin1(text)), QString::fromLatin1(text).toInt())
            << text;
    for (const char* text : {"", "abc", "1.5", "12pt", " 12", "0x10", "１２", "2147483648", "-", "1e3"})
        EXPECT_EQ(settings::wholeNumber(QString::fromUtf8(text)), std::nullopt) << text;
}

TEST_F(SettingsStore, MissingOrUnreadableValuesGiveTheDefaults) {
    const struct {
        const char* ini; // nullptr: no file at all
        int stateCode, fontSize;
        const char *fontName, *resume1;
    } cases[] = {
        {nullptr, 1, 12, "ＭＳ ゴシック", ""},
        {"[Locate]\nState=abc\n[Option]\nFontSize=big\n", 1, 12, "ＭＳ ゴシック", ""},
        {"[Locate]\nState=7\n[Option]\nFontSize=1.5\n", 7, 12, "ＭＳ ゴシック", ""}, // the window ignores 7
        {"[Locate]\nState=3\n[Option]\nFontSize=0\n", 3, 12, "ＭＳ ゴシック", ""},   // no font is size 0
        {"[Locate]\nState= 2 \n[Option]\nFontSize=\"20\"\n", 2, 20, "ＭＳ ゴシック", ""},
        // Values of other kinds, as another program may write them: a list, bytes, a typed number.
        {"[Locate]\nState=1, 2\n[File]\nResume1=a,b\n[Option]\nFontName=x,y\nFontSize=@ByteArray(14)\n", 1,
         12, "ＭＳ ゴシック", ""},
        {"[Option]\nFontSize=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\xe)\n[File]\nResume1=@ByteArray(/a.bib)\n", 1,
         12, "ＭＳ ゴシック", ""},
        {"[Option]\nFontName=\n[File]\nResume1=\"a,b\"\n", 1, 12, "", "a,b"}, // an empty string is a string
        {"no INI file\n\x01\xff\n[locate]\nstate=2\n", 1, 12, "ＭＳ ゴシック", ""}, // names are exact
    };
    for (const auto& c : cases) {
        QFile::remove(file());
        if (c.ini) {
            QFile out(file());
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.ini);
        }
        const char* name = c.ini ? c.ini : "no file";
        const settings::WindowSettings settings = read();
        EXPECT_EQ(settings.stateCode, c.stateCode) << name;
        EXPECT_EQ(settings.fontSize, c.fontSize) << name;
        EXPECT_EQ(settings.fontName, QString::fromUtf8(c.fontName)) << name;
        EXPECT_EQ(settings.lastDir, QStringLiteral("/start")) << name;
        EXPECT_EQ(settings::readRecentFiles(store())[0], QString::fromUtf8(c.resume1)) << name;
        EXPECT_EQ(QFile::exists(file()), c.ini != nullptr) << name; // reading creates nothing
    }
}

TEST_F(SettingsStore, AStoreThatCannotBeWrittenIsAFailureNamingIt) {
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    // Nothing can be created inside a regular file, whoever runs the test.
    const QString inside = dir.filePath(QStringLiteral("plain/Quorvik.conf"));
    const settings::SettingsStore broken = settings::SettingsStore::iniFile(inside);
    try {
        settings::writeRecentFiles(broken, {QStringLiteral("/a.bib")});
        ADD_FAILURE() << "no failure";
    } catch (const base::Failure& failure) {
        EXPECT_EQ(failure.message(), QStringLiteral("設定ファイル %1 に書き込めません").arg(inside));
    }
    EXPECT_THROW(settings::writeWindowSettings(broken, {}), base::Failure);
    EXPECT_EQ(settings::readRecentFiles(broken), settings::RecentFileList{});
}

TEST_F(SettingsStore, TheUsersStoreFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const QString location = settings::SettingsStore::user().location();
    qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_EQ(location, file());
}

} // namespace
