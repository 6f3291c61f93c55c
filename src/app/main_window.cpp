#include "app/main_window.h"

#include "app/command_state.h"
#include "app/command_table.h"
#include "app/load_indicator.h"
#include "app/program.h"
#include "base/app_info.h"
#include "base/fonts.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "document/recovery.h"
#include "entry/entry_count.h"
#include "entry/entry_form.h"
#include "entry/user_list.h"
#include "ui/form_setup.h"
#include "ui/guarded.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStatusBar>
#include <QWindow>

namespace app {

namespace {

const QString kOpenFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "すべてのファイル(*.*)|*.*");

constexpr QSize kOuterSize(610, 414);

QPlainTextEdit* makeEditor(QWidget* parent) {
    auto* editor = new QPlainTextEdit(parent);
    editor->setObjectName(QStringLiteral("RichEdit1"));
    editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    editor->setTabChangesFocus(false);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return editor;
}

} // namespace

TForm1::TForm1(ui::Platform& platform, Windows& windows, QString programDir, SettingsStore settings)
    : platform_(platform), windows_(windows), programDir_(std::move(programDir)),
      settings_(std::move(settings)), RichEdit1(makeEditor(this)), document_(RichEdit1), adapter_(*this) {
    setObjectName(QStringLiteral("TForm1"));
    setFont(base::windowFont());
    resize(kOuterSize);
    ui::centreOnScreen(this, kOuterSize);

    const CommandControls controls = buildCommands(*this);
    ComboBox1 = controls.fontNameBox;
    ComboBox2 = controls.fontSizeBox;
    recentItems_ = controls.recentItems;

    setCentralWidget(RichEdit1);
    connect(RichEdit1, &QPlainTextEdit::textChanged, this, &TForm1::RichEdit1Change);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusBar()->addWidget(statusPanel_, 1);
    loadIndicator_ = std::make_unique<LoadIndicator>(*this, *RichEdit1, platform_, [this] { cancelLoad(); });

    OpenDialog1.filter = kOpenFilter;
    SaveDialog1.filter = kSaveFilter;
    wireFontBoxes();
    wireView();
    FormCreate();
}

TForm1::~TForm1() {
    for (std::thread& read : readThreads_)
        read.join();
}

void TForm1::FormCreate() {
    setWindowTitle(base::kUntitledName);
    document_.setModified(false);
    // "Default" is one of the names, sorted among the installed families without regard to case.
    QStringList families = platform_.fontFamilies() << QStringLiteral("Default");
    families.removeDuplicates();
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    ComboBox1->addItems(families);
    ReadSettings();
    applyHighlightSetting();
    OpenDialog1.initialDir = LastDir;
    SaveDialog1.initialDir = LastDir;
    applyEditorFont();
    ComboBox1->setEditText(editorFontName_);
    ComboBox2->setEditText(QString::number(editorFontSize_));
    ReadResume();
    run([this] { SetButtons(); });
}

// Its failures (a size box that holds no whole number) are reported here, never taken for a failure of
// the command that changed the text.
void TForm1::RichEdit1Change() {
    run([this] {
        if (windows_.form2) windows_.form2->VolCount();
        SetButtons();
    });
}

bool TForm1::event(QEvent* event) {
    // The window's outer size, frame included, is 610 x 414 where the window system reports its frame;
    // the frame becomes known only once the window is shown and decorated.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) && !outerSizeFitted_ &&
        windowHandle() && windowState() == Qt::WindowNoState) {
        const QMargins frame = windowHandle()->frameMargins();
        if (!frame.isNull()) {
            outerSizeFitted_ = true;
            resize(kOuterSize.shrunkBy(frame));
            ui::centreOnScreen(this, kOuterSize);
        }
    }
    return QMainWindow::event(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A close request during a load cancels the load first; then it runs as always.
    cancelLoad();
    bool canClose = false;
    run([&] {
        bool allowed = true;
        FormCloseQuery(allowed);
        canClose = allowed;
    });
    event->setAccepted(canClose);
}

void TForm1::L1Click() {
    run([this] {
        windows_.form2 =
            std::make_unique<entry::TForm2>(platform_, adapter_, entry::findUserList(programDir_), this);
        platform_.runModal(*windows_.form2);
    });
}

void TForm1::CSVO1Click() {
    run([this] {
        windows_.form4 = std::make_unique<csv::TForm4>(platform_, adapter_, this);
        platform_.runModal(*windows_.form4);
    });
}

void TForm1::BibB1Click() {
    run([this] {
        windows_.form5 = std::make_unique<csv::TForm5>(platform_, adapter_, this);
        platform_.runModal(*windows_.form5);
    });
}

} // namespace app
