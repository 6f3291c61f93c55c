#pragma once
// TForm5 "CSVファイル形式から変換": turns the lines of a CSV file into entries. The window exists
// from program start; its controls come with the import itself.
#include <QDialog>

namespace csv {

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
};

} // namespace csv
