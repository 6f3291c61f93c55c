#pragma once
// The modeless window "文献の検査": the findings of bibtex::checkText on the document, errors first, and
// the way to each. Each finding keeps an anchor in the store at the start of its line and one at the other
// place it names, so that it leads to the right line and names the right one after edits, until the next
// check: the anchors move with the text (an Enter or blanks typed at the line's start push its anchor on
// with the line's text). A new text (a load, New) empties the list: a finding never leads into a document
// other than the one it was found in.
// The main window's F8 and Shift+F8 walk the findings in the order of the lines.
#include "bibtex/check.h"

#include <QDialog>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTreeView;

namespace document {
class AnchorSet;
class Document;
} // namespace document
namespace view {
class TextView;
}

namespace app {

class FindingModel;

class CheckWindow : public QDialog {
    Q_OBJECT
public:
    struct Item {
        bibtex::Finding finding;
        // Its anchors (document::AnchorSet) at the start of its line and of the other place it names
        // (finding.otherLine); -1 where it names none.
        qsizetype line = -1;
        qsizetype other = -1;
    };

    CheckWindow(QWidget* mainWindow, view::TextView* editor, const document::Document& document);
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
    // The line (1-based) anchor `anchor` is on now; `lineAtCheck` when there are no findings kept.
    int lineNow(qsizetype anchor, int lineAtCheck) const;
    // A new text replaced the one checked: its findings go, and the next F8 checks afresh.
    void forget();

    view::TextView* editor_;
    const document::Document& document_;
    std::unique_ptr<document::AnchorSet> anchors_; // over the store checked, while its findings are kept
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
