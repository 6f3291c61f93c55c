#include "app/program.h"

#include "app/about_box.h"
#include "app/main_window.h"
#include "base/app_info.h"
#include "base/fonts.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "document/recovery.h"
#include "entry/entry_form.h"
#include "entry/user_list.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

Windows::Windows() = default;
Windows::~Windows() = default;

void initialiseApplication() {
    QApplication::setApplicationName(base::kApplicationTitle);
    QApplication::setOrganizationName(base::kOrganisationName);
    QApplication::setApplicationVersion(base::kVersion);
    base::registerFontSubstitutions();
    QApplication::setWindowIcon(QIcon(base::kProgramIcon));
    // Qt's own texts (file dialogs, the editor's context menu) in Japanese, like the rest of the program.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

Program::Program(ui::Platform& platform, const QString& programDir, settings::SettingsStore settings,
                 const QString& recoveryFolder) {
    windows_.form1 = std::make_unique<TForm1>(platform, windows_, programDir, std::move(settings));
    TForm1* main = windows_.form1.get();
    if (!recoveryFolder.isEmpty()) main->startRecovery(recoveryFolder, document::RecoveryFiles::interval());
    windows_.form2 = std::make_unique<entry::TForm2>(platform, main->entryDocument(),
                                                     entry::findUserList(programDir), main);
    windows_.aboutBox = std::make_unique<TAboutBox>(main);
    windows_.form4 = std::make_unique<csv::TForm4>(platform, main->csvDocument(), main);
    windows_.form5 = std::make_unique<csv::TForm5>(platform, main->csvDocument(), main);
}

Program::~Program() = default;

void Program::show() {
    windows_.form1->show();
}

} // namespace app
