#include "app/main_window.h"

#include "app/app_info.h"
#include "app/document_index.h"
#include "app/fonts.h"
#include "app/program.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "entry/entry_count.h"
#include "entry/entry_form.h"
#include "entry/user_list.h"
#include "text/text_file.h"
#include "ui/guarded.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>

namespace app {

namespace {

const QString kOpenFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "すべてのファイル(*.*)|*.*");

QString folderWithSeparator(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath() + u'/');
}

} // namespace

TForm1::TForm1(ui::Platform& platform, Windows& windows, QString programDir)
    : platform_(platform), windows_(windows), programDir_(std::move(programDir)) {
    setObjectName(QStringLiteral("TForm1"));
    setFont(windowFont());
    resize(610, 414);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildMenu();
    buildToolBar();

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RichEdit1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(RichEdit1);
    index_ = new DocumentIndex(RichEdit1->document());
    connect(RichEdit1, &QPlainTextEdit::textChanged, this, [this] { run([this] { RichEdit1Change(); }); });

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusBar()->addWidget(statusPanel_, 1);

    OpenDialog1.filter = kOpenFilter;
    SaveDialog1.filter = kSaveFilter;
    FormCreate();
}

TForm1::~TForm1() = default;

template <typename Handler> void TForm1::run(Handler&& handler) {
    ui::guarded(platform_, std::forward<Handler>(handler));
}

void TForm1::FormCreate() {
    setWindowTitle(kUntitledName);
    setModified(false);
    QStringList families = platform_.fontFamilies();
    families.removeDuplicates();
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    ComboBox1->addItem(QStringLiteral("Default"));
    ComboBox1->addItems(families);
    LastDir = QDir::currentPath();
    editorFontName_ = kEditorFontName;
    editorFontSize_ = 12;
    ReadSettings();
    OpenDialog1.initialDir = LastDir;
    SaveDialog1.initialDir = LastDir;
    QFont font(editorFontName_);
    font.setPointSize(editorFontSize_);
    RichEdit1->setFont(font);
    ComboBox1->setEditText(editorFontName_);
    ComboBox2->setEditText(QString::number(editorFontSize_));
    ReadResume();
    SetButtons();
}

QAction* TForm1::addMenuItem(QMenu* menu, const char* name, const QString& caption,
                             void (TForm1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
}

void TForm1::buildMenu() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = addMenu("File1", QStringLiteral("ファイル(&F)"));
    addMenuItem(file, "New1", QStringLiteral("新規作成(&N)"), &TForm1::New1Click)
        ->setShortcut(QKeySequence::New);
    addMenuItem(file, "Open1", QStringLiteral("開く(&O)"), &TForm1::Open1Click)
        ->setShortcut(QKeySequence::Open);
    addMenuItem(file, "Save1", QStringLiteral("上書き保存(&S)"), &TForm1::Save1Click)
        ->setShortcut(QKeySequence::Save);
    addMenuItem(file, "SA1", QStringLiteral("名前を付けて保存(&S)"), &TForm1::SA1Click);
    separator(file, "N1");
    addMenuItem(file, "A1", QStringLiteral("印刷設定(&A)"));
    addMenuItem(file, "Print1", QStringLiteral("印刷(&P)"))->setShortcut(QKeySequence::Print);
    separator(file, "N2");
    addMenuItem(file, "Exit1", QStringLiteral("終了(&C)"), &TForm1::Exit1Click);
    separator(file, "N3");
    static const char* const recentNames[] = {"N11", "N21", "N31", "N41", "N51"};
    for (int k = 0; k < 5; ++k) {
        recentItems_[k] = addMenuItem(file, recentNames[k], QStringLiteral("&%1").arg(k + 1));
        recentItems_[k]->setEnabled(false);
    }

    QMenu* edit = addMenu("Edit1", QStringLiteral("編集(&E)"));
    addMenuItem(edit, "Undo1", QStringLiteral("元に戻す(&R)"))->setShortcut(QKeySequence::Undo);
    addMenuItem(edit, "Cut1", QStringLiteral("切り取り(&T)"))->setShortcut(QKeySequence::Cut);
    addMenuItem(edit, "Copy1", QStringLiteral("コピー(&C)"))->setShortcut(QKeySequence::Copy);
    addMenuItem(edit, "Paste1", QStringLiteral("貼り付け(&P)"))->setShortcut(QKeySequence::Paste);
    addMenuItem(edit, "Delete1", QStringLiteral("削除(&D)"));
    addMenuItem(edit, "A2", QStringLiteral("全て選択(&A)"))->setShortcut(QKeySequence::SelectAll);

    QMenu* find = addMenu("Find1", QStringLiteral("検索(&S)"));
    addMenuItem(find, "Find2", QStringLiteral("検索(&S)"))->setShortcut(QKeySequence::Find);
    addMenuItem(find, "Replace1", QStringLiteral("置換(&R)"))->setShortcut(QKeySequence::Replace);

    QMenu* bib = addMenu("B1", QStringLiteral("文献(&B)"));
    addMenuItem(bib, "L1", QStringLiteral("文献リスト作成(&L)"), &TForm1::L1Click);
    addMenuItem(bib, "BibB1", QStringLiteral("CSVファイルから変換(&B)"), &TForm1::BibB1Click);
    addMenuItem(bib, "CSVO1", QStringLiteral("CSVファイルに変換(&O)"), &TForm1::CSVO1Click);

    QMenu* help = addMenu("Help1", QStringLiteral("ヘルプ(&H)"));
    addMenuItem(help, "Help2", QStringLiteral("ヘルプ(&H)"))->setShortcut(QKeySequence::HelpContents);
    addMenuItem(help, "About1", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
}

void TForm1::addToolButton(const char* name, const QString& hint, const char* themeIcon, int fallbackIcon,
                           void (TForm1::*handler)()) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(23, 22);
    button->setIcon(
        QIcon::fromTheme(QString::fromLatin1(themeIcon),
                         style()->standardIcon(static_cast<QStyle::StandardPixmap>(fallbackIcon))));
    if (handler) connect(button, &QToolButton::clicked, this, handler);
    ToolBar1->addWidget(button);
}

