#pragma once
// The two-list field chooser that both CSV dialogs carry: SrcList holds the names not chosen, kept
// sorted; DstList the chosen ones in their chosen order, which the dialog uses as its columns. Four
// buttons move names across, and so do Enter and a double-click on a name (to the other list); after
// every move the owning dialog's SetButtons2 runs.
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace csv {

class FieldChooser : public QWidget {
    Q_OBJECT
public:
    // `srcCaption` differs by dialog (half-width katakana in the export, full-width in the import).
    // The chooser stands at the position of its SrcLabel; it is 328 x 201.
    FieldChooser(const QString& srcCaption, const QString& dstCaption, QWidget* parent);

    // The owning dialog's OK rule, run at the end of every move.
    void setSetButtons2(std::function<void()> setButtons2) { setButtons2_ = std::move(setButtons2); }
    // Puts the names into SrcList (each at its sorted place) and updates the buttons.
    void addSourceNames(const QStringList& names);
    // Empties SrcList (the import's category change, after "<<").
    void clearSource();
    // The names of DstList, in their order.
    QStringList chosenNames() const;
    int chosenCount() const;

    QListWidget* srcList() const { return SrcList; }
    QListWidget* dstList() const { return DstList; }
    // The chooser's tab stops, in their order: SrcList, the four buttons, DstList.
    QList<QWidget*> tabOrder() const;

    // The button handlers.
    void IncludeBtnClick();
    void ExcludeBtnClick();
    void IncAllBtnClick();
    void ExcAllBtnClick();

    // The index of the first selected item of `list`, or -1.
    static int GetFirstSelection(const QListWidget* list);
    // Moves the selected items of `list`, from the last up to the first, into `target`, which adds
    // each by its own rule (sorted into SrcList, appended to DstList).
    static void MoveSelected(QListWidget* list, QListWidget* target);
    // Focuses `list` and selects the item at `index` (-1: the first, past the end: the last).
    void SetItem(QListWidget* list, int index);
    // ">" and ">>" while SrcList holds a name, "<" and "<<" while DstList does.
    void SetButtons();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetButtons2();
    // What Enter and a double-click in `list` do: its selected names, or the current one where none is
    // selected, go to the other list.
    void moveFrom(QListWidget* list);

    QLabel* SrcLabel = nullptr;
    QLabel* DstLabel = nullptr;
    QListWidget* SrcList = nullptr;
    QListWidget* DstList = nullptr;
    QPushButton* IncludeBtn = nullptr;
    QPushButton* IncAllBtn = nullptr;
    QPushButton* ExcludeBtn = nullptr;
    QPushButton* ExAllBtn = nullptr;
    std::function<void()> setButtons2_;
};

} // namespace csv
