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
#include <QSocketNotifier>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app {

Windows::Windows() = default;
Windows::~Windows() = default;

#ifdef Q_OS_UNIX

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP};

// The end of the socket pair that the signal handler writes to.
int endSignalSocket = -1;

// A signal may arrive in any thread, in the middle of anything: its handler only writes the signal's
// number to the socket (write is async-signal-safe), and the event loop, a modal dialog's and a load's
// included, does the rest.
void onEndSignal(int number) {
    const int savedErrno = errno;
    const char byte = char(number);
    // Non-blocking: a full socket already holds a signal waiting to end the program.
    [[maybe_unused]] const ssize_t written = ::write(endSignalSocket, &byte, 1);
    errno = savedErrno;
}

} // namespace

// The handlers of the end signals and the socket pair that brings each signal to the event loop, where
// `end` runs with its number.
class EndSignals {
public:
    explicit EndSignals(std::function<void(int)> end) : end_(std::move(end)) {
        Q_ASSERT(endSignalSocket < 0); // one Program at a time
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sockets_) != 0) {
            // The signals then end the program as they always do, and the next start offers the last copy.
            std::perror("lorvane: socketpair");
            return;
        }
        endSignalSocket = sockets_[1];
        notifier_ = std::make_unique<QSocketNotifier>(sockets_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char number = 0;
            if (::read(sockets_[0], &number, 1) == 1) end_(number);
        });
        struct sigaction action {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // the other threads' calls go on as if nothing happened
        for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
            ::sigaction(kEndSignals[i], &action, &previous_[i]);
    }

    ~EndSignals() {
        if (!notifier_) return;
        for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
            ::sigaction(kEndSignals[i], &previous_[i], nullptr);
        endSignalSocket = -1;
        notifier_.reset();
        ::close(sockets_[0]);
        ::close(sockets_[1]);
    }

    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    std::function<void(int)> end_;
    int sockets_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[std::size(kEndSignals)]{};
};

#else

class EndSignals {};

#endif

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

void Program::endOnSignals() {
#ifdef Q_OS_UNIX
    endSignals_ = std::make_unique<EndSignals>([this](int number) {
        const QString failure = windows_.form1->endRun();
        // Into the session's log: there is no window left to show it in.
        if (!failure.isEmpty()) std::fprintf(stderr, "lorvane: %s\n", qUtf8Printable(failure));
        // Ended as the signal ends a program that does not catch it, so that whoever sent it sees so;
        // nothing of the normal exit runs, which would delete the recovery files.
        std::signal(number, SIG_DFL);
        std::raise(number);
        std::_Exit(128 + number);
    });
#endif
}

void Program::show() {
    windows_.form1->show();
}

} // namespace app