void TForm1::buildToolBar() {
    ToolBar1 = addToolBar(QString());
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->layout()->setSpacing(0);
    ToolBar1->setContentsMargins(0, 0, 0, 0);

    struct Button {
        const char* name;
        const char* hint;
        const char* themeIcon;
        QStyle::StandardPixmap fallback;
        void (TForm1::*handler)();
    };
    static const Button buttons[] = {
        {"ToolButton1", "新規ファイルの作成", "document-new", QStyle::SP_FileIcon, &TForm1::New1Click},
        {"ToolButton2", "ファイルを開く", "document-open", QStyle::SP_DialogOpenButton, &TForm1::Open1Click},
        {"ToolButton3", "上書き保存", "document-save", QStyle::SP_DialogSaveButton, &TForm1::Save1Click},
        {"ToolButton4", "印刷", "document-print", QStyle::SP_ComputerIcon, nullptr},
        {"ToolButton16", "元に戻す", "edit-undo", QStyle::SP_ArrowBack, nullptr},
        {"ToolButton5", "切り取り", "edit-cut", QStyle::SP_DialogDiscardButton, nullptr},
        {"ToolButton6", "コピー", "edit-copy", QStyle::SP_FileDialogNewFolder, nullptr},
        {"ToolButton7", "貼り付け", "edit-paste", QStyle::SP_DialogApplyButton, nullptr},
        {"ToolButton8", "削除", "edit-delete", QStyle::SP_TrashIcon, nullptr},
        {"ToolButton9", "すべて選択", "edit-select-all", QStyle::SP_FileDialogListView, nullptr},
        {"ToolButton10", "検索", "edit-find", QStyle::SP_FileDialogContentsView, nullptr},
        {"ToolButton11", "置換", "edit-find-replace", QStyle::SP_BrowserReload, nullptr},
        {"ToolButton12", "文献ﾘｽﾄ作成", "x-office-address-book", QStyle::SP_FileDialogDetailedView,
         &TForm1::L1Click},
        {"ToolButton18", "CSVファイル形式から変換", "document-import", QStyle::SP_ArrowLeft,
         &TForm1::BibB1Click},
        {"ToolButton15", "CSVファイル形式に変換", "document-export", QStyle::SP_ArrowRight,
         &TForm1::CSVO1Click},
        {"ToolButton17", "ヘルプ", "help-contents", QStyle::SP_DialogHelpButton, nullptr},
        {"ToolButton13", "終了", "application-exit", QStyle::SP_DialogCloseButton, &TForm1::Exit1Click},
    };
    for (const Button& b : buttons)
        addToolButton(b.name, QString::fromUtf8(b.hint), b.themeIcon, b.fallback, b.handler);
    ToolBar1->addSeparator()->setObjectName(QStringLiteral("ToolButton14"));

    // The font boxes take no part in the tab order.
    auto fontBox = [this](const char* name, const QString& hint, int width) {
        auto* box = new QComboBox(ToolBar1);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setToolTip(hint);
        box->setFixedWidth(width);
        box->setFocusPolicy(Qt::ClickFocus);
        ToolBar1->addWidget(box);
        return box;
    };
    ComboBox1 = fontBox("ComboBox1", QStringLiteral("フォント名"), 145);
    ComboBox2 = fontBox("ComboBox2", QStringLiteral("フォントのサイズ"), 47);
    ComboBox2->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11"),
                         QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("14"),
                         QStringLiteral("15"), QStringLiteral("20"), QStringLiteral("25")});
}

