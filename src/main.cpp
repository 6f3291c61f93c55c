// Program start: the application object, its title and help file, the five windows in their order, the
// offer of what a run that ended without saving left; the event loop runs until the main window has
// closed.
#include "app/main_window.h"
#include "app/program.h"
#include "app/recovery.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath(), app::SettingsStore::user(),
                         app::RecoveryFiles::userFolder());
    program.show();
    // What a run that ended without saving left, then a file named on the command line, as a file manager
    // passes it: once the event loop runs, so that closing the window while a large file loads ends the
    // program as it always does.
    app::TForm1* form1 = program.windows().form1.get();
    QTimer::singleShot(0, form1,
                       [form1, file = QCoreApplication::arguments().value(1)] { form1->startWith(file); });
    return QApplication::exec();
}
