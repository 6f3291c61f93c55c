// Program start: the application object, its title and help file, the five windows in their order;
// the event loop runs until the main window has closed.
#include "app/main_window.h"
#include "app/program.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath(), app::SettingsStore::user());
    program.show();
    // A file named on the command line, as a file manager passes it: opened once the event loop runs, so
    // that closing the window while a large file loads ends the program as it always does.
    if (const QStringList files = QCoreApplication::arguments().mid(1); !files.isEmpty()) {
        app::TForm1* form1 = program.windows().form1.get();
        QTimer::singleShot(0, form1,
                           [form1, file = files.constFirst()] { form1->openFromCommandLine(file); });
    }
    return QApplication::exec();
}
