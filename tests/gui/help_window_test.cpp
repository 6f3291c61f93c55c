// The program's own help window: its contents list, and that every link of every page leads to a page
// and an anchor that exist.
#include "ui/help_window.h"

#include "base/app_info.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QString page(const QString& resourcePath) {
    QFile file(resourcePath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList captures(const QString& html, const QString& pattern) {
    QStringList out;
    const QRegularExpression re(pattern);
    for (const QRegularExpressionMatch& m : re.globalMatch(html))
        out << m.captured(1);
    return out;
}

TEST(HelpPages, TheContentsListHoldsEveryPageOnceInTheContentsPagesOrder) {
    const QStringList pages = ui::helpPages();
    QStringList shipped;
    for (const QString& file : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}))
        shipped << QStringLiteral(":/help/") + file;
    shipped.sort();
    QStringList listed = pages;
    listed.sort();
    EXPECT_EQ(listed, shipped);
    ASSERT_EQ(pages.constFirst(), QStringLiteral(":/help/index.html"));

    // The contents page lists the other pages in the same order, under their own headings.
    const QString index = page(pages.constFirst());
    const QString contents =
        index.section(QStringLiteral("<h2>目次</h2>"), 1).section(QStringLiteral("</ul>"), 0, 0);
    const QStringList links = captures(contents, QStringLiteral("<a href=\"([^\"]+)\""));
    const QStringList titles = captures(contents, QStringLiteral("<a href=\"[^\"]+\">([^<]+)</a>"));
    ASSERT_EQ(links.size(), pages.size() - 1);
    for (int i = 1; i < pages.size(); ++i) {
        EXPECT_EQ(QStringLiteral(":/help/") + links[i - 1], pages[i]);
        EXPECT_EQ(titles[i - 1], ui::helpPageTitle(pages[i])) << pages[i].toStdString();
    }

    ui::HelpWindow window;
    QListWidget* list = window.contents();
    ASSERT_EQ(list->count(), pages.size());
    for (int i = 0; i < list->count(); ++i) {
        EXPECT_FALSE(list->item(i)->text().isEmpty());
        EXPECT_EQ(list->item(i)->text(), ui::helpPageTitle(pages[i]));
    }
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Lorvane Editor ヘルプ"));
}

TEST(HelpPages, EveryLinkLeadsToAPageAndAnAnchorThatExist) {
    int checked = 0;
    for (const QString& from : ui::helpPages()) {
        const QString html = page(from);
        ASSERT_FALSE(html.isEmpty()) << from.toStdString();
        for (const QString& href : captures(html, QStringLiteral("href=\"([^\"]*)\""))) {
            const QUrl url(href);
            ASSERT_TRUE(url.scheme().isEmpty()) << "a link out of the help: " << href.toStdString();
            const QString target = url.path().isEmpty() ? from : QStringLiteral(":/help/") + url.path();
            const QString targetHtml = page(target);
            EXPECT_FALSE(targetHtml.isEmpty()) << from.toStdString() << " -> " << href.toStdString();
            if (url.hasFragment()) {
                const QStringList anchors = captures(targetHtml, QStringLiteral("(?:name|id)=\"([^\"]+)\""));
                EXPECT_TRUE(anchors.contains(url.fragment()))
                    << from.toStdString() << " -> " << href.toStdString();
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(HelpWindow, OpensAtTheContentsAndTheListFollowsThePageShown) {
    ui::HelpWindow window;
    window.showContents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose)); // never keeps the program running
    QTextBrowser* browser = window.browser();
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("はじめての方へ")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Lorvane Editor ヘルプ"));

    // A link: the list marks its page.
    browser->setSource(QUrl(QStringLiteral("qrc:/help/file_commands.html#print")));
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("qrc:/help/file_commands.html#print"))); // at the anchor
    EXPECT_EQ(window.contents()->currentRow(), 2);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ファイルの操作と印刷 - Lorvane Editor ヘルプ"));
    // The list: the browser shows its page.
    window.contents()->setCurrentRow(7);
    EXPECT_EQ(browser->source(), QUrl(QStringLiteral("qrc:/help/yomi.html")));
    EXPECT_EQ(browser->backwardHistoryCount(), 2); // the contents, the printing section
    browser->backward();
    EXPECT_EQ(window.contents()->currentRow(), 2);
    // Asked again, it shows the contents.
    window.showContents();
    EXPECT_EQ(window.contents()->currentRow(), 0);
}

// A window asks for its page, or for a section of it; Esc closes the help, wherever its focus is.
TEST(HelpWindow, ShowsTheSectionAskedForAndEscClosesIt) {
    ui::HelpWindow window;
    const struct {
        const char* asked;
        const char* shown;
        const char* focus;
    } cases[] = {
        {"edit_search#dialogs", "qrc:/help/edit_search.html#dialogs", "HelpBrowser"},
        {"csv_export", "qrc:/help/csv_export.html", "HelpContents"},
        {"nosuch#dialogs", "qrc:/help/index.html", "HelpBrowser"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        window.showPage(QString::fromLatin1(c.asked));
        EXPECT_EQ(window.browser()->source(), QUrl(QString::fromLatin1(c.shown)));
        ASSERT_TRUE(window.isVisible());
        auto* focus = window.findChild<QWidget*>(QString::fromLatin1(c.focus));
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
    }
}

// A modal dialog blocks every other window. Help asked for from one opens at the dialog's page and takes
// keys while the dialog stays open, and again from anywhere once the dialog has closed.
TEST(HelpWindow, HelpAskedForFromAModalDialogTakesInputWhileTheDialogIsOpen) {
    ui::QtPlatform platform;
    ui::HelpWindow* help = nullptr;
    int keys = 0;
    struct KeyCount final : QObject {
        ui::HelpWindow*& help;
        int& keys;
        KeyCount(ui::HelpWindow*& h, int& k) : help(h), keys(k) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            auto* w = qobject_cast<QWidget*>(watched);
            if (event->type() == QEvent::KeyPress && help && w && (w == help || help->isAncestorOf(w)))
                ++keys;
            return false;
        }
    } counter(help, keys);
    qApp->installEventFilter(&counter);
    const auto pressInHelp = [&] {
        const int before = keys;
        QTest::keyClick(help->windowHandle(), Qt::Key_Down);
        return keys > before;
    };

    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
        platform.showHelp(base::kHelpFile, QStringLiteral("csv_export"));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("HelpWindow")) help = static_cast<ui::HelpWindow*>(w);
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/csv_export.html")));
        EXPECT_TRUE(pressInHelp());
        dialog.accept();
    });
    dialog.exec();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible()); // it stays open once the dialog has gone
    EXPECT_TRUE(pressInHelp());
    platform.showHelp(base::kHelpFile, {});
    EXPECT_EQ(help->browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    EXPECT_TRUE(pressInHelp());
    qApp->removeEventFilter(&counter);
}

} // namespace
