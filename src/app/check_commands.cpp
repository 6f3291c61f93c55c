// The check commands of the main window: 文献の検査 opens the modeless CheckWindow (made at its first use)
// and checks the document; F8 and Shift+F8 walk the findings without it. The check runs on these commands
// only, never on a keystroke.
#include "app/check_window.h"
#include "app/main_window.h"
#include "ui/platform.h"

#include <QAction>
#include <QPlainTextEdit>

namespace app {

CheckWindow& TForm1::checkWindow() {
    if (!CheckForm1) {
        CheckForm1 = new CheckWindow(this, RichEdit1, document_);
        // F8 and Shift+F8 work in the window as well.
        for (const char* name : {"NextFinding1", "PreviousFinding1"})
            CheckForm1->addAction(findChild<QAction*>(QString::fromLatin1(name)));
    }
    return *CheckForm1;
}

void TForm1::Check1Click() {
    run([this] {
        if (isLoading()) return;
        CheckWindow& window = checkWindow();
        {
            ui::BusyCursor busy(platform_);
            window.recheck();
        }
        window.showBeside();
    });
}

void TForm1::NextFinding1Click() {
    run([this] {
        if (!isLoading()) checkWindow().walk(true);
    });
}

void TForm1::PreviousFinding1Click() {
    run([this] {
        if (!isLoading()) checkWindow().walk(false);
    });
}

} // namespace app
