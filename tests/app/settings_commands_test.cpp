// The main window's settings and recent-file list: read at creation, written at every close request,
// the recent-file update after Open and Save, and the five recent-file commands.
#include "settings/settings_store.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTest>

using ui::SaveAnswer;

namespace {

class SettingsCommands : public AppFixture {
protected:
    QAction* item(int k) {
        QAction* action = form1().findChild<QAction*>(u'N' + QString::number(k) + u'1');
        EXPECT_NE(action, nullptr) << k;
        return action;
    }
    QStringList captions() {
        QStringList out;
        for (int k = 1; k <= 5; ++k)
            out << item(k)->text();
        return out;
    }
    QList<bool> enabled() {
        QList<bool> out;
        for (int k = 1; k <= 5; ++k)
            out << item(k)->isEnabled();
        return out;
    }
    // Writes values into the store as a previous run or a hand edit left them, then starts again.
    void startWith(std::initializer_list<std::pair<const char*, QString>> values) {
        program.reset();
        QFile::remove(settings.location());
        settings::SettingsBatch batch(settings);
        for (const auto& [key, value] : values)
            batch.write(QString::fromLatin1(key), value);
        batch.close();
        restart();
    }
    QString stored(const char* key) {
        return settings::SettingsBatch(settings).readString(QString::fromLatin1(key),
                                                            QStringLiteral("<none>"));
    }
    settings::RecentFileList storedList() { return settings::readRecentFiles(settings); }
    // A file of the temporary folder, opened through the open dialog.
    QString open(const QString& name) {
        const QString file = QFileInfo::exists(path(name)) ? path(name) : writeFile(name, name.toUtf8());
        platform.expectOpenFile(file);
        form1().Open1Click();
        platform.verify();
        return file;
    }
    bool closeRequest() {
        bool canClose = true;
        form1().FormCloseQuery(canClose);
        return canClose;
    }
};

TEST_F(SettingsCommands, StoredStateCodeSetsTheWindowAtCreation) {
    const struct {
        const char* code;
        Qt::WindowStates state;
    } cases[] = {
        {"1", Qt::WindowNoState}, {"2", Qt::WindowMaximized}, {"3", Qt::WindowMinimized},
        {"7", Qt::WindowNoState}, {"two", Qt::WindowNoState}, {"", Qt::WindowNoState},
    };
    for (const auto& c : cases) {
        startWith({{"Locate/State", QString::fromLatin1(c.code)}});
        program->show();
        EXPECT_EQ(form1().windowState(), c.state) << c.code;
    }
}

TEST_F(SettingsCommands, StoredFontAndFolderComeBack) {
    const QString folder = path(QStringLiteral("refs"));
    const struct {
        const char* size;
        int pointSize;
    } cases[] = {{"20", 20}, {"big", 12}};
    for (const auto& c : cases) {
        startWith({{"File/IniDir", folder},
                   {"Option/FontName", QStringLiteral("IPAゴシック")},
                   {"Option/FontSize", QString::fromLatin1(c.size)}});
        EXPECT_EQ(form1().lastDir(), folder);
        EXPECT_EQ(form1().openDialog().initialDir, folder);
        EXPECT_EQ(form1().saveDialog().initialDir, folder);
        EXPECT_EQ(editor().font().family(), QStringLiteral("IPAゴシック"));
        EXPECT_EQ(editor().font().pointSize(), c.pointSize) << c.size;
        EXPECT_EQ(form1().findChild<QComboBox*>(u"ComboBox1"_qs)->currentText(),
                  QStringLiteral("IPAゴシック"));
        EXPECT_EQ(form1().findChild<QComboBox*>(u"ComboBox2"_qs)->currentText(),
                  QString::number(c.pointSize));
    }
}

TEST_F(SettingsCommands, EveryCloseRequestARefusedOneIncludedWritesTheStateFolderAndFont) {
    const struct {
        Qt::WindowStates state;
        const char* code;
    } cases[] = {{Qt::WindowNoState, "1"},
                 {Qt::WindowMaximized, "2"},
                 {Qt::WindowMinimized, "3"},
                 {Qt::WindowMinimized | Qt::WindowMaximized, "3"}};
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    open(QStringLiteral("sub/a.bib")); // LastDir becomes the folder of the file
    QFont font(QStringLiteral("IPAゴシック"));
    font.setPointSize(15);
    editor().setFont(font);
    for (const auto& c : cases) {
        form1().setWindowState(c.state);
        EXPECT_TRUE(closeRequest());
        EXPECT_EQ(stored("Locate/State"), QString::fromLatin1(c.code));
    }
    EXPECT_EQ(stored("File/IniDir"), path(QStringLiteral("sub")));
    EXPECT_EQ(stored("Option/FontName"), QStringLiteral("IPAゴシック"));
    EXPECT_EQ(stored("Option/FontSize"), QStringLiteral("15"));

    type(QStringLiteral("x"));
    form1().setWindowState(Qt::WindowMaximized);
    platform.expectSaveChanges(SaveAnswer::Cancel);
    EXPECT_FALSE(closeRequest());
    EXPECT_EQ(stored("Locate/State"), QStringLiteral("2"));
}

TEST_F(SettingsCommands, FiveFilesAndThenASixthAreListedAgainAfterARestart) {
    QStringList files;
    for (int i = 1; i <= 6; ++i)
        files.prepend(open(QStringLiteral("%1.bib").arg(i)));
    const QStringList expected = {u"&1"_qs + files[0], u"&2"_qs + files[1], u"&3"_qs + files[2],
                                  u"&4"_qs + files[3], u"&5"_qs + files[4]};
    EXPECT_EQ(captions(), expected);
    EXPECT_EQ(enabled(), QList<bool>(5, true));
    form1().show();
    EXPECT_TRUE(form1().close());
    restart();
    EXPECT_EQ(captions(), expected);
    EXPECT_EQ(enabled(), QList<bool>(5, true));
    EXPECT_EQ(form1().recentFiles()[0], files[0]);
}

TEST_F(SettingsCommands, EachRecentItemOpensItsFileAndMovesItToTheFront) {
    QStringList files;
    for (const char* name : {"a.bib", "b.bib", "c.bib", "d.bib", "e.bib"})
        files << writeFile(QString::fromLatin1(name), QByteArray(name));
    const struct {
        int k;
        const char* order; // the list afterwards, as letters of the files
    } cases[] = {{1, "abcde"}, {2, "bacde"}, {3, "cabde"}, {4, "dabce"}, {5, "eabcd"}};
    for (const auto& c : cases) {
        startWith({{"File/Resume1", files[0]},
                   {"File/Resume2", files[1]},
                   {"File/Resume3", files[2]},
                   {"File/Resume4", files[3]},
                   {"File/Resume5", files[4]}});
        item(c.k)->trigger();
        EXPECT_EQ(form1().documentName(), files[c.k - 1]);
        EXPECT_EQ(form1().documentText(), QFileInfo(files[c.k - 1]).fileName());
        settings::RecentFileList expected;
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] = path(QChar::fromLatin1(c.order[i]) + u".bib"_qs);
        EXPECT_EQ(storedList(), expected) << c.k;
        EXPECT_EQ(form1().recentFiles(), expected) << c.k;
        EXPECT_EQ(item(1)->text(), u"&1"_qs + files[c.k - 1]);
    }
}

