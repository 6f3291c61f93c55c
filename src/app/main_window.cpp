// The main window: its making and wiring, the text-change handling, and the commands that only hand on
// to the editor, a dialog or the platform (edit, find and replace, the check, printing, help, the
// windows of the menu 文献). The document commands are in document_commands.cpp.
#include "app/main_window.h"

#include "app/about_box.h"
#include "app/check_window.h"
#include "app/command_state.h"
#include "app/command_table.h"
#include "app/editor_jump.h"
#include "app/jump_box.h"
#include "app/load_indicator.h"
#include "app/program.h"
#include "app/search_dialogs.h"
#include "base/app_info.h"
#include "base/fonts.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "document/recovery.h"
#include "entry/entry_count.h"
#include "entry/entry_edit.h"
#include "entry/entry_form.h"
#include "entry/user_list.h"
#include "text/search.h"
#include "ui/form_setup.h"
#include "ui/guarded.h"
#include "ui/platform.h"
#include "view/printing.h"
#include "view/store_colouring.h"
#include "view/text_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QWindow>

namespace app {

namespace {

const QString kOpenFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|"
                                           "すべてのファイル(*.*)|*.*");

constexpr QSize kOuterSize(610, 414);

// A status bar panel that shows as much of a message as fits, ending in "…" where it is cut; the tooltip
// holds it whole. It asks for no width of its own, so a long message never widens the window.
class MessagePanel final : public QLabel {
public:
    explicit MessagePanel(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void setMessage(const QString& message) {
        message_ = message;
        setToolTip(message);
        elide();
    }
    const QString& message() const { return message_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(message_, Qt::ElideRight, contentsRect().width())); }
    QString message_;
};

view::TextView* makeEditor(QWidget* parent) {
    auto* editor = new view::TextView(parent);
    editor->setObjectName(QStringLiteral("RichEdit1"));
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return editor;
}

} // namespace

