// Help and the about box, as the menu, the tool bar and F1 in every window open them; the tool bar's
// pictures.
#include "app/about_box.h"
#include "base/app_info.h"
#include "base/fonts.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

using HelpAndAbout = AppFixture;

TEST_F(HelpAndAbout, HelpAsksThePlatformForTheHelpFileFromMenuToolButtonAndF1) {
    const QString helpFile = QStringLiteral("C:\\My Documents\\Lorvane Editor\\LORVANE.hlp");
    platform.expectHelp(helpFile).expectHelp(helpFile).expectHelp(helpFile);
    command("Help2");
    form1().findChild<QToolButton*>(QStringLiteral("ToolButton17"))->click();
    form1().show();
    form1().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form1()));
    QTest::keyClick(&editor(), Qt::Key_F1);
}

// F1 in each window asks for that window's page, which its help button asks for too, and which the help
// holds (the page, and the section where one is named).
TEST_F(HelpAndAbout, F1InEveryWindowOpensItsPageOfTheHelp) {
    type(QStringLiteral("@misc{a,\n title = {x},\n}\n"));
    form1().show();
    std::vector<std::unique_ptr<QWidget>> dialogs;
    const auto own = [&](QWidget* dialog) {
        dialogs.emplace_back(dialog);
        dialog->show();
        return dialog;
    };
    const auto opened = [&](const char* command, const char* window) {
        this->command(command);
        return &child<QWidget>(form1(), window);
    };
    const struct {
        const char* what;
        std::function<QWidget*()> open;
        const char* focus;      // the control F1 is pressed in
        const char* helpButton; // none where the window has no help button
        const char* page;
    } cases[] = {
        {"entry form", [&] { return own(newForm().release()); }, "Edit1", "Button3", "entry_form"},
        {"CSV export", [&] { return own(new csv::TForm4(platform, form1().csvDocument())); }, "Edit1",
         "HelpBtn", "csv_export"},
        {"its field chooser", [&] { return own(new csv::TForm4(platform, form1().csvDocument())); },
         "DstList", nullptr, "csv_export"},
        {"CSV import", [&] { return own(new csv::TForm5(platform, form1().csvDocument())); }, "ComboBox1",
         "HelpBtn", "csv_import"},
        {"its field chooser", [&] { return own(new csv::TForm5(platform, form1().csvDocument())); },
         "SrcList", nullptr, "csv_import"},
        {"find", [&] { return opened("Find2", "FindDialog1"); }, "FindTextEdit", nullptr,
         "edit_search#dialogs"},
        {"replace", [&] { return opened("Replace1", "ReplaceDialog1"); }, "ReplaceTextEdit", nullptr,
         "edit_search#dialogs"},
        {"jump box", [&] { return opened("Jump1", "JumpDialog1"); }, "JumpLabelEdit", nullptr,
         "main_window#jump"},
        {"check window", [&] { return opened("Check1", "CheckForm1"); }, "FindingList", nullptr,
         "check#window"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString page = QString::fromLatin1(c.page);
        QWidget* window = c.open();
        window->activateWindow(); // (qWaitForWindowActive may answer before the activation has arrived)
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }));
        QWidget& focus = child<QWidget>(*window, c.focus);
        focus.setFocus();
        platform.expectHelp(base::kHelpFile, page);
        QTest::keyClick(&focus, Qt::Key_F1);
        platform.verify();
        if (c.helpButton) {
            platform.expectHelp(base::kHelpFile, page);
            QTest::mouseClick(&child<QPushButton>(*window, c.helpButton), Qt::LeftButton);
            platform.verify();
        }
        QFile file(QStringLiteral(":/help/") + page.section(u'#', 0, 0) + QStringLiteral(".html"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        if (page.contains(u'#')) {
            EXPECT_TRUE(file.readAll().contains("name=\"" + page.section(u'#', 1).toLatin1() + '"'));
        }
        window->hide();
    }
}

