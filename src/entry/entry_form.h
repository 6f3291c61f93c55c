#pragma once
// TForm2 "文献ファイルの作成": the form that writes one bibliography entry after another at the end
// of the document, after checking that the entry label is unused.
#include "entry/entry_edit.h"
#include "entry/entry_format.h"
#include "ui/platform.h"

#include <QDialog>
#include <QMap>
#include <QStringList>
#include <array>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace entry {

class EntryDocument;

// An entry of the document for the form to change: its lines ('\n' between them), where they start in the
// document's text, and what the reader makes of them (an entry without a problem).
struct EntryToEdit {
    QString text;
    qsizetype position = 0;
    EntryText entry;
};

class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(ui::Platform& platform, EntryDocument& document, QString userListPath, QWidget* parent = nullptr);

    // Event handlers.
    void ComboBox1Change();
    void Edit1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // Counts the entries of the document and shows the count in the main window's status bar.
    void VolCount();
    int entryCount() const { return entryCount_; }

    // The completeness rule: enables Add when every required input of the category is filled.
    void SetButtons();

    // The layout of each category by its number; the category change applies it directly.
    void ComboBoxIndex0() { applyLayout(0); }
    void ComboBoxIndex1() { applyLayout(1); }
    void ComboBoxIndex2() { applyLayout(2); }
    void ComboBoxIndex3() { applyLayout(3); }
    void ComboBoxIndex4() { applyLayout(4); }
    void ComboBoxIndex5() { applyLayout(5); }
    void ComboBoxIndex6() { applyLayout(6); }
    void ComboBoxIndex7() { applyLayout(7); }
    void ComboBoxIndex8() { applyLayout(8); }
    void ComboBoxIndex9() { applyLayout(9); }
    void ComboBoxIndex10() { applyLayout(10); }
    void ComboBoxIndex11() { applyLayout(11); }
    void ComboBoxIndex12() { applyLayout(12); }

    // The entry text of each category by its number, appended to the document; Add appends directly.
    void SetText0() { appendEntry(0); }
    void SetText1() { appendEntry(1); }
    void SetText2() { appendEntry(2); }
    void SetText3() { appendEntry(3); }
    void SetText4() { appendEntry(4); }
    void SetText5() { appendEntry(5); }
    void SetText6() { appendEntry(6); }
    void SetText7() { appendEntry(7); }
    void SetText8() { appendEntry(8); }
    void SetText9() { appendEntry(9); }
    void SetText10() { appendEntry(10); }
    void SetText11() { appendEntry(11); }
    void SetText12() { appendEntry(12); }

    // Appends the entries of section `name` of the user list file to the combo box's sorted list.
    void ReadItemFile(QComboBox* comboBox, const QString& name);

    // What the form holds now, as the formatter reads it.
    EntryInput input() const;

    // 文献の修正: the form shows the entry's category and values, and its first button, 修正, changes
    // the entry's text to what the form holds and closes the form.
    void editEntry(EntryToEdit target);
    bool isEditing() const { return edit_.has_value(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void applyLayout(int category);
    void appendEntry(int category);
    // Edit mode: the values the slots of the layout shown hold, kept by field across category changes;
    // the values of the category's layout put into the slots; the change of the entry.
    void rememberShownValues();
    void showValues(int category);
    // Edit mode: option `n` (RadioButton n) of a choice pair picked by the user.
    void optionPicked(int n);
    void changeEntry();
    template <typename Handler> void run(Handler&& handler);

    ui::Platform& platform_;
    EntryDocument& document_;
    QString userListPath_;

    QLabel* Label0 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    std::array<QLabel*, 19> slotLabels_{};         // [k]: caption of slot k (1..18)
    std::array<QLineEdit*, 19> slotEdits_{};       // [k]: edit of slot k (1..18)
    std::array<QWidget*, 7> pairPanels_{};         // [p]: panel of choice pair p (1..6)
    std::array<QRadioButton*, 13> radioButtons_{}; // [n]: RadioButton n (1..12)
    QStringList entryLines_;
    int entryCount_ = 0;
    int shownCategory_ = -1; // the category whose layout the slots show
    std::optional<EntryToEdit> edit_;
    QMap<QString, QString> values_; // edit mode: field -> value
    bool showingValues_ = false;    // the form, not the user, is setting the slots and options
};

} // namespace entry
