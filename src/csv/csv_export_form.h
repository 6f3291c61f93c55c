#pragma once
// TForm4 "CSVファイルへの書出し": writes the entries of the document to a CSV file, one column per
// field chosen, one line per entry, after a heading line of the field names.
#include "ui/platform.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace csv {

class CsvDocument;
class FieldChooser;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(ui::Platform& platform, CsvDocument& document, QWidget* parent = nullptr);

    // Event handlers.
    void Edit1Change();
    void OKBtnClick();
    void HelpBtnClick();
    // The OK rule: a file name and at least one field chosen.
    void SetButtons2();

private:
    void FormCreate();
    void buildControls();
    // The export itself; false when it was refused and the dialog stays open.
    bool exportToFile();

    ui::Platform& platform_;
    CsvDocument& document_;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    FieldChooser* Chooser = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
};

} // namespace csv
