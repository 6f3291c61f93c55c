// The message boxes of the desktop platform: plain messages carry no icon; the save-changes warning and
// the error report keep theirs.
#include "ui/qt_platform.h"

#include <QApplication>
#include <QMessageBox>
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
        {"a plain message", [&] { platform.showMessage(QStringLiteral("完了しました")); }, QMessageBox::NoIcon},
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

} // namespace
