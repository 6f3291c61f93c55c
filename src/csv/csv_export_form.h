#pragma once
// TForm4 "CSVファイルへの書出し": writes the document's entries to a CSV file. The window exists
// from program start; its controls come with the export itself.
#include <QDialog>

namespace csv {

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};

} // namespace csv
