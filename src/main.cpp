// Program start: the application object, its title and help file, the five windows in their order;
// the event loop runs until the main window has closed.
#include "app/main_window.h"
#include "app/program.h"
#include "ui/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath(), app::SettingsStore::user());
    program.show();
    // A file named on the command line, as a file manager passes it.
    if (const QStringList files = QCoreApplication::arguments().mid(1); !files.isEmpty())
        program.windows().form1->openFromCommandLine(files.constFirst());
    return QApplication::exec();
}
