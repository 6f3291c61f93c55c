#pragma once
// TForm5 "CSVファイル形式から変換": turns every line of a CSV file into an entry of one chosen
// category, its columns mapped to the fields chosen, and appends them to the document.
#include "csv/csv_format.h"
#include "ui/platform.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace csv {

class CsvDocument;
class FieldChooser;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(ui::Platform& platform, CsvDocument& document, QWidget* parent = nullptr);

    // Event handlers.
    void ComboBox1Change();
    void BitBtn1Click();
    void RadioGroup1Click();
    void OKBtnClick();
    void HelpBtnClick();
    // The OK rule: every CSV column has a field (the first one may hold the labels instead).
    void SetButtons2();

    const QString& csvFileName() const { return CsvFileName; }
    int csvColumnCount() const { return CsvColumnCount; }

private:
    void FormCreate();
    void buildControls();
    int labelMode() const;

    ui::Platform& platform_;
    CsvDocument& document_;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;
    FieldChooser* Chooser = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    QString CsvFileName;
    int CsvColumnCount = 0;
    CsvTable Table; // the file last read; empty until then
};

} // namespace csv
