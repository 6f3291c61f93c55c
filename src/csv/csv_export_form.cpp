#include "csv/csv_export_form.h"

#include "base/fonts.h"

namespace csv {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("CSVファイルへの書出し"));
    setFont(base::windowFont());
    setFixedSize(345, 290);
}

} // namespace csv
