#include "ui/help_window.h"

#include "base/app_info.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace ui {

namespace {

// The pages in the order of the contents page's own list.
const char* const kPages[] = {"index",      "main_window", "file_commands", "edit_search", "entry_form",
                              "entry_edit", "categories",  "yomi",          "user_dat",    "check",
                              "csv_export", "csv_import",  "encodings",     "settings",    "cli"};

QUrl pageUrl(const QString& resourcePath) {
    return QUrl(QStringLiteral("qrc") + resourcePath);
}

} // namespace

const QStringList& helpPages() {
    static const QStringList pages = [] {
        QStringList list;
        for (const char* page : kPages)
            list << QStringLiteral(":/help/") + QString::fromLatin1(page) + QStringLiteral(".html");
        return list;
    }();
    return pages;
}

QString helpPageTitle(const QString& resourcePath) {
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression heading(QStringLiteral("<h1[^>]*>(.*?)</h1>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = heading.match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), contents_(new QListWidget), browser_(new QTextBrowser),
      back_(new QToolButton), forward_(new QToolButton) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(base::kApplicationTitle + QStringLiteral(" ヘルプ"));
    // An open help window never keeps the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(860, 620);

    contents_->setObjectName(QStringLiteral("HelpContents"));
    for (const QString& page : helpPages()) {
        auto* item = new QListWidgetItem(helpPageTitle(page), contents_);
        item->setData(Qt::UserRole, page);
    }
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);

    back_->setObjectName(QStringLiteral("HelpBack"));
    back_->setText(QStringLiteral("戻る"));
    back_->setEnabled(false);
    forward_->setObjectName(QStringLiteral("HelpForward"));
    forward_->setText(QStringLiteral("進む"));
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    // The contents list as wide as its longest heading.
    const int listWidth = contents_->sizeHintForColumn(0) + 2 * contents_->frameWidth() + 12;
    splitter->setSizes({listWidth, width() - listWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter);

    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item) return;
        const QUrl url = pageUrl(item->data(Qt::UserRole).toString());
        if (browser_->source().adjusted(QUrl::RemoveFragment) != url) browser_->setSource(url);
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::followPage);
    browser_->setSource(pageUrl(helpPages().constFirst()));
}

void HelpWindow::showContents() {
    showPage({});
}

void HelpWindow::showPage(const QString& page) {
    const QString path = QStringLiteral(":/help/") + page.section(u'#', 0, 0) + QStringLiteral(".html");
    QUrl url = pageUrl(helpPages().contains(path) ? path : helpPages().constFirst());
    if (helpPages().contains(path) && page.contains(u'#')) url.setFragment(page.section(u'#', 1));
    browser_->setSource(url);
    showNormal();
    raise();
    activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    // Esc closes the help as it closes the program's other modeless windows.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The contents list marks the page shown, however it was reached (a link, Back, Forward). The signal's
// address is the one to go by: source() still gives the page before while the signal is delivered.
void HelpWindow::followPage(const QUrl& source) {
    const QUrl shown = source.adjusted(QUrl::RemoveFragment);
    setWindowTitle(browser_->documentTitle());
    for (int row = 0; row < contents_->count(); ++row) {
        if (pageUrl(contents_->item(row)->data(Qt::UserRole).toString()) == shown) {
            // Marking the row must not open its page again: that would lose the anchor and add a step
            // to the history.
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentRow(row);
            return;
        }
    }
}

} // namespace ui
