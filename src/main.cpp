// Program start: the application object, its title and help file, the five windows in their order, the
// offer of what a run that ended without saving left; the event loop runs until the main window has
// closed, or until the session ends the program with a signal. --version and --help answer on standard
// output without a display.
#include "app/main_window.h"
#include "app/program.h"
#include "base/app_info.h"
#include "document/recovery.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("lorvane %s\n", qPrintable(base::kVersion));
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "usage: lorvane [FILE]\n"
            "Opens FILE, a BibTeX bibliography (.bib), in the editor; without FILE an empty document.\n"
            "  --version  prints the version\n"
            "  --help     prints this text\n"
            "The manual page lorvane(1) and the editor's help (F1) say more.\n");
        return 0;
    }
    QApplication application(argc, argv);
    app::initialiseApplication();
    ui::QtPlatform platform;
    app::Program program(platform, QCoreApplication::applicationDirPath(), settings::SettingsStore::user(),
                         document::RecoveryFiles::userFolder());
    // A logout or a shutdown (SIGTERM, SIGHUP) keeps the unsaved text for the next start.
    program.endOnSignals();
    program.show();
    // What a run that ended without saving left, then a file named on the command line, as a file manager
    // passes it: once the event loop runs, so that closing the window while a large file loads ends the
    // program as it always does.
    app::TForm1* form1 = program.windows().form1.get();
    QTimer::singleShot(0, form1,
                       [form1, file = QCoreApplication::arguments().value(1)] { form1->startWith(file); });
    return QApplication::exec();
}
