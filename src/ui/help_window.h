#pragma once
// The program's own help: the Japanese pages compiled into the program (data/help/), shown beside a
// contents list. It is a modeless window that stays open beside the editor; Esc closes it.
#include <QStringList>
#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace ui {

// The help pages, as resource paths (":/help/index.html"); the contents page first.
const QStringList& helpPages();
// A page's heading, as the contents list shows it.
QString helpPageTitle(const QString& resourcePath);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the contents page and brings the window to the front.
    void showContents();
    // Shows a page by its name ("csv_export", or at a section: "edit_search#dialogs"; the contents for an
    // empty or unknown name) and brings the window to the front.
    void showPage(const QString& page);

    QListWidget* contents() const { return contents_; }
    QTextBrowser* browser() const { return browser_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followPage(const QUrl& source);

    QListWidget* contents_;
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
};

} // namespace ui
