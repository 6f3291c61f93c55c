#include "app/command_table.h"

#include "app/main_window.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace app {

namespace {

using Handler = void (TForm1::*)();

enum class Row { Menu, Item, Check, Separator, Recent };

struct MenuRow {
    Row kind;
    const char* name;
    const char* caption = nullptr; // UTF-8
    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
    Handler handler = nullptr;
    const char* keys = nullptr; // a shortcut that is no standard key
};

// The menu bar, top to bottom; each Menu row opens the menu the rows after it belong to.
// clang-format off
const MenuRow kMenuRows[] = {
    {Row::Menu, "File1", "ファイル(&F)"},
    {Row::Item, "New1", "新規作成(&N)", QKeySequence::New, &TForm1::New1Click},
    {Row::Item, "Open1", "開く(&O)", QKeySequence::Open, &TForm1::Open1Click},
    {Row::Item, "Save1", "上書き保存(&S)", QKeySequence::Save, &TForm1::Save1Click},
    {Row::Item, "SA1", "名前を付けて保存(&S)", QKeySequence::UnknownKey, &TForm1::SA1Click},
    {Row::Separator, "N1"},
    {Row::Item, "A1", "印刷設定(&A)", QKeySequence::UnknownKey, &TForm1::A1Click},
    {Row::Item, "Print1", "印刷(&P)", QKeySequence::Print, &TForm1::Print1Click},
    {Row::Separator, "N2"},
    {Row::Item, "Exit1", "終了(&C)", QKeySequence::UnknownKey, &TForm1::Exit1Click},
    {Row::Separator, "N3"},
    {Row::Recent, "N11", "&1", QKeySequence::UnknownKey, &TForm1::N11Click},
    {Row::Recent, "N21", "&2", QKeySequence::UnknownKey, &TForm1::N21Click},
    {Row::Recent, "N31", "&3", QKeySequence::UnknownKey, &TForm1::N31Click},
    {Row::Recent, "N41", "&4", QKeySequence::UnknownKey, &TForm1::N41Click},
    {Row::Recent, "N51", "&5", QKeySequence::UnknownKey, &TForm1::N51Click},
    {Row::Menu, "Edit1", "編集(&E)"},
    {Row::Item, "Undo1", "元に戻す(&R)", QKeySequence::Undo, &TForm1::Undo1Click},
    {Row::Item, "Cut1", "切り取り(&T)", QKeySequence::Cut, &TForm1::Cut1Click},
    {Row::Item, "Copy1", "コピー(&C)", QKeySequence::Copy, &TForm1::Copy1Click},
    {Row::Item, "Paste1", "貼り付け(&P)", QKeySequence::Paste, &TForm1::Paste1Click},
    {Row::Item, "Delete1", "削除(&D)", QKeySequence::UnknownKey, &TForm1::Delete1Click},
    {Row::Item, "A2", "全て選択(&A)", QKeySequence::SelectAll, &TForm1::A2Click},
    {Row::Menu, "Find1", "検索(&S)"},
    {Row::Item, "Find2", "検索(&S)", QKeySequence::Find, &TForm1::Find2Click},
    {Row::Item, "Replace1", "置換(&R)", QKeySequence::Replace, &TForm1::Replace1Click},
    {Row::Item, "Jump1", "文献へ移動(&J)", QKeySequence::UnknownKey, &TForm1::Jump1Click, "Ctrl+J"},
    {Row::Menu, "View1", "表示(&V)"},
    {Row::Check, "Highlight1", "色分け表示(&C)", QKeySequence::UnknownKey, &TForm1::Highlight1Click},
    {Row::Menu, "B1", "文献(&B)"},
    {Row::Item, "L1", "文献リスト作成(&L)", QKeySequence::UnknownKey, &TForm1::L1Click},
    {Row::Item, "BibB1", "CSVファイルから変換(&B)", QKeySequence::UnknownKey, &TForm1::BibB1Click},
    {Row::Item, "CSVO1", "CSVファイルに変換(&O)", QKeySequence::UnknownKey, &TForm1::CSVO1Click},
    {Row::Separator, "N4"},
    {Row::Item, "Check1", "文献の検査(&K)", QKeySequence::UnknownKey, &TForm1::Check1Click, "Ctrl+Shift+K"},
    {Row::Item, "NextFinding1", "次の検査結果(&N)", QKeySequence::UnknownKey, &TForm1::NextFinding1Click, "F8"},
    {Row::Item, "PreviousFinding1", "前の検査結果(&P)", QKeySequence::UnknownKey, &TForm1::PreviousFinding1Click,
     "Shift+F8"},
    {Row::Menu, "Help1", "ヘルプ(&H)"},
    {Row::Item, "Help2", "ヘルプ(&H)", QKeySequence::HelpContents, &TForm1::Help2Click},
    {Row::Item, "About1", "ﾊﾞｰｼﾞｮﾝ情報(&V)", QKeySequence::UnknownKey, &TForm1::About1Click},
};

struct ButtonRow {
    const char* name;
    const char* hint;    // UTF-8
    const char* command; // the menu item whose handler the button runs
    const char* themeIcon;
    QStyle::StandardPixmap fallbackIcon;
};

// The tool buttons, left to right: each runs exactly the command of its menu item.
const ButtonRow kButtonRows[] = {
    {"ToolButton1", "新規ファイルの作成", "New1", "document-new", QStyle::SP_FileIcon},
    {"ToolButton2", "ファイルを開く", "Open1", "document-open", QStyle::SP_DialogOpenButton},
    {"ToolButton3", "上書き保存", "Save1", "document-save", QStyle::SP_DialogSaveButton},
    {"ToolButton4", "印刷", "Print1", "document-print", QStyle::SP_ComputerIcon},
    {"ToolButton16", "元に戻す", "Undo1", "edit-undo", QStyle::SP_ArrowBack},
    {"ToolButton5", "切り取り", "Cut1", "edit-cut", QStyle::SP_DialogDiscardButton},
    {"ToolButton6", "コピー", "Copy1", "edit-copy", QStyle::SP_FileDialogNewFolder},
    {"ToolButton7", "貼り付け", "Paste1", "edit-paste", QStyle::SP_DialogApplyButton},
    {"ToolButton8", "削除", "Delete1", "edit-delete", QStyle::SP_TrashIcon},
    {"ToolButton9", "すべて選択", "A2", "edit-select-all", QStyle::SP_FileDialogListView},
    {"ToolButton10", "検索", "Find2", "edit-find", QStyle::SP_FileDialogContentsView},
    {"ToolButton11", "置換", "Replace1", "edit-find-replace", QStyle::SP_BrowserReload},
    {"ToolButton12", "文献ﾘｽﾄ作成", "L1", "x-office-address-book", QStyle::SP_FileDialogDetailedView},
    {"ToolButton18", "CSVファイル形式から変換", "BibB1", "document-import", QStyle::SP_ArrowLeft},
    {"ToolButton15", "CSVファイル形式に変換", "CSVO1", "document-export", QStyle::SP_ArrowRight},
    {"ToolButton17", "ヘルプ", "Help2", "help-contents", QStyle::SP_DialogHelpButton},
    {"ToolButton13", "終了", "Exit1", "application-exit", QStyle::SP_DialogCloseButton},
};
// clang-format on

constexpr int kToolBarHeight = 22;
constexpr int kButtonSpacing = 23;

Handler handlerOf(const char* item) {
    for (const MenuRow& row : kMenuRows)
        if (qstrcmp(row.name, item) == 0) return row.handler;
    return nullptr;
}

void buildMenu(TForm1& window, CommandControls& controls) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* menu = nullptr;
    int recent = 0;
    for (const MenuRow& row : kMenuRows) {
        const QString name = QString::fromLatin1(row.name);
        const QString caption = QString::fromUtf8(row.caption);
        if (row.kind == Row::Menu) {
            menu = bar->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            continue;
        }
        if (row.kind == Row::Separator) {
            menu->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (row.shortcut != QKeySequence::UnknownKey) action->setShortcut(row.shortcut);
        if (row.keys) action->setShortcut(QKeySequence(QString::fromLatin1(row.keys)));
        if (row.kind == Row::Check) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (row.handler) QObject::connect(action, &QAction::triggered, &window, row.handler);
        if (row.kind == Row::Recent) {
            action->setEnabled(false);
            controls.recentItems[recent++] = action;
        }
    }
}

QComboBox* fontBox(QToolBar* toolBar, const char* name, const QString& hint, int width) {
    auto* box = new QComboBox(toolBar);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(hint);
    box->setFixedSize(width, kToolBarHeight);
    box->setFocusPolicy(Qt::ClickFocus); // the font boxes take no part in the tab order
    toolBar->addWidget(box);
    return box;
}

void buildToolBar(TForm1& window, CommandControls& controls) {
    QToolBar* toolBar = window.addToolBar(QString());
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    // The buttons stand 23 pixels apart in a bar 22 pixels high, font boxes included.
    toolBar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    toolBar->layout()->setSpacing(0);
    toolBar->layout()->setContentsMargins(0, 0, 0, 0);
    toolBar->setFixedHeight(kToolBarHeight);

    for (const ButtonRow& row : kButtonRows) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setToolTip(QString::fromUtf8(row.hint));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonSpacing, kToolBarHeight);
        button->setIcon(QIcon::fromTheme(QString::fromLatin1(row.themeIcon),
                                         window.style()->standardIcon(row.fallbackIcon)));
        if (const Handler handler = handlerOf(row.command))
            QObject::connect(button, &QToolButton::clicked, &window, handler);
        toolBar->addWidget(button);
    }
    auto* separator = new QFrame(toolBar);
    separator->setObjectName(QStringLiteral("ToolButton14"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedSize(8, kToolBarHeight);
    toolBar->addWidget(separator);

    controls.fontNameBox = fontBox(toolBar, "ComboBox1", QStringLiteral("フォント名"), 145);
    controls.fontSizeBox = fontBox(toolBar, "ComboBox2", QStringLiteral("フォントのサイズ"), 47);
    controls.fontSizeBox->addItems(fontSizes());
}

} // namespace

const QStringList& fontSizes() {
    static const QStringList sizes = {QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"),
                                      QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                                      QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("20"),
                                      QStringLiteral("25")};
    return sizes;
}

CommandControls buildCommands(TForm1& window) {
    CommandControls controls;
    buildMenu(window, controls);
    buildToolBar(window, controls);
    return controls;
}

} // namespace app
