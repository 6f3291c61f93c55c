#pragma once
// Crash recovery: while the document has unsaved changes, its text is kept in a recovery file in the
// user's data folder, so that a run that ends without saving (a crash, a kill, a power cut) leaves it for
// the next start to offer. Each running program owns the files under a name of its own and holds a lock
// file beside them while it runs; a start offers only files whose owner is gone.
#include "document/document_file.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QLockFile;

namespace document {

// What a recovery file holds beside the text: enough to make the document again as it was.
struct RecoveryRecord {
    QString caption;            // the document's file, or the untitled name
    DocumentFormat format;      // the document's own format, which saving uses
    bool writtenAsUtf8 = false; // the text held characters the format cannot hold, so it went in UTF-8
    FileStamp disk;             // the document's file as at its last load or save
    QDateTime written;          // when the text was written
    FileStamp text;             // the text's file as written just before the record (set by write())

    // The layout of the text's bytes.
    text::TextFormat textFormat() const;
};

// The recovery files of this run.
class RecoveryFiles {
public:
    // The user's folder: "recovery" in the program's data folder (AppDataLocation).
    static QString userFolder();
    // How often the text of a changed document is written: every 30 seconds. For trying the recovery out,
    // the environment variable LORVANE_RECOVERY_SECONDS may give another whole number of seconds.
    static std::chrono::milliseconds interval();

    // Takes a name of its own in `folder` (made when missing) and holds its lock while it lives. Throws
    // base::Failure when the folder or the lock cannot be made.
    explicit RecoveryFiles(QString folder);
    // A normal exit: the files go, and the lock with them (unless leave() let them go first).
    ~RecoveryFiles();
    RecoveryFiles(const RecoveryFiles&) = delete;
    RecoveryFiles& operator=(const RecoveryFiles&) = delete;

    // Replaces the record and then the text, each atomically, so that the text on disk always has its
    // record. Throws base::Failure.
    void write(const QByteArray& text, const RecoveryRecord& record);
    // Deletes the files (the lock stays); nothing when there are none.
    void remove();
    // The run ends without its normal exit (the session is ending): the files stay for the next start to
    // offer, and the lock goes with this run. From then on nothing is written or deleted.
    void leave();

    const QString& folder() const { return folder_; }
    const QString& name() const { return name_; }
    QString textPath() const;

private:
    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
};

// Recovery files whose owner is gone, taken over (their lock held) until they are restored, discarded,
// or let go for a later start.
class LeftoverRecovery {
public:
    // Newest first. Files whose owner still runs (its lock is held) are left alone, and so is `ownName`.
    static std::vector<LeftoverRecovery> find(const QString& folder, const QString& ownName);

    LeftoverRecovery(LeftoverRecovery&&) noexcept;
    LeftoverRecovery& operator=(LeftoverRecovery&&) noexcept;
    // Lets the files go, for a later start, unless discarded.
    ~LeftoverRecovery();

    // A text without a readable record has the untitled name and the format its bytes show.
    const RecoveryRecord& record() const { return record_; }
    // The document as it was written: text, line ends and the recorded format. Throws base::Failure.
    LoadedDocument document() const;
    // The same read as a function on its own copies, to run in a thread of its own: it may outlive this
    // object.
    std::function<LoadedDocument()> reading() const;
    // The file the text is in (its size says whether it is read in the background).
    QString textPath() const;
    // Deletes the files.
    void discard();
    // Lets the files go now, for a later start, as the destructor does.
    void letGo();

private:
    LeftoverRecovery(QString folder, QString name, std::unique_ptr<QLockFile> lock);
    QString path(const char* suffix) const;

    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    RecoveryRecord record_;
    bool described_ = false;
};

// The record as the file beside the text holds it (JSON), and back; nullopt for anything unreadable.
QByteArray recordBytes(const RecoveryRecord& record);
std::optional<RecoveryRecord> readRecord(const QByteArray& bytes);

} // namespace document