// Each tool button shows its command's picture: the desktop theme's where it has one, else the program's
// own, whatever the desktop (never a style's stand-in, which showed 貼り付け as a tick and コピー as a
// folder).
TEST_F(HelpAndAbout, EveryToolButtonShowsItsCommandsPictureFromTheThemeElseTheProgramsOwn) {
    if (!QImageReader::supportedImageFormats().contains("svg")) GTEST_SKIP() << "no SVG image plug-in";
    // clang-format off
    const std::pair<const char*, const char*> buttons[] = { // the button and its picture's freedesktop name
        {"ToolButton1", "document-new"}, {"ToolButton2", "document-open"}, {"ToolButton3", "document-save"},
        {"ToolButton4", "document-print"}, {"ToolButton16", "edit-undo"}, {"ToolButton5", "edit-cut"},
        {"ToolButton6", "edit-copy"}, {"ToolButton7", "edit-paste"}, {"ToolButton8", "edit-delete"},
        {"ToolButton9", "edit-select-all"}, {"ToolButton10", "edit-find"}, {"ToolButton11", "edit-find-replace"},
        {"ToolButton12", "x-office-address-book"}, {"ToolButton18", "document-import"},
        {"ToolButton15", "document-export"}, {"ToolButton17", "help-contents"}, {"ToolButton13", "application-exit"},
    };
    // clang-format on
    const auto toolButtons =
        child<QToolBar>(form1(), "ToolBar1")
            .findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^ToolButton")));
    EXPECT_EQ(toolButtons.size(), std::size(buttons)); // every one is in the table

    // A theme holding every picture, each a plain magenta square.
    QTemporaryDir themes;
    QDir(themes.path()).mkpath(QStringLiteral("full/16x16/actions"));
    QFile index(themes.filePath(QStringLiteral("full/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=full\nDirectories=16x16/actions\n[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage square(16, 16, QImage::Format_ARGB32);
    square.fill(Qt::magenta);
    for (const auto& [button, icon] : buttons)
        square.save(
            themes.filePath(QStringLiteral("full/16x16/actions/%1.png").arg(QString::fromLatin1(icon))));

    const QString themeBefore = QIcon::themeName();
    const QStringList pathsBefore = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({themes.path()});
    for (const char* theme : {"none", "full"}) {
        SCOPED_TRACE(theme);
        QIcon::setThemeName(QString::fromLatin1(theme));
        restart(); // the pictures are chosen when the window is made
        for (const auto& [button, icon] : buttons) {
            SCOPED_TRACE(button);
            const QImage shown = child<QToolButton>(form1(), button).icon().pixmap(16, 16).toImage();
            ASSERT_FALSE(shown.isNull());
            if (std::string(theme) == "full") {
                EXPECT_EQ(shown.pixelColor(8, 8), QColor(Qt::magenta));
            } else {
                const QIcon own(QStringLiteral(":/toolbar/%1.svg").arg(QString::fromLatin1(icon)));
                EXPECT_EQ(shown, own.pixmap(16, 16).toImage());
            }
        }
    }
    QIcon::setThemeSearchPaths(pathsBefore);
    QIcon::setThemeName(themeBefore);
}

TEST_F(HelpAndAbout, TheAboutBoxMadeAtStartIsShownEachTime) {
    QDialog* shown[2] = {};
    platform.expectModal(QStringLiteral("TAboutBox"), [&](QDialog& d) { shown[0] = &d; })
        .expectModal(QStringLiteral("TAboutBox"), [&](QDialog& d) { shown[1] = &d; });
    command("About1");
    form1().About1Click();
    EXPECT_EQ(shown[0], program->windows().aboutBox.get());
    EXPECT_EQ(shown[1], shown[0]);
}

TEST_F(HelpAndAbout, TheAboutBoxLayout) {
    base::registerFontSubstitutions();
    app::TAboutBox box;
    const auto get = [&](const char* name) {
        QWidget* w = box.findChild<QWidget*>(QString::fromLatin1(name));
        if (!w) throw std::runtime_error(name);
        return w;
    };
    EXPECT_EQ(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(box.size(), QSize(298, 213));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()); // not resizable
    EXPECT_EQ(box.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(box.font().pixelSize(), 12);
    EXPECT_EQ(get("Panel1")->geometry(), QRect(8, 8, 281, 161));
    EXPECT_EQ(get("ProgramIcon")->geometry(), QRect(23, 17, 41, 38));
    EXPECT_EQ(get("ProgramIcon")->parentWidget(), get("Panel1"));

    auto* title = static_cast<QLabel*>(get("ProductName"));
    EXPECT_EQ(title->text(), QStringLiteral("Lorvane Editor"));
    EXPECT_EQ(title->pos(), QPoint(88, 25));
    EXPECT_EQ(title->font().family(), QStringLiteral("Impact"));
    EXPECT_EQ(title->font().pixelSize(), 27);
    EXPECT_TRUE(title->font().bold());
    EXPECT_TRUE(title->font().underline());
    // Where Impact is missing, a condensed bold face stands in, and the title fits in the panel.
    const QFontInfo shownFont(title->font());
    const QString shownFamily = shownFont.family().section(QStringLiteral(" ["), 0, 0); // without foundry
    EXPECT_TRUE(shownFamily == QStringLiteral("Impact") ||
                QFont::substitutes(QStringLiteral("Impact")).contains(shownFamily, Qt::CaseInsensitive))
        << shownFamily.toStdString();
    EXPECT_TRUE(shownFont.bold());
    EXPECT_LE(title->geometry().right(), 281);

    auto* version = static_cast<QLabel*>(get("Version"));
    EXPECT_EQ(version->text(), QStringLiteral("Version" LORVANE_VERSION)); // the version CMake sets
    EXPECT_EQ(version->pos(), QPoint(190, 64));

    auto* ok = static_cast<QPushButton*>(get("OKButton"));
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(111, 180, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    box.show();
    ok->click();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

// The icon is the program's own picture, stretched to the box's 41 x 38.
TEST_F(HelpAndAbout, TheAboutBoxShowsTheProgramIcon) {
    if (!QImageReader::supportedImageFormats().contains("svg")) GTEST_SKIP() << "no SVG image plug-in";
    app::TAboutBox box;
    const QPixmap pixmap = box.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap();
    ASSERT_FALSE(pixmap.isNull());
    const QImage image = pixmap.toImage().scaled(41, 38);
    EXPECT_EQ(image.pixelColor(30, 30), QColor(0x2B, 0x6C, 0xB0)); // the cover
    EXPECT_EQ(image.pixelColor(40, 0).alpha(), 0);                 // transparent beyond it
}

} // namespace
