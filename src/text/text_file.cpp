#include "text/text_file.h"

#include "base/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <atomic>
#include <mutex>

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace text {

namespace {

[[noreturn]] void cannotRead(const QString& path, const QString& reason) {
    throw base::Failure(QStringLiteral("ファイル %1 は開けません").arg(path),
                        QStringLiteral("%1: cannot be read (%2)").arg(path, reason));
}

void openForReading(QFile& file) {
    // Only a regular file: opening a pipe would wait for a writer, and a device such as /dev/zero never ends.
    const QString path = file.fileName();
    const QFileInfo info(path);
    if (info.isDir()) cannotRead(path, QStringLiteral("it is a folder"));
    if (info.exists() && !info.isFile()) cannotRead(path, QStringLiteral("it is not a regular file"));
    if (!file.open(QIODevice::ReadOnly)) cannotRead(path, file.errorString());
}

QByteArray readAllOf(QFile& file) {
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) cannotRead(file.fileName(), file.errorString());
    return bytes;
}

// The mappings being read, where the bus-error handler finds them: reading a mapped page that is past
// the end of a file grown shorter raises SIGBUS, which would end the program.
struct Mapping {
    std::atomic<quintptr> begin{0}; // 0: a free slot
    std::atomic<quintptr> end{0};   // the end of the mapping's last page
    std::atomic<bool> shrank{false};
};
std::array<Mapping, 16> mappings;
struct sigaction previousBusAction;
quintptr pageSize = 4096;

void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = quintptr(info->si_addr);
    for (Mapping& m : mappings) {
        const quintptr begin = m.begin.load(), end = m.end.load();
        if (begin == 0 || address < begin || address >= end) continue;
        // Zeros in place of the pages from the one that faulted to the mapping's end, so that the read
        // goes on; the reader learns of it afterwards. (mmap is a bare system call, safe here.)
        const quintptr page = address & ~(pageSize - 1);
        if (mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
            break;
        m.shrank = true;
        return;
    }
    // Not a mapping of ours: as the program would have fared without this handler.
    if (previousBusAction.sa_flags & SA_SIGINFO) {
        if (previousBusAction.sa_sigaction) {
            previousBusAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL); // the fault comes again on return and ends the program
}

bool watchForBusErrors() {
    static const bool installed = [] {
        pageSize = quintptr(sysconf(_SC_PAGESIZE));
        struct sigaction action = {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGBUS, &action, &previousBusAction) == 0;
    }();
    return installed;
}

int claimSlot(quintptr begin, quintptr end) {
    for (std::size_t i = 0; i < mappings.size(); ++i) {
        quintptr free = 0;
        if (mappings[i].end.compare_exchange_strong(free, end)) {
            mappings[i].shrank = false;
            mappings[i].begin = begin; // last: the handler looks at a slot only once it has a beginning
            return int(i);
        }
    }
    return -1;
}

} // namespace

QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    openForReading(file);
    return readAllOf(file);
}

FileBytes::FileBytes(const QString& path, qint64 mapAbove) : path_(path) {
    QFile file(path);
    openForReading(file);
    const qint64 size = file.size();
    // A file that cannot be mapped, or when every slot is taken, is read as a small one is.
    if (size > 0 && size > mapAbove && watchForBusErrors()) {
        void* at = mmap(nullptr, std::size_t(size), PROT_READ, MAP_PRIVATE, file.handle(), 0);
        if (at != MAP_FAILED) {
            const quintptr begin = quintptr(at);
            slot_ = claimSlot(begin, (begin + quintptr(size) + pageSize - 1) & ~(pageSize - 1));
            if (slot_ >= 0) {
                mapped_ = static_cast<const char*>(at);
                size_ = qsizetype(size);
                passed_ = [this](const char* upTo) {
                    const quintptr pages = (quintptr(upTo) & ~(pageSize - 1)) - quintptr(mapped_);
                    if (upTo > mapped_ && pages > 0)
                        madvise(const_cast<char*>(mapped_), pages, MADV_DONTNEED);
                };
                return;
            }
            munmap(at, std::size_t(size));
        }
    }
    read_ = readAllOf(file);
}

FileBytes::~FileBytes() {
    if (!mapped_) return;
    munmap(const_cast<char*>(mapped_), std::size_t(size_));
    mappings[std::size_t(slot_)].begin = 0;
    mappings[std::size_t(slot_)].end = 0;
}

void FileBytes::checkWhole() const {
    if (mapped_ && mappings[std::size_t(slot_)].shrank)
        cannotRead(path_, QStringLiteral("it grew shorter while being read"));
}

DecodedText readTextFile(const QString& path, qint64 mapAbove) {
    const FileBytes file(path, mapAbove);
    DecodedText decoded = decodeText(file.bytes(), file.passed());
    file.checkWhole();
    return decoded;
}

void writeFileBytes(const QString& path, const QByteArray& bytes, FileAccess access) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        (access == FileAccess::OwnerOnly &&
         !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) ||
        file.write(bytes) != bytes.size() || !file.commit())
        throw base::Failure(QStringLiteral("ファイル %1 を作成できません").arg(path),
                            QStringLiteral("%1: cannot be written (%2)").arg(path, file.errorString()));
}

} // namespace text