TEST_F(SettingsCommands, RecentItemAsksToSaveFirstAndOpensTheFileItShowed) {
    const QString a = open(QStringLiteral("a.bib"));
    const QString b = open(QStringLiteral("b.bib"));
    form1().New1Click();
    type(QStringLiteral("draft"));
    // Cancel: nothing happens.
    platform.expectSaveChanges(SaveAnswer::Cancel);
    form1().N21Click();
    EXPECT_EQ(form1().documentText(), QStringLiteral("draft"));
    EXPECT_EQ(storedList()[0], b);
    // Yes: the draft is saved under a new name, which moves to the front; item 2 still opens a.bib,
    // the file it showed when it was chosen.
    const QString draft = path(QStringLiteral("draft.bib"));
    platform.expectSaveChanges(SaveAnswer::Yes).expectSaveFile(draft);
    form1().N21Click();
    EXPECT_EQ(readFile(draft), QByteArray("draft"));
    EXPECT_EQ(form1().documentName(), a);
    EXPECT_EQ(storedList(), (settings::RecentFileList{a, draft, b}));
}

TEST_F(SettingsCommands, AFileThatCannotBeOpenedKeepsItsPlace) {
    const QString a = writeFile(QStringLiteral("a.bib"), "a");
    const QString gone = path(QStringLiteral("gone.bib"));
    startWith({{"File/Resume1", a}, {"File/Resume2", gone}});
    form1().N11Click();
    platform.expectError(QStringLiteral("ファイル %1 は開けません.").arg(gone));
    form1().N21Click();
    platform.verify();
    EXPECT_EQ(form1().documentName(), a);
    EXPECT_EQ(form1().documentText(), QStringLiteral("a"));
    EXPECT_EQ(storedList(), (settings::RecentFileList{a, gone}));
    EXPECT_EQ(form1().currentFile(), gone);
    // The next update sets the current file afresh: the failed path does not move either.
    const QString c = open(QStringLiteral("c.bib"));
    EXPECT_EQ(storedList(), (settings::RecentFileList{c, a, gone}));
}

