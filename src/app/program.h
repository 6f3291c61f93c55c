#pragma once
// Program start: the windows, created in their fixed order, and the program-wide current instance of
// each.
#include "settings/settings_store.h"
#include "ui/platform.h"

#include <QString>
#include <memory>

namespace entry {
class TForm2;
}
namespace csv {
class TForm4;
class TForm5;
} // namespace csv

namespace app {

class TForm1;
class TAboutBox;
class EndSignals;

struct Windows {
    Windows();
    ~Windows();
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<entry::TForm2> form2;
    std::unique_ptr<TAboutBox> aboutBox;
    std::unique_ptr<csv::TForm4> form4;
    std::unique_ptr<csv::TForm5> form5;
};

// Sets up the application object's title, organisation and fonts; call once after the QApplication
// exists.
void initialiseApplication();

// Creates the main window, the entry form, the about box and the two CSV dialogs, in this order; only
// the main window is shown by start(). The main window keeps its settings in `settings`, and the text of
// a document with unsaved changes in recovery files in `recoveryFolder` (none when it is empty).
class Program {
public:
    Program(ui::Platform& platform, const QString& programDir, settings::SettingsStore settings,
            const QString& recoveryFolder = {});
    ~Program();
    void show();
    Windows& windows() { return windows_; }

    // A session that ends (a logout, a shutdown) ends its programs with SIGTERM or SIGHUP. From now on
    // either ends this program without a close request, as the signal would, but only once the main
    // window has kept its unsaved text for the next start (TForm1::endRun). For the program's own
    // process: the handlers are the process's (one Program at a time), put back when the Program goes.
    void endOnSignals();

private:
    Windows windows_;
    std::unique_ptr<EndSignals> endSignals_;
};

} // namespace app
