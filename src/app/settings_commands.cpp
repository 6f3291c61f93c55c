// The main window's settings and its recent-file list: the window state, LastDir and the editor font
// read at creation and written at every close request, the recent-file update and the five recent-file
// commands.
#include "app/main_window.h"

#include "base/failure.h"
#include "base/fonts.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>

namespace app {

namespace {

// A window both maximised and minimised (minimised from the maximised state) is minimised.
int stateCodeOf(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized) return 3;
    if (states & Qt::WindowMaximized) return 2;
    return 1;
}

} // namespace

template <typename Write> void TForm1::storeSettings(Write&& write) {
    try {
        std::forward<Write>(write)();
    } catch (const base::Failure& failure) {
        if (settingsFailureReported_) return;
        settingsFailureReported_ = true;
        platform_.reportError(base::withFinalPeriod(failure.message()));
    }
}

void TForm1::ReadSettings() {
    settings::WindowSettings defaults;
    defaults.lastDir = QDir::currentPath();
    defaults.fontName = base::kEditorFontName;
    const settings::WindowSettings stored = settings::readWindowSettings(settings_, defaults);
    switch (stored.stateCode) {
    case 1:
        setWindowState(Qt::WindowNoState);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    case 3:
        setWindowState(Qt::WindowMinimized);
        break;
    default: // the window stays as designed: normal, centred
        break;
    }
    LastDir = stored.lastDir;
    editorFontName_ = stored.fontName;
    editorFontSize_ = stored.fontSize;
    highlight_ = stored.highlight;
}

void TForm1::WriteSettings() {
    StateCode = stateCodeOf(windowState());
    const QFont font = RichEdit1->font();
    settings::WindowSettings settings;
    settings.stateCode = StateCode;
    settings.lastDir = LastDir;
    settings.fontName = font.family();
    // A font given in pixels has no point size; the size last read or chosen stands for it.
    settings.fontSize = font.pointSize() > 0 ? font.pointSize() : editorFontSize_;
    settings.highlight = highlight_;
    storeSettings([&] { settings::writeWindowSettings(settings_, settings); });
}

void TForm1::WriteResume() {
    const RecentFileList list = settings::movedToFront(RecentFiles, CurrentFile);
    storeSettings([&] { settings::writeRecentFiles(settings_, list); });
}

void TForm1::ReadResume() {
    RecentFiles = settings::readRecentFiles(settings_);
    for (std::size_t i = 0; i < RecentFiles.size(); ++i) {
        recentItems_[i]->setText(settings::recentItemCaption(int(i) + 1, RecentFiles[i]));
        recentItems_[i]->setEnabled(!RecentFiles[i].isEmpty());
    }
}

void TForm1::openRecentFile(std::size_t index) {
    run([&] {
        // The file of the item chosen: answering Yes saves first, and the save's own recent-file update
        // may move the entries under the items.
        const QString path = RecentFiles[index];
        if (!askToSave()) return;
        // A file that cannot be opened is reported and keeps its place: the update is skipped.
        FileOpen(path);
        WriteResume();
        ReadResume();
    });
}

void TForm1::N11Click() {
    openRecentFile(0);
}

void TForm1::N21Click() {
    openRecentFile(1);
}

void TForm1::N31Click() {
    openRecentFile(2);
}

void TForm1::N41Click() {
    openRecentFile(3);
}

void TForm1::N51Click() {
    openRecentFile(4);
}

} // namespace app
