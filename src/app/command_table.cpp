#include "app/command_table.h"

#include "app/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace app {

namespace {

using Handler = void (TForm1::*)();
using Enabled = CommandTable::Enabled;

enum class Row { Menu, Item, Check, Separator, Recent };

// A standard key (which follows the desktop's conventions) or a key sequence written out ("F8").
struct Shortcut {
    constexpr Shortcut() = default;
    constexpr Shortcut(QKeySequence::StandardKey key) : standard(key) {}
    constexpr Shortcut(const char* keys) : text(keys) {}
    QKeySequence::StandardKey standard = QKeySequence::UnknownKey;
    const char* text = nullptr;
};

constexpr Enabled kAlways = Enabled::Always;
constexpr Enabled kNotEmpty = Enabled::WhileNotEmpty;
constexpr Enabled kModified = Enabled::WhileModified;
constexpr bool kWaits = true; // greyed while a large file loads
constexpr bool kGoesOn = false;

struct CommandRow {
    Row kind;
    const char* name;
    const char* caption = nullptr; // UTF-8
    Enabled enabled = kAlways;
    bool waits = kGoesOn;
    Handler handler = nullptr;
    Shortcut shortcut = {};
    const char* hint = nullptr; // UTF-8; the tool button's tip
    // The picture's freedesktop name: the desktop theme's icon of that name, else the program's own
    // (data/toolbar/NAME.svg), never a style's stand-in, which can show anything on a desktop without a
    // theme.
    const char* icon = nullptr;
};

// The menu bar, top to bottom; each Menu row opens the menu the rows after it belong to. A command waits
// while a large file loads when it would change or replace the document (or save, print or export half of
// it); exit, help, the about box, copying and selecting go on. A menu's row greys the whole menu.
// clang-format off
const CommandRow kCommands[] = {
    {Row::Menu, "File1", "ファイル(&F)"},
    {Row::Item, "New1", "新規作成(&N)", kNotEmpty, kWaits, &TForm1::New1Click, QKeySequence::New,
     "新規ファイルの作成", "document-new"},
    {Row::Item, "Open1", "開く(&O)", kAlways, kWaits, &TForm1::Open1Click, QKeySequence::Open,
     "ファイルを開く", "document-open"},
    {Row::Item, "Save1", "上書き保存(&S)", kNotEmpty, kWaits, &TForm1::Save1Click, QKeySequence::Save,
     "上書き保存", "document-save"},
    {Row::Item, "SA1", "名前を付けて保存(&S)", kNotEmpty, kWaits, &TForm1::SA1Click},
    {Row::Separator, "N1"},
    {Row::Item, "A1", "印刷設定(&A)", kAlways, kGoesOn, &TForm1::A1Click},
    {Row::Item, "Print1", "印刷(&P)", kNotEmpty, kWaits, &TForm1::Print1Click, QKeySequence::Print,
     "印刷", "document-print"},
    {Row::Separator, "N2"},
    {Row::Item, "Exit1", "終了(&C)", kAlways, kGoesOn, &TForm1::Exit1Click, {},
     "終了", "application-exit"},
    {Row::Separator, "N3"},
    {Row::Recent, "N11", "&1", Enabled::WhileItNamesAFile, kWaits, &TForm1::N11Click},
    {Row::Recent, "N21", "&2", Enabled::WhileItNamesAFile, kWaits, &TForm1::N21Click},
    {Row::Recent, "N31", "&3", Enabled::WhileItNamesAFile, kWaits, &TForm1::N31Click},
    {Row::Recent, "N41", "&4", Enabled::WhileItNamesAFile, kWaits, &TForm1::N41Click},
    {Row::Recent, "N51", "&5", Enabled::WhileItNamesAFile, kWaits, &TForm1::N51Click},
    {Row::Menu, "Edit1", "編集(&E)"},
    {Row::Item, "Undo1", "元に戻す(&R)", kModified, kWaits, &TForm1::Undo1Click, QKeySequence::Undo,
     "元に戻す", "edit-undo"},
    {Row::Item, "Cut1", "切り取り(&T)", kNotEmpty, kWaits, &TForm1::Cut1Click, QKeySequence::Cut,
     "切り取り", "edit-cut"},
    {Row::Item, "Copy1", "コピー(&C)", kNotEmpty, kGoesOn, &TForm1::Copy1Click, QKeySequence::Copy,
     "コピー", "edit-copy"},
    {Row::Item, "Paste1", "貼り付け(&P)", kAlways, kWaits, &TForm1::Paste1Click, QKeySequence::Paste,
     "貼り付け", "edit-paste"},
    {Row::Item, "Delete1", "削除(&D)", kNotEmpty, kWaits, &TForm1::Delete1Click, {},
     "削除", "edit-delete"},
    {Row::Item, "A2", "全て選択(&A)", kNotEmpty, kGoesOn, &TForm1::A2Click, QKeySequence::SelectAll,
     "すべて選択", "edit-select-all"},
    {Row::Menu, "Find1", "検索(&S)", kNotEmpty, kWaits},
    {Row::Item, "Find2", "検索(&S)", kNotEmpty, kWaits, &TForm1::Find2Click, QKeySequence::Find,
     "検索", "edit-find"},
    {Row::Item, "Replace1", "置換(&R)", kNotEmpty, kWaits, &TForm1::Replace1Click, QKeySequence::Replace,
     "置換", "edit-find-replace"},
    {Row::Item, "Jump1", "文献へ移動(&J)", kNotEmpty, kWaits, &TForm1::Jump1Click, "Ctrl+J"},
    {Row::Menu, "View1", "表示(&V)"},
    {Row::Check, "Highlight1", "色分け表示(&C)", kAlways, kGoesOn, &TForm1::Highlight1Click},
    {Row::Menu, "B1", "文献(&B)"},
    {Row::Item, "L1", "文献リスト作成(&L)", kAlways, kWaits, &TForm1::L1Click, {},
     "文献ﾘｽﾄ作成", "x-office-address-book"},
    {Row::Item, "Modify1", "文献の修正(&E)", kNotEmpty, kWaits, &TForm1::Modify1Click, "Ctrl+E"},
    {Row::Item, "BibB1", "CSVファイルから変換(&B)", kAlways, kWaits, &TForm1::BibB1Click, {},
     "CSVファイル形式から変換", "document-import"},
    {Row::Item, "CSVO1", "CSVファイルに変換(&O)", kNotEmpty, kWaits, &TForm1::CSVO1Click, {},
     "CSVファイル形式に変換", "document-export"},
    {Row::Separator, "N4"},
    {Row::Item, "Check1", "文献の検査(&K)", kNotEmpty, kWaits, &TForm1::Check1Click, "Ctrl+Shift+K"},
    {Row::Item, "NextFinding1", "次の検査結果(&N)", kNotEmpty, kWaits, &TForm1::NextFinding1Click, "F8"},
    {Row::Item, "PreviousFinding1", "前の検査結果(&P)", kNotEmpty, kWaits, &TForm1::PreviousFinding1Click,
     "Shift+F8"},
    {Row::Menu, "Help1", "ヘルプ(&H)"},
    {Row::Item, "Help2", "ヘルプ(&H)", kAlways, kGoesOn, &TForm1::Help2Click, QKeySequence::HelpContents,
     "ヘルプ", "help-contents"},
    {Row::Item, "About1", "ﾊﾞｰｼﾞｮﾝ情報(&V)", kAlways, kGoesOn, &TForm1::About1Click},
};

// The tool buttons, left to right, each a view of its command's action (its icon, hint and state).
const struct {
    const char* name;
    const char* command;
} kToolButtons[] = {
    {"ToolButton1", "New1"}, {"ToolButton2", "Open1"}, {"ToolButton3", "Save1"}, {"ToolButton4", "Print1"},
    {"ToolButton16", "Undo1"}, {"ToolButton5", "Cut1"}, {"ToolButton6", "Copy1"}, {"ToolButton7", "Paste1"},
    {"ToolButton8", "Delete1"}, {"ToolButton9", "A2"}, {"ToolButton10", "Find2"}, {"ToolButton11", "Replace1"},
    {"ToolButton12", "L1"}, {"ToolButton18", "BibB1"}, {"ToolButton15", "CSVO1"}, {"ToolButton17", "Help2"},
    {"ToolButton13", "Exit1"},
};
// clang-format on

constexpr int kToolBarHeight = 22;
constexpr int kButtonSpacing = 23;

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

} // namespace

