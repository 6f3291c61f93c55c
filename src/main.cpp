// Program start: the application object, its title and help file, the five windows in their order;
// the event loop runs until the main window has closed.
#include "app/program.h"
#include "ui/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath());
    program.show();
    return QApplication::exec();
}
