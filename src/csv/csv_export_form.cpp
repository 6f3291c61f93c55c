#include "csv/csv_export_form.h"

#include "base/app_info.h"
#include "csv/csv_document.h"
#include "csv/csv_export.h"
#include "csv/field_chooser.h"
#include "csv/fields.h"
#include "text/text_file.h"
#include "ui/form_setup.h"
#include "ui/guarded.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace csv {

namespace {

// The dialog's page of the help, for ﾍﾙﾌﾟ and F1.
const QString kHelpPage = QStringLiteral("csv_export");

} // namespace

TForm4::TForm4(ui::Platform& platform, CsvDocument& document, QWidget* parent)
    : QDialog(parent), platform_(platform), document_(document) {
    ui::setUpFixedWindow(this, QStringLiteral("TForm4"), QStringLiteral("CSVファイルへの書出し"),
                         QSize(345, 290));
    buildControls();
    FormCreate();
    ui::helpOnF1(this, platform_, kHelpPage);
}

void TForm4::buildControls() {
    Label1 = new QLabel(QStringLiteral("保存するファイル名"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 15);
    Label1->adjustSize();
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(115, 10, 221, 20);

    Chooser = new FieldChooser(QStringLiteral("転送元ﾘｽﾄ :"), QStringLiteral("転送先ﾘｽﾄ :"), this);
    Chooser->move(8, 43);
    Chooser->addSourceNames(bibtexFieldNames());
    Chooser->setSetButtons2([this] { SetButtons2(); });

    auto button = [this](const char* name, const QString& caption, int left) {
        return ui::namedButton(this, name, caption, QRect(left, 255, 75, 25));
    };
    OKBtn = button("OKBtn", QStringLiteral("OK"), 101);
    OKBtn->setDefault(true);
    CancelBtn = button("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), 181);
    HelpBtn = button("HelpBtn", QStringLiteral("ﾍﾙﾌﾟ(&H)"), 261);

    ui::chainTabOrder(Chooser->tabOrder() + QList<QWidget*>{OKBtn, CancelBtn, HelpBtn, Edit1});
    Chooser->srcList()->setFocus();

    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TForm4::FormCreate() {
    const QString documentPath = document_.documentPath();
    Edit1->setText(proposedCsvName(documentPath.isEmpty() ? base::kUntitledName : documentPath,
                                   document_.lastDir(), base::kUntitledName));
    SetButtons2();
}

void TForm4::SetButtons2() {
    OKBtn->setEnabled(!Edit1->text().isEmpty() && Chooser->chosenCount() > 0);
}

void TForm4::Edit1Change() {
    SetButtons2();
}

void TForm4::HelpBtnClick() {
    ui::showHelpPage(platform_, kHelpPage);
}

void TForm4::OKBtnClick() {
    bool refused = false;
    ui::guarded(platform_, [this, &refused] { refused = !exportToFile(); });
    // A failure has been reported and closes the dialog like a success; only a refusal leaves it open,
    // so that another name can be given without choosing the fields again.
    if (!refused) accept();
}

bool TForm4::exportToFile() {
    const QString path = Edit1->text();
    const QString documentPath = document_.documentPath();
    if (!documentPath.isEmpty() && isSameFile(path, documentPath)) {
        platform_.showMessage(exportOntoDocumentMessage(path));
        Edit1->setFocus();
        return false;
    }
    CsvFile file;
    {
        const ui::BusyCursor busy(platform_);
        file = exportCsv(document_.text(), document_.textFormat(), Chooser->chosenNames());
        text::writeFileBytes(path, file.bytes);
    }
    hide();
    platform_.showMessage(exportDoneMessage(file));
    return true;
}

} // namespace csv