QIcon toolBarIcon(const QString& name) {
    return QIcon::fromTheme(name, QIcon(QStringLiteral(":/toolbar/") + name + QStringLiteral(".svg")));
}

const QStringList& fontSizes() {
    static const QStringList sizes = {QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"),
                                      QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                                      QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("20"),
                                      QStringLiteral("25")};
    return sizes;
}

CommandTable::CommandTable(TForm1& window) {
    buildMenu(window);
    buildToolBar(window);
    apply();
}

void CommandTable::buildMenu(TForm1& window) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* menu = nullptr;
    int recent = 0;
    for (const CommandRow& row : kCommands) {
        const QString name = QString::fromLatin1(row.name);
        const QString caption = QString::fromUtf8(row.caption);
        if (row.kind == Row::Separator) {
            menu->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = nullptr;
        if (row.kind == Row::Menu) {
            menu = bar->addMenu(caption);
            menu->setObjectName(name);
            action = menu->menuAction();
        } else {
            action = menu->addAction(caption);
            if (row.shortcut.standard != QKeySequence::UnknownKey) action->setShortcut(row.shortcut.standard);
            if (row.shortcut.text) action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut.text)));
            if (row.hint) action->setToolTip(QString::fromUtf8(row.hint));
            if (row.icon) {
                action->setIcon(toolBarIcon(QString::fromLatin1(row.icon)));
                action->setIconVisibleInMenu(false); // the icons are the tool bar's
            }
            if (row.kind == Row::Check) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            if (row.handler) QObject::connect(action, &QAction::triggered, &window, row.handler);
            if (row.kind == Row::Recent) recentItems_[recent++] = action;
        }
        action->setObjectName(name);
        commands_.append({action, row.enabled, row.waits});
    }
}

