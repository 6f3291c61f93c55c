#include "csv/csv_import_form.h"

#include "ui/frame_title.h"

#include "csv/csv_document.h"
#include "csv/csv_import.h"
#include "csv/field_chooser.h"
#include "csv/fields.h"
#include "entry/catalogue.h"
#include "text/text_file.h"
#include "ui/form_setup.h"
#include "ui/guarded.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>

namespace csv {

namespace {

// "CSVファイル(*.csv)|*.csv", the third filter of the main window's open dialog.
constexpr int kCsvFilter = 2;
// The dialog's page of the help, for ヘルプ and F1.
const QString kHelpPage = QStringLiteral("csv_import");

} // namespace

TForm5::TForm5(ui::Platform& platform, CsvDocument& document, QWidget* parent)
    : QDialog(parent), platform_(platform), document_(document) {
    ui::setUpFixedWindow(this, QStringLiteral("TForm5"), QStringLiteral("CSVファイル形式から変換"),
                         QSize(345, 344));
    buildControls();
    FormCreate();
    ui::helpOnF1(this, platform_, kHelpPage);
}

void TForm5::buildControls() {
    auto label = [this](const char* name, const QString& caption, int left, int top) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QString::fromLatin1(name));
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    Label1 = label("Label1", QStringLiteral("CSVファイル名"), 8, 8);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 24, 249, 20);
    // It shows the file read; nothing would read a name typed into it.
    Edit1->setReadOnly(true);
    BitBtn1 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("読込み"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIconSize(QSize(16, 16));
    BitBtn1->setGeometry(263, 22, 73, 25);
    BitBtn1->setAutoDefault(false);
    ui::pressOnEnter(BitBtn1);

    Label2 = label("Label2", QStringLiteral("文献カテゴリの選択"), 8, 56);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 72, 145, 20);
    for (const entry::Category& c : entry::categories())
        ComboBox1->addItem(QString::fromUtf16(c.displayName));

    RadioGroup1 = new QGroupBox(QStringLiteral("文献ラベルの挿入方法"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(162, 56, 174, 38);
    ui::putTitleOnFrame(RadioGroup1);
    RadioGroup1Items = new QButtonGroup(this);
    const QString captions[] = {QStringLiteral("手動"), QStringLiteral("自動"), QStringLiteral("挿入済")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(captions[i], RadioGroup1);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        // Three columns across the group's inside: "挿入済" needs the whole of the last one.
        radio->setGeometry(3 + 56 * i, 14, 56, 20);
        RadioGroup1Items->addButton(radio, i);
    }

    Chooser = new FieldChooser(QStringLiteral("転送元リスト :"), QStringLiteral("転送先リスト :"), this);
    Chooser->move(8, 104);
    QFont listFont = font();
    listFont.setPixelSize(13);
    Chooser->srcList()->setFont(listFont);
    Chooser->dstList()->setFont(listFont);
    Chooser->setSetButtons2([this] { SetButtons2(); });

    auto button = [this](const char* name, const QString& caption, int left) {
        return ui::namedButton(this, name, caption, QRect(left, 316, 75, 25));
    };
    OKBtn = button("OKBtn", QStringLiteral("OK"), 101);
    OKBtn->setDefault(true);
    CancelBtn = button("CancelBtn", QStringLiteral("キャンセル"), 181);
    HelpBtn = button("HelpBtn", QStringLiteral("ヘルプ(&H)"), 261);

    const QList<QWidget*> rest{OKBtn,
                               CancelBtn,
                               HelpBtn,
                               ComboBox1,
                               Edit1,
                               BitBtn1,
                               RadioGroup1Items->button(0),
                               RadioGroup1Items->button(1),
                               RadioGroup1Items->button(2)};
    ui::chainTabOrder(Chooser->tabOrder() + rest);
    Chooser->srcList()->setFocus();

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(RadioGroup1Items, &QButtonGroup::idClicked, this, [this] { RadioGroup1Click(); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}

void TForm5::FormCreate() {
    CsvColumnCount = 0;
    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    RadioGroup1Items->button(0)->setChecked(true);
    ComboBox1Change();
    SetButtons2();
}

int TForm5::labelMode() const {
    return RadioGroup1Items->checkedId();
}

void TForm5::ComboBox1Change() {
    // "<<" hands the focus to DstList; a user choosing categories with the arrow keys keeps it.
    const bool hadFocus = ComboBox1->hasFocus();
    if (Chooser->chosenCount() > 0) Chooser->ExcAllBtnClick();
    Chooser->clearSource();
    Chooser->addSourceNames(offeredFields(ComboBox1->currentIndex()));
    if (hadFocus) ComboBox1->setFocus();
}

void TForm5::BitBtn1Click() {
    ui::guarded(platform_, [this] {
        const std::optional<QString> path = document_.chooseOpenFile(kCsvFilter);
        if (!path) return;
        const ui::BusyCursor busy(platform_);
        // Read completely before anything changes: a file that cannot be read leaves the last one.
        CsvTable table = readCsvTable(text::readTextFile(*path).text);
        Table = std::move(table);
        CsvFileName = *path;
        Edit1->setText(CsvFileName);
        CsvColumnCount = Table.columnCount;
    });
    SetButtons2();
}

void TForm5::RadioGroup1Click() {
    SetButtons2();
}

void TForm5::SetButtons2() {
    OKBtn->setEnabled(importAllowed(LabelMode(labelMode()), Chooser->chosenCount(), CsvColumnCount));
}

void TForm5::OKBtnClick() {
    ui::guarded(platform_, [this] {
        const ui::BusyCursor busy(platform_);
        ui::withFinishingSteps(
            platform_,
            [this] {
                document_.appendLines(importEntryLines(Table, ComboBox1->currentIndex(),
                                                       Chooser->chosenNames(), LabelMode(labelMode())));
            },
            [this] {
                Table = CsvTable();
                document_.VolCount();
            });
    });
    accept();
}

void TForm5::HelpBtnClick() {
    ui::showHelpPage(platform_, kHelpPage);
}

} // namespace csv
