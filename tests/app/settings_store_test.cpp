// The settings store: its place, the stored layout and text, defaults for what is missing or unreadable,
// and a store that cannot be written.
#include "app/settings_store.h"

#include "base/failure.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("Quorvik.conf")); }
    app::SettingsStore store() const { return app::SettingsStore::iniFile(file()); }
    // The store as another program or a hand edit left it.
    void writeText(const QByteArray& text) const {
        QFile out(file());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    QByteArray text() const {
        QFile in(file());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static app::WindowSettings defaults() {
        app::WindowSettings d;
        d.stateCode = 1;
        d.lastDir = QStringLiteral("/start");
        d.fontName = QStringLiteral("ＭＳ ゴシック");
        d.fontSize = 12;
        return d;
    }

    QTemporaryDir dir;
};

TEST_F(SettingsStore, FirstStartReadsTheDefaultsAndCreatesNothing) {
    const app::WindowSettings read = app::readWindowSettings(store(), defaults());
    EXPECT_EQ(read.stateCode, 1);
    EXPECT_EQ(read.lastDir, QStringLiteral("/start"));
    EXPECT_EQ(read.fontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(read.fontSize, 12);
    EXPECT_EQ(app::readRecentFiles(store()), app::RecentFileList{});
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(SettingsStore, WritesReadableTextWithTheSectionAndValueNames) {
    app::writeWindowSettings(store(),
                             {2, QStringLiteral("/home/山田/文献"), QStringLiteral("ＭＳ 明朝"), 15});
    app::writeRecentFiles(store(), {QStringLiteral("/home/山田/a.bib"), QStringLiteral("/b.bib")});
    const QString ini = QString::fromUtf8(text());
    for (const char* line : {"[Locate]\nState=2\n", "[File]\n", "IniDir=/home/山田/文献\n",
                             "Resume1=/home/山田/a.bib\n", "Resume2=/b.bib\n", "Resume3=\n", "Resume5=\n",
                             "[Option]\n", "FontName=ＭＳ 明朝\n", "FontSize=15\n"})
        EXPECT_TRUE(ini.contains(QString::fromUtf8(line))) << line << " in\n" << ini.toStdString();

    const app::WindowSettings read = app::readWindowSettings(store(), defaults());
    EXPECT_EQ(read.stateCode, 2);
    EXPECT_EQ(read.lastDir, QStringLiteral("/home/山田/文献"));
    EXPECT_EQ(read.fontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(read.fontSize, 15);
}

TEST_F(SettingsStore, AnyPathComesBackAsWritten) {
    // Characters the INI text quotes or escapes: commas, quotes, a leading "@", blanks at either end.
    const app::RecentFileList list = {QStringLiteral("/x/R&D, 2024; \"final\".bib"),
                                      QStringLiteral("@home/a.bib"), QStringLiteral(" /lead and trail/ "),
                                      QStringLiteral("C:\\My Documents\\b.bib"),
                                      QStringLiteral("/x/#=[a].bib")};
    app::writeRecentFiles(store(), list);
    EXPECT_EQ(app::readRecentFiles(store()), list);
}

TEST_F(SettingsStore, WholeNumbersOnly) {
    const struct {
        const char* text;
        std::optional<int> number;
    } cases[] = {
        {"12", 12},
        {"0", 0},
        {"-3", -3},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1.5", std::nullopt},
        {"12pt", std::nullopt},
        {" 12", std::nullopt},
        {"0x10", std::nullopt},
        {"１２", std::nullopt},
        {"2147483648", std::nullopt},
        {"-", std::nullopt},
        {"1 2", std::nullopt},
        {"1e3", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::wholeNumber(QString::fromUtf8(c.text)), c.number) << c.text;
}

TEST_F(SettingsStore, UnreadableValuesGiveTheDefaults) {
    const struct {
        const char* ini;
        int stateCode;
        int fontSize;
        const char* fontName;
        const char* resume1;
    } cases[] = {
        {"[Locate]\nState=abc\n[Option]\nFontSize=big\n", 1, 12, "ＭＳ ゴシック", ""},
        {"[Locate]\nState=7\n[Option]\nFontSize=1.5\n", 7, 12, "ＭＳ ゴシック",
         ""}, // 7 is read; the window ignores it
        {"[Locate]\nState=3\n[Option]\nFontSize=0\n", 3, 12, "ＭＳ ゴシック", ""}, // no font has no size
        {"[Locate]\nState= 2 \n[Option]\nFontSize=\"20\"\n", 2, 20, "ＭＳ ゴシック", ""},
        // Values of other kinds, as another program may write them: a list, bytes, a typed number.
        {"[Locate]\nState=1, 2\n[File]\nResume1=a,b\n[Option]\nFontName=x,y\nFontSize=@ByteArray(14)\n", 1,
         12, "ＭＳ ゴシック", ""},
        {"[Option]\nFontSize=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\xe)\n[File]\nResume1=@ByteArray(/a.bib)\n", 1,
         12, "ＭＳ ゴシック", ""},
        {"[Option]\nFontName=\n[File]\nResume1=\"a,b\"\n", 1, 12, "", "a,b"}, // an empty string is a string
        {"this is no INI file\n\x01\x02\xff", 1, 12, "ＭＳ ゴシック", ""},
        {"[locate]\nstate=2\n", 1, 12, "ＭＳ ゴシック", ""}, // names are exact
    };
    for (const auto& c : cases) {
        writeText(c.ini);
        const app::WindowSettings read = app::readWindowSettings(store(), defaults());
        EXPECT_EQ(read.stateCode, c.stateCode) << c.ini;
        EXPECT_EQ(read.fontSize, c.fontSize) << c.ini;
        EXPECT_EQ(read.fontName, QString::fromUtf8(c.fontName)) << c.ini;
        EXPECT_EQ(read.lastDir, QStringLiteral("/start")) << c.ini;
        EXPECT_EQ(app::readRecentFiles(store())[0], QString::fromUtf8(c.resume1)) << c.ini;
    }
}

TEST_F(SettingsStore, AStoreThatCannotBeWrittenIsAFailureNamingIt) {
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    // Nothing can be created inside a regular file, whoever runs the test.
    const QString inside = dir.filePath(QStringLiteral("plain/Quorvik.conf"));
    const app::SettingsStore broken = app::SettingsStore::iniFile(inside);
    try {
        app::writeRecentFiles(broken, {QStringLiteral("/a.bib")});
        ADD_FAILURE() << "no failure";
    } catch (const base::Failure& failure) {
        EXPECT_EQ(failure.message(), QStringLiteral("設定ファイル %1 に書き込めません").arg(inside));
    }
    EXPECT_THROW(app::writeWindowSettings(broken, defaults()), base::Failure);
    // Reading it gives the defaults.
    EXPECT_EQ(app::readRecentFiles(broken), app::RecentFileList{});
    EXPECT_EQ(app::readWindowSettings(broken, defaults()).lastDir, QStringLiteral("/start"));
}

TEST_F(SettingsStore, TheUsersStoreFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const QString location = app::SettingsStore::user().location();
    qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_EQ(location, file());
}

} // namespace