TForm1::TForm1(ui::Platform& platform, Windows& windows, QString programDir, SettingsStore settings)
    : platform_(platform), windows_(windows), programDir_(std::move(programDir)),
      settings_(std::move(settings)), editor_(makeEditor(this)), adapter_(*this),
      recovery_(document_, platform_, *this) {
    setObjectName(QStringLiteral("TForm1"));
    setFont(base::windowFont());
    resize(kOuterSize);
    ui::centreOnScreen(this, kOuterSize);

    commands_ = std::make_unique<CommandTable>(*this);
    fontBoxes_ = std::make_unique<FontBoxes>(*commands_->fontNameBox(), *commands_->fontSizeBox(), *editor_,
                                             [this](int key) { ComboBox2KeyPress(key); });
    connect(commands_->fontNameBox(), &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(commands_->fontSizeBox(), &QComboBox::activated, this, &TForm1::ComboBox2Change);
    recentMenu_ = std::make_unique<RecentFilesMenu>(commands_->recentItems());

    setCentralWidget(editor_);
    connect(editor_, &view::TextView::textChanged, this, &TForm1::RichEdit1Change);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusBar()->addWidget(statusPanel_);
    auto* findingPanel = new MessagePanel(this);
    findingPanel->setObjectName(QStringLiteral("StatusPanel1"));
    statusBar()->addWidget(findingPanel, 1);
    findingPanel_ = findingPanel;
    loadIndicator_ = std::make_unique<LoadIndicator>(
        *this, *editor_, platform_, [this] { cancelLoad(); },
        [this](bool loading) { commands_->setLoading(loading); });

    openDialog_.filter = kOpenFilter;
    saveDialog_.filter = kSaveFilter;
    wireView();
    recovery_.setLoading([this] { return isLoading(); });
    connect(&document_, &Document::pathChanged, this, &TForm1::showPath);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    document_.setPath(QString());
    showPath();
    document_.setModified(false);
    fontBoxes_->fillNames(platform_.fontFamilies());
    ReadSettings();
    applyHighlightSetting();
    openDialog_.initialDir = lastDir_;
    saveDialog_.initialDir = lastDir_;
    ReadResume();
    run([this] { SetButtons(); });
}

void TForm1::showPath() {
    setWindowTitle(document::captionOfPath(document_.path()));
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

// The windows of the menu 文献: each command replaces the current instance with a fresh one, made with
// `extra` before its parent, and shows it modally; the old instance goes once the fresh one exists.
template <typename Form, typename... Extra>
void TForm1::showFreshModal(std::unique_ptr<Form>& current, Extra&&... extra) {
    current = std::make_unique<Form>(platform_, adapter_, std::forward<Extra>(extra)..., this);
    platform_.runModal(*current);
}

void TForm1::L1Click() {
    run([this] { showFreshModal(windows_.form2, entry::findUserList(programDir_)); });
}

void TForm1::Modify1Click() {
    run([this] { changeEntryAtCaret(); });
}

void TForm1::changeEntryAtCaret() {
    const entry::EntryLines lines = colouring_->caretEntry();
    if (!lines.found()) {
        platform_.showMessage(entry::kNoEntryToEdit);
        return;
    }
    // From its "@" (an entry may begin after another's end on its line) to the end of its last line.
    entry::EntryToEdit target;
    const document::TextStore& store = document_.store();
    const qsizetype last = std::min<qsizetype>(lines.last, store.lineCount() - 1);
    target.position = store.lineStart(lines.first) + lines.column;
    target.text =
        store.mid(target.position, store.lineStart(last) + store.lineLength(last) - target.position);
    target.entry = entry::readEntry(target.text);
    if (const QString refusal = entry::editRefusal(target.text, target.entry, lines.first + 1);
        !refusal.isEmpty()) {
        platform_.showMessage(refusal);
        return;
    }
    windows_.form2 =
        std::make_unique<entry::TForm2>(platform_, adapter_, entry::findUserList(programDir_), this);
    windows_.form2->editEntry(std::move(target));
    platform_.runModal(*windows_.form2);
}

void TForm1::CSVO1Click() {
    run([this] { showFreshModal(windows_.form4); });
}

void TForm1::BibB1Click() {
    run([this] { showFreshModal(windows_.form5); });
}

// ---- edit commands, find and replace ------------------------------------------------------------

// The edit commands of the main window (undo, cut, copy, paste, delete, select all) and find and
// replace through findDialog_ and replaceDialog_. The rules of searching are text::findNext,
// text::findFirstExact and text::replaceAll; this file only wires them to the editor. Every change goes
// through the editor, whose change signal runs the text-change handling and sets the modified flag.

namespace {

const QString kNotFound = QStringLiteral("見つかりませんでした");

} // namespace

void TForm1::Undo1Click() {
    run([this] { editor_->undo(); });
}

void TForm1::Cut1Click() {
    run([this] { editor_->cut(); });
}

void TForm1::Copy1Click() {
    run([this] { editor_->copy(); });
}

void TForm1::Paste1Click() {
    run([this] { editor_->paste(); });
}

void TForm1::Delete1Click() {
    run([this] { editor_->deleteSelection(); });
}

void TForm1::A2Click() {
    run([this] { editor_->selectAll(); });
}

SearchDialog& TForm1::findDialog() {
    if (!findDialog_) {
        findDialog_ = new SearchDialog(SearchDialog::Kind::Find, this);
        ui::helpOnF1(findDialog_, platform_, QStringLiteral("edit_search#dialogs"));
        connect(findDialog_, &SearchDialog::findRequested, this, &TForm1::FindDialog1Find);
    }
    return *findDialog_;
}

SearchDialog& TForm1::replaceDialog() {
    if (!replaceDialog_) {
        replaceDialog_ = new SearchDialog(SearchDialog::Kind::Replace, this);
        ui::helpOnF1(replaceDialog_, platform_, QStringLiteral("edit_search#dialogs"));
        connect(replaceDialog_, &SearchDialog::findRequested, this, &TForm1::ReplaceDialog1Find);
        connect(replaceDialog_, &SearchDialog::replaceRequested, this, &TForm1::ReplaceDialog1Replace);
        // The text is not the user's to change while a file loads, however late the dialog is made.
        for (QWidget* button : replaceDialog_->changeButtons())
            commands_->addChangeControl(button);
    }
    return *replaceDialog_;
}

void TForm1::Find2Click() {
    run([this] { findDialog().showBeside(); });
}

void TForm1::Replace1Click() {
    run([this] { replaceDialog().showBeside(); });
}

void TForm1::FindDialog1Find() {
    run([this] { findNext(findDialog().findText()); });
}

void TForm1::ReplaceDialog1Find() {
    run([this] { findNext(replaceDialog().findText()); });
}

void TForm1::ReplaceDialog1Replace() {
    run([this] { replaceAsAsked(); });
}

void TForm1::replaceAsAsked() {
    const SearchDialog& dialog = replaceDialog();
    if (dialog.options() & SearchDialog::ReplaceFlag)
        replaceFirst(dialog.findText(), dialog.replaceText());
    else if (dialog.options() & SearchDialog::ReplaceAllFlag)
        replaceAll(dialog.findText(), dialog.replaceText());
}

void TForm1::findNext(const QString& findText) {
    // From the end of the selection; with none, from the top wherever the caret stands.
    const qsizetype from = editor_->hasSelection() ? editor_->selectionEnd() : 0;
    const qsizetype at = document_.findNext(findText, from);
    if (at < 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    activateWindow();
    editor_->setFocus();
    showFound(*editor_, at, at + findText.size());
}

void TForm1::replaceFirst(const QString& findText, const QString& replacement) {
    // The first occurrence of the whole document, whatever is selected; the focus stays where it is.
    const qsizetype at = text::findFirstExact(document_.store().text(), findText);
    if (at < 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    document_.applyEdits({{at, findText.size(), replacement}});
    editor_->setCaret(at + replacement.size());
}

void TForm1::replaceAll(const QString& findText, const QString& replacement) {
    const text::ReplaceAllResult result = text::replaceAll(document_.store().text(), findText, replacement);
    if (result.count == 0) {
        platform_.showMessage(kNotFound);
        return;
    }
    // One step of the history, and one text-change handling for all of it; an undo puts the caret where
    // the first replacement was.
    editor_->beginStep(result.edits.first().position);
    const auto endStep = qScopeGuard([this] { editor_->endStep(); });
    document_.applyEdits(result.edits);
    // The caret ends after the last replacement, as if each had been selected and replaced in turn.
    const text::TextEdit& last = result.edits.last();
    qsizetype end = 0;
    for (const text::TextEdit& e : result.edits)
        end += e.replacement.size() - e.length;
    editor_->setCaret(last.position + last.length + end);
    platform_.showMessage(QString::number(result.count) + QStringLiteral("個置換えました"));
}

// ---- the check ----------------------------------------------------------------------------------

// The check commands of the main window: 文献の検査 opens the modeless CheckWindow (made at its first use)
// and checks the document; F8 and Shift+F8 walk the findings without it. The check runs on these commands
// only, never on a keystroke.

CheckWindow& TForm1::checkWindow() {
    if (!checkWindow_) {
        checkWindow_ = new CheckWindow(this, editor_, document_);
        checkWindow_->setStoredPlace(checkPlace_);
        ui::helpOnF1(checkWindow_, platform_, QStringLiteral("check#window"));
        // F8 and Shift+F8 work in the window as well.
        for (const char* name : {"NextFinding1", "PreviousFinding1"})
            checkWindow_->addAction(findChild<QAction*>(QString::fromLatin1(name)));
        // While a large file loads, the text is half there: 再検査 and the findings wait, as the menu's
        // check commands do.
        for (const char* name : {"RecheckButton", "FindingList"})
            commands_->addChangeControl(checkWindow_->findChild<QWidget*>(QString::fromLatin1(name)));
    }
    return *checkWindow_;
}

void TForm1::Check1Click() {
    run([this] { checkDocument(); });
}

void TForm1::checkDocument() {
    CheckWindow& window = checkWindow();
    {
        ui::BusyCursor busy(platform_);
        window.recheck();
    }
    window.showBeside();
}

void TForm1::NextFinding1Click() {
    run([this] { walkFindings(true); });
}

void TForm1::PreviousFinding1Click() {
    run([this] { walkFindings(false); });
}

void TForm1::walkFindings(bool forward) {
    CheckWindow& window = checkWindow();
    const CheckWindow::Item* item = window.walk(forward) ? window.walked() : nullptr;
    // Without the window in sight, the status bar says what is wrong on the line the caret went to.
    showFinding(item ? window.description(*item) : QString(), document_.store().lineAt(editor_->caret()));
}

void TForm1::showFinding(const QString& message, qsizetype line) {
    findingLine_ = message.isEmpty() ? -1 : line;
    static_cast<MessagePanel*>(findingPanel_)->setMessage(message);
}

QString TForm1::findingShown() const {
    return static_cast<const MessagePanel*>(findingPanel_)->message();
}

// ---- printing -----------------------------------------------------------------------------------

// Printer setup and printing of the document, through the platform's dialogs.

QPrinter& TForm1::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TForm1::A1Click() {
    run([this] { platform_.setUpPrinter(printer()); });
}

void TForm1::Print1Click() {
    run([this] { printDocument(); });
}

void TForm1::printDocument() {
    if (!platform_.choosePrinter(printer())) return;
    const ui::BusyCursor busy(platform_);
    const QString text = document_.text();
    // An empty document has no lines.
    view::printLines(text.isEmpty() ? QStringList() : text.split(u'\n'), editor_->font(), printer());
}

// ---- help and the about box ---------------------------------------------------------------------

// Help and the about box.

void TForm1::Help2Click() {
    run([this] { platform_.showHelp(base::kHelpFile, {}); });
}

// The one about box made at program start, shown again each time.
void TForm1::About1Click() {
    run([this] { platform_.runModal(*windows_.aboutBox); });
}

// ---- command state and font boxes -------------------------------------------------------------------

void TForm1::ComboBox1Change() {
    run([this] { fontBoxes_->namePicked(); });
}

void TForm1::ComboBox2Change() {
    run([this] { fontBoxes_->sizePicked(); });
}

void TForm1::ComboBox2KeyPress(int key) {
    run([&] { fontBoxes_->keyPressed(key); });
}

void TForm1::SetButtons() {
    // While a file loads, the state of the previous document holds; the update runs when the load is done.
    if (isLoading()) return;
    fontBoxes_->takeTyped(); // a size that is no whole number is reported, and the enabling waits
    commands_->setDocumentState(document_.isEmpty(), document_.isModified());
}

// ---- the view: colouring, jump and entry keys ------------------------------------------------------

// The main window's view of the text: the colouring and its menu item 色分け表示, 文献へ移動 over the box
// jumpDialog_, and Ctrl+Down and Ctrl+Up, which move the caret from entry head to entry head.

namespace {

// Ctrl+Down, Ctrl+Up and Ctrl+E reach the editor's window before the editor.
class EntryKeys final : public QObject {
public:
    explicit EntryKeys(TForm1& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() != Qt::ControlModifier &&
            key->modifiers() != (Qt::ControlModifier | Qt::KeypadModifier))
            return false;
        if (key->key() == Qt::Key_Down) {
            window_.nextEntry();
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            window_.previousEntry();
            return true;
        }
        // The editor takes Ctrl+E for the end of the line where the desktop's keys say so; here it is
        // 文献の修正, which does nothing while it is grey.
        if (key->key() == Qt::Key_E) {
            if (auto* modify = window_.findChild<QAction*>(QStringLiteral("Modify1"));
                modify && modify->isEnabled())
                modify->trigger();
            return true;
        }
        return false;
    }

private:
    TForm1& window_;
};

} // namespace

void TForm1::wireView() {
    // The view shows the document's store; a load or New puts a new one in place, shown from its start,
    // and a finding's message goes with the text it was found in.
    editor_->setBuffer(&document_.store(), &document_.history());
    editor_->setWrapAnywhere(document_.hasLongLine());
    connect(&document_, &Document::longLineChanged, editor_, &view::TextView::setWrapAnywhere);
    connect(&document_, &Document::storeReplaced, this, [this] {
        editor_->setBuffer(&document_.store(), &document_.history());
        showFinding({}, -1);
    });
    // The message stays in the status bar while the caret stays on its line, which moves with the lines
    // put in or taken out above it.
    connect(editor_, &view::TextView::linesReplaced, this,
            [this](qsizetype first, qsizetype removed, qsizetype added) {
                if (findingLine_ > first + removed)
                    findingLine_ += added - removed;
                else if (findingLine_ > first + added)
                    findingLine_ = first + added; // its line went: the line the change ends on stands for it
            });
    connect(editor_, &view::TextView::cursorPositionChanged, this, [this] {
        if (findingLine_ >= 0 && document_.store().lineAt(editor_->caret()) != findingLine_)
            showFinding({}, -1);
    });
    colouring_ = new view::StoreColouring(editor_);
    colouring_->setBusy([this] { return isLoading(); });
    editor_->installEventFilter(new EntryKeys(*this));
}

void TForm1::applyHighlightSetting() {
    findChild<QAction*>(QStringLiteral("Highlight1"))->setChecked(highlight_);
    colouring_->setEnabled(highlight_);
}

void TForm1::Highlight1Click() {
    run([this] { followHighlightItem(); });
}

void TForm1::followHighlightItem() {
    highlight_ = findChild<QAction*>(QStringLiteral("Highlight1"))->isChecked();
    colouring_->setEnabled(highlight_);
}

JumpBox& TForm1::jumpBox() {
    if (!jumpDialog_) {
        jumpDialog_ = new JumpBox(this);
        ui::helpOnF1(jumpDialog_, platform_, QStringLiteral("main_window#jump"));
        connect(jumpDialog_, &JumpBox::jumpRequested, this, &TForm1::JumpDialog1Jump);
    }
    return *jumpDialog_;
}

void TForm1::Jump1Click() {
    run([this] {
        jumpBox().showWith([this]() -> const document::HeadLabels& { return document_.headLabels(); });
    });
}

void TForm1::JumpDialog1Jump() {
    run([this] { jumpToEntry(); });
}

void TForm1::jumpToEntry() {
    const qsizetype head = document_.entryHead(jumpBox().label());
    if (head < 0) {
        platform_.showMessage(kNotFound);
        jumpBox().refocus();
        return;
    }
    moveToLine(head);
    jumpBox().hide();
    activateWindow();
    editor_->setFocus();
}

void TForm1::moveToLine(qsizetype line) {
    editor_->setCaret(document_.store().lineStart(line));
    editor_->scrollToLine(line);
}

void TForm1::nextEntry() {
    const document::TextStore& store = document_.store();
    for (qsizetype line = store.lineAt(editor_->caret()) + 1; line < store.lineCount(); ++line)
        if (document_.isEntryHead(line)) {
            const qsizetype start = store.lineStart(line);
            showFound(*editor_, start, start);
            return;
        }
}

void TForm1::previousEntry() {
    const document::TextStore& store = document_.store();
    for (qsizetype line = store.lineAt(editor_->caret()) - 1; line >= 0; --line)
        if (document_.isEntryHead(line)) {
            const qsizetype start = store.lineStart(line);
            showFound(*editor_, start, start);
            return;
        }
}

} // namespace app
