#pragma once
// The modeless window "文献の検査": the findings of bibtex::checkText on the document, errors first, and
// the way to each. Each finding keeps an anchor for its line and one for the other place it names, so that
// it leads to the right line and names the right one after edits, until the next check. A new text (a
// load, New) empties the list: a finding never leads into a document other than the one it was found in.
// The main window's F8 and Shift+F8 walk the findings in the order of the lines.
#include "bibtex/check.h"

#include <QDialog>
#include <QPointer>
#include <QTextBlock>

#include <optional>

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
    // A line of the checked text, followed through edits. Its block alone would not do: lines typed at the
    // very start of a line (Enter there) leave the block where it was, holding what was typed, and move the
    // line's text into the last of the new lines, the one before the block that followed it.
    struct LineAnchor {
        QTextBlock block;
        QTextBlock next; // the block after it at the check; invalid for the last line
        size_t text = 0; // qHash of the line's text at the check
    };
    struct Item {
        bibtex::Finding finding;
        LineAnchor line;  // in the document that was checked
        LineAnchor other; // the other place the finding names (finding.otherLine), where it names one
    };

    CheckWindow(QWidget* mainWindow, QPlainTextEdit* editor, const document::Document& document);
    ~CheckWindow() override;

    // The client size the window opens with where no stored size says otherwise.
    static constexpr QSize kSize{720, 400};
    // The least room beside (below) the main window that the window takes at its first showing.
    static constexpr QSize kLeastRoom{360, 160};

    // Shows the window, or brings it to the front. The first showing puts it at `storedPlace` where that
    // is on a screen, else beside the main window (window_place.h).
    void showBeside();
    // Where the window stood at its last showing (its frame's top left) and its size inside the frame;
    // none before it was shown.
    std::optional<QRect> place() const;
    void setStoredPlace(const std::optional<QRect>& place) { storedPlace_ = place; }
    // Checks the document's text now and shows the findings; the list's first row is current.
    void recheck();
    // F8 (forward) and Shift+F8: the finding after (before) the caret's line, around the end; the first
    // use checks the document. False when there is no finding.
    bool walk(bool forward);
    // The finding F8 or Shift+F8 went to last; none before the first or after the findings were dropped.
    const Item* walked() const;
    // Caret to the start of the finding's line, the line selected, the main window in front.
    void jumpTo(int row);

    int rowCount() const { return int(rows_.size()); }
    const Item& itemAt(int row) const { return items_[rows_[row]]; }
    // The line a finding is on now (1-based).
    int currentLine(const Item& item) const;
    // The finding's message, naming the other place it speaks of by the line that place is on now.
    QString message(const Item& item) const;
    // Its kind and its message, as a row's tooltip and the status bar give it whole: "警告： ...".
    QString description(const Item& item) const;

private:
    bool checkedDocumentIsCurrent() const;
    // Where the anchored line is now; an invalid block when the checked text is not the editor's (a load in
    // pieces is filling another) or the line is gone.
    QTextBlock blockNow(const LineAnchor& anchor) const;
    int lineNow(const LineAnchor& anchor, int lineAtCheck) const;
    // A new text replaced the one checked: its findings go, and the next F8 checks afresh.
    void forget();

    QPlainTextEdit* editor_;
    const document::Document& document_;
    QPointer<QObject> checkedDocument_;
    bool checked_ = false;
    bool placed_ = false;
    std::optional<QRect> storedPlace_;
    QList<Item> items_; // in the order of their lines
    QList<int> rows_;   // the list's rows: errors, then warnings, then notes, by line within each
    QList<int> rowOf_;  // the row of each item
    int walked_ = -1;   // the item that F8 or Shift+F8 went to last
    FindingModel* model_ = nullptr;
    QTreeView* list_ = nullptr;
    QLabel* counts_ = nullptr;
};

} // namespace app
