// Program start: the application object, its title and help file, the five windows in their order, the
// offer of what a run that ended without saving left; the event loop runs until the main window has
// closed.
#include "app/main_window.h"
#include "app/program.h"
#include "app/recovery.h"
#include "ui/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath(), app::SettingsStore::user(),
                         app::RecoveryFiles::userFolder());
    program.show();
    // What a run that ended without saving left, then a file named on the command line, as a file manager
    // passes it.
    program.windows().form1->startWith(QCoreApplication::arguments().value(1));
    return QApplication::exec();
}