TEST_F(SettingsCommands, SaveMovesTheNameLastChosenInTheSaveDialogToTheFront) {
    type(QStringLiteral("x"));
    const QString saved = path(QStringLiteral("saved.bib"));
    platform.expectSaveFile(saved);
    form1().SA1Click();
    const QString other = open(QStringLiteral("other.bib"));
    EXPECT_EQ(storedList(), (settings::RecentFileList{other, saved}));
    form1().Save1Click(); // writes nothing: the document is clean
    EXPECT_EQ(storedList(), (settings::RecentFileList{saved, other}));
    // A cancelled open dialog moves the file it remembers.
    platform.expectOpenFile(std::nullopt);
    form1().Open1Click();
    EXPECT_EQ(storedList(), (settings::RecentFileList{other, saved}));
}

TEST_F(SettingsCommands, AltFThenTheDigitOpensTheEntryAPathWithAnAmpersandIncluded) {
    const QString a = open(QStringLiteral("R&D.bib"));
    const QString c = open(QStringLiteral("c.bib"));
    // Shown whole, stored as it is; the digit is the item's only accelerator.
    EXPECT_EQ(item(2)->text(), u"&2"_qs + path(u"R&&D.bib"_qs));
    EXPECT_EQ(QKeySequence::mnemonic(item(2)->text()), QKeySequence(Qt::ALT | Qt::Key_2));
    EXPECT_EQ(stored("File/Resume2"), a);
    form1().show();
    QApplication::setActiveWindow(&form1());
    QTest::keyClick(&form1(), Qt::Key_F, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("File1"));
    QTest::keyClick(menu, Qt::Key_2);
    EXPECT_EQ(form1().documentName(), a);
    EXPECT_EQ(storedList(), (settings::RecentFileList{a, c}));
}

TEST_F(SettingsCommands, AStoreThatCannotBeWrittenIsReportedOnceAndNeverStopsAnything) {
    writeFile(QStringLiteral("plain"), "x");
    settings = settings::SettingsStore::iniFile(path(QStringLiteral("plain/Quorvik.conf")));
    restart();
    const QString error = QStringLiteral("設定ファイル %1 に書き込めません.").arg(settings.location());
    // The recent-file update of Open fails: reported, and the file is open all the same.
    const QString a = writeFile(QStringLiteral("a.bib"), "a.bib");
    platform.expectOpenFile(a).expectError(error);
    form1().Open1Click();
    platform.verify();
    EXPECT_EQ(form1().documentName(), a);
    EXPECT_EQ(form1().documentText(), QStringLiteral("a.bib"));
    EXPECT_FALSE(form1().isModified());
    // Later failures repeat nothing; the window still closes.
    open(QStringLiteral("b.bib"));
    EXPECT_EQ(enabled(), QList<bool>(5, false));
    form1().show();
    EXPECT_TRUE(form1().close());

    // A run whose first failure is the close request's.
    restart();
    platform.expectError(error);
    form1().show();
    EXPECT_TRUE(form1().close());
}

} // namespace