void CommandTable::buildToolBar(TForm1& window) {
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

    for (const auto& row : kToolButtons) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kButtonSpacing, kToolBarHeight);
        button->setDefaultAction(window.menuBar()->findChild<QAction*>(QString::fromLatin1(row.command)));
        toolBar->addWidget(button);
    }
    auto* separator = new QFrame(toolBar);
    separator->setObjectName(QStringLiteral("ToolButton14"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedSize(8, kToolBarHeight);
    toolBar->addWidget(separator);

    fontNameBox_ = fontBox(toolBar, "ComboBox1", QStringLiteral("フォント名"), 145);
    fontSizeBox_ = fontBox(toolBar, "ComboBox2", QStringLiteral("フォントのサイズ"), 47);
    fontSizeBox_->addItems(fontSizes());
}

bool CommandTable::enabled(const Command& command) const {
    if (command.waits && state_.loading) return false;
    switch (command.enabled) {
    case Enabled::Always:
        return true;
    case Enabled::WhileNotEmpty:
        return !state_.empty;
    case Enabled::WhileModified:
        return state_.modified;
    case Enabled::WhileItNamesAFile:
        return !command.action->data().toString().isEmpty();
    }
    return true;
}

void CommandTable::apply() {
    for (const Command& command : std::as_const(commands_))
        command.action->setEnabled(enabled(command));
    for (const QPointer<QWidget>& control : std::as_const(changeControls_))
        if (control) control->setEnabled(state_.changesAllowed());
}

void CommandTable::setDocumentState(bool empty, bool modified) {
    state_.empty = empty;
    state_.modified = modified;
    apply();
}

void CommandTable::setLoading(bool loading) {
    state_.loading = loading;
    apply();
}

void CommandTable::addChangeControl(QWidget* control) {
    changeControls_.append(control);
    control->setEnabled(state_.changesAllowed());
}

void RecentFilesMenu::show(const settings::RecentFileList& files) {
    files_ = files;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        items_[i]->setText(settings::recentItemCaption(int(i) + 1, files_[i]));
        items_[i]->setData(files_[i]);
    }
}

} // namespace app
