// The desktop platform's own dialogs: plain messages carry no icon, the save-changes warning and the
// error report keep theirs; the file dialogs keep the type chosen last.
#include "ui/qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(QtPlatformBoxes, OnlyTheWarningAndTheErrorReportCarryAnIcon) {
    ui::QtPlatform platform;
    const struct {
        const char* what;
        std::function<void()> ask;
        QMessageBox::Icon icon;
    } cases[] = {
        {"a plain message", [&] { platform.showMessage(QStringLiteral("完了しました")); },
         QMessageBox::NoIcon},
        {"the save-changes warning", [&] { platform.askSaveChanges(); }, QMessageBox::Warning},
        {"the error report", [&] { platform.reportError(QStringLiteral("x.")); }, QMessageBox::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<QMessageBox::Icon> shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->icon();
            box->reject();
        });
        c.ask();
        EXPECT_EQ(shown, c.icon);
    }
}

// The list of types a file dialog shows: the box whose last item is the last type.
QComboBox* typeList(QFileDialog& dialog, const QString& lastType) {
    for (QComboBox* box : dialog.findChildren<QComboBox*>())
        if (box->count() > 0 && box->itemText(box->count() - 1).startsWith(lastType)) return box;
    return nullptr;
}

// Qt's own dialog runs here, as where the desktop has none: with the patterns hidden, it names the
// chosen type by its shown name alone.
TEST(QtPlatformFileDialogs, KeepTheTypeChosenLast) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("refs.bib")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    ui::QtPlatform platform;
    const struct {
        const char* what;
        std::function<std::optional<QString>(ui::FileDialogState&)> choose;
        QString file; // one that exists to open, a new one to save
    } dialogs[] = {
        {"open", [&](ui::FileDialogState& state) { return platform.chooseOpenFile(state); },
         QStringLiteral("refs.bib")},
        {"save", [&](ui::FileDialogState& state) { return platform.chooseSaveFile(state); },
         QStringLiteral("new.bib")},
    };
    const QString lastType = QStringLiteral("すべてのファイル");
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.what);
        ui::FileDialogState state;
        state.filter = QStringLiteral("文献ファイル(*.bib)|*.bib|ｼﾞｬｰﾅﾙ名ﾃﾞｰﾀ・ﾌｧｲﾙ(*.dat)|*.dat|") +
                       lastType + QStringLiteral("(*.*)|*.*");
        state.initialDir = dir.path();
        // Each use: the type shown at first, then the user's: the third picked from the list with the
        // keyboard on the first use, nothing changed on the second.
        for (const int use : {1, 2}) {
            SCOPED_TRACE(use);
            int shown = -1;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                QComboBox* types = typeList(*dialog, lastType);
                ASSERT_NE(types, nullptr);
                shown = types->currentIndex();
                if (use == 1) {
                    types->setFocus();
                    QTest::keyClick(types, Qt::Key_Down);
                    QTest::keyClick(types, Qt::Key_Down);
                }
                dialog->selectFile(d.file);
                QMetaObject::invokeMethod(dialog, "accept"); // as the Open or Save button does
            });
            EXPECT_EQ(d.choose(state), dir.filePath(d.file));
            EXPECT_EQ(shown, use == 1 ? 0 : 2);
            EXPECT_EQ(state.filterIndex, 2);
        }
    }
}

} // namespace
