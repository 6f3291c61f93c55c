#include "csv/csv_import_form.h"

#include "base/fonts.h"

namespace csv {

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("CSVファイル形式から変換"));
    setFont(base::windowFont());
    setFixedSize(345, 344);
}

} // namespace csv
