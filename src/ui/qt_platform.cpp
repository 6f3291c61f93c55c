#include "ui/qt_platform.h"

#include "base/app_info.h"
#include "ui/help_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>
#include <QWindow>

namespace ui {

namespace {

// Message texts keep the Windows line break "\r\n"; a Qt label breaks at "\n" alone.
QString displayText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

// The busy pointer belongs to the work, not to a question asked in the middle of it: a dialog or
// message box shows the normal pointer while it is open.
int execute(QDialog& dialog) {
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const auto restore = qScopeGuard([busy] {
        if (busy) QApplication::restoreOverrideCursor();
    });
    return dialog.exec();
}

QStringList filterPairs(const QString& filter) {
    return filter.split(u'|');
}

// The type chosen, as an index of `filters`. A desktop's own dialog names it by its filter; Qt's own
// dialog, with the patterns hidden, by the name it shows alone ("文献ファイル(*.bib)"), which is no
// filter: the index is then the one of its own list of types, which lists the filters in their order.
int chosenType(const QFileDialog& dialog, const QStringList& filters) {
    const qsizetype named = filters.indexOf(dialog.selectedNameFilter());
    if (named >= 0) return int(named);
    const auto* types = dialog.findChild<const QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (types && types->count() == filters.size() && types->currentIndex() >= 0) return types->currentIndex();
    return 0;
}

std::optional<QString> runFileDialog(FileDialogState& state, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(dialogParent());
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(state.filter);
    dialog.setNameFilters(filters);
    if (state.filterIndex >= 0 && state.filterIndex < filters.size())
        dialog.selectNameFilter(filters[state.filterIndex]);
    if (!state.initialDir.isEmpty()) dialog.setDirectory(state.initialDir);
    // The file chosen last, with its folder, as the desktop's file dialogs remember it.
    if (!state.fileName.isEmpty()) dialog.selectFile(state.fileName);
    if (execute(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    state.fileName = dialog.selectedFiles().constFirst();
    state.filterIndex = chosenType(dialog, filters);
    return state.fileName;
}

} // namespace

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filterPairs(filter);
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(u';', u' ');
        if (pattern == u"*.*") pattern = QStringLiteral("*");
        out.append(parts[i] + QStringLiteral(" (") + pattern + u')');
    }
    return out;
}

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

void QtPlatform::showMessage(const QString& text) {
    // A plain message: no icon, only the save-changes warning and the error report carry one.
    QMessageBox box(QMessageBox::NoIcon, base::kApplicationTitle, displayText(text), QMessageBox::Ok,
                    dialogParent());
    execute(box);
}

SaveAnswer QtPlatform::askSaveChanges() {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("警告"),
                    displayText(QStringLiteral("ファイルが変更されています\r\n保存しますか?")),
                    QMessageBox::NoButton, dialogParent());
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    execute(box);
    if (box.clickedButton() == yes) return SaveAnswer::Yes;
    if (box.clickedButton() == no) return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

bool QtPlatform::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, base::kApplicationTitle, displayText(text), QMessageBox::NoButton,
                    dialogParent());
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    execute(box);
    return box.clickedButton() == yes;
}

void QtPlatform::reportError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, base::kApplicationTitle, displayText(text), QMessageBox::Ok,
                    dialogParent());
    execute(box);
}

std::optional<QString> QtPlatform::chooseOpenFile(FileDialogState& state) {
    return runFileDialog(state, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatform::chooseSaveFile(FileDialogState& state) {
    return runFileDialog(state, QFileDialog::AcceptSave);
}

void QtPlatform::runModal(QDialog& dialog) {
    execute(dialog);
}

void QtPlatform::showHelp(const QString& helpFile, const QString& page) {
#ifdef Q_OS_WIN
    // The help file at its fixed path, where the user has it, is the system's to show.
    if (QFileInfo::exists(helpFile) && QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile))) return;
#else
    Q_UNUSED(helpFile); // a Windows path: never looked for, never reported
#endif
    if (!help_) help_ = std::make_unique<HelpWindow>();
    // A modal dialog blocks every window but its own and those that stand for it: the help it asked for
    // becomes one of those while it is open. The help window keeps no other tie to the dialog, so it
    // stays open, and takes input from anywhere, once the dialog has gone.
    help_->winId();
    const QWidget* modal = QApplication::activeModalWidget();
    help_->windowHandle()->setTransientParent(modal ? modal->windowHandle() : nullptr);
    help_->showPage(page);
}

void QtPlatform::beginBusy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::endBusy() {
    QApplication::restoreOverrideCursor();
}

QStringList QtPlatform::fontFamilies() {
    return QFontDatabase::families();
}

void QtPlatform::setUpPrinter(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, dialogParent());
    execute(dialog);
}

bool QtPlatform::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, dialogParent());
    // The whole document is printed: there is no page range or selection to choose.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return execute(dialog) == QDialog::Accepted;
}

} // namespace ui
