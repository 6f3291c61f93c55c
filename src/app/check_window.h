#pragma once
// The modeless window "文献の検査": the findings of bibtex::checkText on the document, errors first, and
// the way to each. Each finding keeps its line's block, so that it leads to the right line after edits
// until the next check. The main window's F8 and Shift+F8 walk the findings in the order of the lines.
#include "bibtex/check.h"

#include <QDialog>
#include <QPointer>
#include <QTextBlock>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace document {
class Document;
}

namespace app {

class FindingModel;

class CheckWindow : public QDialog {
    Q_OBJECT
public:
    struct Item {
        bibtex::Finding finding;
        QTextBlock block; // the line's block in the document that was checked
    };

    CheckWindow(QWidget* mainWindow, QPlainTextEdit* editor, const document::Document& document);
    ~CheckWindow() override;

    // Shows the window, or brings it to the front. The first showing puts it beside the main window where
    // the screen has room, else over the main window's lower part, so the text above it stays in view.
    void showBeside();
    // Checks the document's text now and shows the findings; the list's first row is current.
    void recheck();
    // F8 (forward) and Shift+F8: the finding after (before) the caret's line, around the end; the first
    // use checks the document. False when there is no finding.
    bool walk(bool forward);
    // Caret to the start of the finding's line, the line selected, the main window in front.
    void jumpTo(int row);

    int rowCount() const { return int(rows_.size()); }
    const Item& itemAt(int row) const { return items_[rows_[row]]; }
    // The line a finding is on now (1-based).
    int currentLine(const Item& item) const;

private:
    bool checkedDocumentIsCurrent() const;

    QPlainTextEdit* editor_;
    const document::Document& document_;
    QPointer<QObject> checkedDocument_;
    bool checked_ = false;
    bool placed_ = false;
    QList<Item> items_; // in the order of their lines
    QList<int> rows_;   // the list's rows: errors, then warnings, then notes, by line within each
    QList<int> rowOf_;  // the row of each item
    int walked_ = -1;   // the item that F8 or Shift+F8 went to last
    FindingModel* model_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* counts_ = nullptr;
};

} // namespace app