// ---- the document -------------------------------------------------------------------------------

bool TForm1::isModified() const {
    return RichEdit1->document()->isModified();
}

void TForm1::setModified(bool modified) {
    RichEdit1->document()->setModified(modified);
}

QString TForm1::documentText() const {
    // The raw text, not toPlainText(): that one turns no-break spaces into spaces and line separators
    // into line breaks, which would change the file on saving.
    QString text = RichEdit1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void TForm1::setDocumentText(const QString& text) {
    {
        // Loading is one change: the count comes from one pass over the text, then the text-change
        // handling runs once.
        const QSignalBlocker blocker(RichEdit1);
        index_->replaceText(text, [&] { RichEdit1->setPlainText(text); });
    }
    RichEdit1Change();
}

void TForm1::RichEdit1Change() {
    if (windows_.form2) windows_.form2->VolCount();
    SetButtons();
}

std::optional<QString> TForm1::chooseFile(ui::FileDialogState& state, bool forSaving) {
    std::optional<QString> path =
        forSaving ? platform_.chooseSaveFile(state) : platform_.chooseOpenFile(state);
    // The folder of a chosen file becomes the working directory, as the file dialogs do on Windows.
    if (path) QDir::setCurrent(QFileInfo(*path).absolutePath());
    return path;
}

bool TForm1::askToSave() {
    if (!isModified()) return true;
    switch (platform_.askSaveChanges()) {
    case ui::SaveAnswer::Cancel:
        return false;
    case ui::SaveAnswer::No:
        return true;
    case ui::SaveAnswer::Yes:
        saveDocument();
        // Nothing saved (the save dialog was cancelled, or saving was declined): the command that
        // asked is abandoned, as with Cancel, so the text is never lost.
        return !isModified();
    }
    return false;
}

void TForm1::loadDocument(const QString& path) {
    LoadedDocument loaded = loadDocumentFile(path);
    const QString warning = openWarning(path, loaded);
    setDocumentText(loaded.text);
    format_ = std::move(loaded.format);
    setModified(false);
    if (!warning.isEmpty()) platform_.showMessage(warning);
}

void TForm1::writeDocument(const QString& path) {
    PreviousCaption = windowTitle();
    try {
        text::EncodedText encoded = encodeDocument(documentText(), format_);
        DocumentFormat format = format_;
        if (!encoded.ok()) {
            // Never write "?" for a character the encoding cannot hold: offer UTF-8, or write nothing.
            if (!platform_.askYesNo(unencodableQuestion(encoded.unencodable))) {
                setWindowTitle(PreviousCaption);
                setModified(true);
                return;
            }
            format = asUtf8(format_);
            encoded = encodeDocument(documentText(), format);
        }
        text::writeFileBytes(path, encoded.bytes);
        format_ = std::move(format);
        setModified(false);
    } catch (...) {
        setWindowTitle(PreviousCaption);
        setModified(true);
        throw;
    }
}

void TForm1::finishSave() {
    CurrentFile = SaveDialog1.fileName;
    WriteResume();
    ReadResume();
}

void TForm1::saveDocument() {
    const ui::BusyCursor busy(platform_);
    const auto finish = qScopeGuard([this] { finishSave(); });
    if (!isModified()) return;
    if (windowTitle() == kUntitledName) {
        saveDocumentAs();
        return;
    }
    writeDocument(windowTitle());
}

void TForm1::saveDocumentAs() {
    const ui::BusyCursor busy(platform_);
    const std::optional<QString> path = chooseFile(SaveDialog1, true);
    if (!path) return;
    setWindowTitle(*path);
    const auto finish = qScopeGuard([this] { finishSave(); });
    writeDocument(*path);
}

// ---- commands ---------------------------------------------------------------------------------------

void TForm1::New1Click() {
    run([this] { newDocument(); });
}

void TForm1::newDocument() {
    if (!askToSave()) return;
    setDocumentText(QString());
    setWindowTitle(kUntitledName);
    format_ = DocumentFormat{};
    setModified(false);
    SetButtons();
}

void TForm1::Open1Click() {
    run([this] { openDocument(); });
}

void TForm1::openDocument() {
    if (!askToSave()) return;
    // The finishing steps run on every way out: a cancelled dialog and a failed load included. They run
    // while a failure may be on its way out, so they must not throw.
    const auto finish = qScopeGuard([this] {
        if (windows_.form2) windows_.form2->VolCount();
        CurrentFile = OpenDialog1.fileName;
        LastDir = QDir::currentPath();
        WriteResume();
        ReadResume();
        SetButtons();
    });
    const ui::BusyCursor busy(platform_);
    const bool wasModified = isModified();
    OpenDialog1.filterIndex = 0;
    const std::optional<QString> path = chooseFile(OpenDialog1, false);
    if (!path) return;
    PreviousCaption = windowTitle();
    setWindowTitle(*path);
    try {
        loadDocument(*path);
    } catch (...) {
        restoreAfterFailedLoad(wasModified);
        throw;
    }
}

void TForm1::restoreAfterFailedLoad(bool wasModified) {
    setWindowTitle(PreviousCaption);
    // The untitled name is no file: the dialog then remembers no file at all.
    OpenDialog1.fileName = PreviousCaption == kUntitledName ? QString() : PreviousCaption;
    setModified(wasModified);
}

void TForm1::FileOpen(const QString& path) {
    const auto finish = qScopeGuard([this, path] {
        if (windows_.form2) windows_.form2->VolCount();
        CurrentFile = path;
        LastDir = QDir::currentPath();
        OpenDialog1.initialDir = folderWithSeparator(path);
        SaveDialog1.initialDir = folderWithSeparator(path);
        SetButtons();
    });
    const ui::BusyCursor busy(platform_);
    const bool wasModified = isModified();
    PreviousCaption = windowTitle();
    setWindowTitle(path);
    try {
        loadDocument(path);
        OpenDialog1.fileName = path;
    } catch (...) {
        restoreAfterFailedLoad(wasModified);
        throw;
    }
}

void TForm1::Save1Click() {
    run([this] { saveDocument(); });
}

void TForm1::SA1Click() {
    run([this] { saveDocumentAs(); });
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::FormCloseQuery(bool& canClose) {
    // Cancel refuses the close, and so does a Yes that saved nothing: the text is never lost. The
    // settings are written either way; a failed save ends the request before that.
    if (!askToSave()) canClose = false;
    WriteSettings();
}

void TForm1::closeEvent(QCloseEvent* event) {
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
            std::make_unique<entry::TForm2>(platform_, *this, entry::userListPath(programDir_), this);
        platform_.runModal(*windows_.form2);
    });
}

void TForm1::CSVO1Click() {
    run([this] {
        windows_.form4 = std::make_unique<csv::TForm4>(this);
        platform_.runModal(*windows_.form4);
    });
}

void TForm1::BibB1Click() {
    run([this] {
        windows_.form5 = std::make_unique<csv::TForm5>(this);
        platform_.runModal(*windows_.form5);
    });
}

// ---- the entry form's view of the document ---------------------------------------------------------

bool TForm1::labelInUse(const QString& label) const {
    const QString key = entry::labelKey(label);
    return key.isEmpty() ? entry::labelInUse(documentText(), label) : index_->hasLabelKey(key);
}

void TForm1::appendLines(const QStringList& lines) {
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(textToAppend(lines, !cursor.block().text().isEmpty()));
}

int TForm1::entryCount() const {
    return index_->entryCount();
}

void TForm1::showEntryCount(const QString& text) {
    statusPanel_->setText(text);
}

// ---- commands that come with later windows -----------------------------------------------------------

void TForm1::SetButtons() {}

void TForm1::WriteResume() {}

void TForm1::ReadResume() {}

void TForm1::ReadSettings() {}

void TForm1::WriteSettings() {}

} // namespace app
