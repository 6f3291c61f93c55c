#include "document/recovery.h"

#include "base/app_info.h"
#include "base/failure.h"
#include "text/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>

namespace document {

namespace {

constexpr char kText[] = ".txt";
constexpr char kRecord[] = ".json";
constexpr char kLock[] = ".lock";

QString filePath(const QString& folder, const QString& name, const char* suffix) {
    return QDir(folder).filePath(name + QLatin1String(suffix));
}

QJsonObject stampObject(const FileStamp& stamp) {
    return {{QStringLiteral("exists"), stamp.exists},
            {QStringLiteral("size"), double(stamp.size)},
            {QStringLiteral("modified"), double(stamp.modified)}};
}

FileStamp stampOf(const QJsonObject& object) {
    return {object.value(QStringLiteral("exists")).toBool(),
            qint64(object.value(QStringLiteral("size")).toDouble()),
            qint64(object.value(QStringLiteral("modified")).toDouble())};
}

// Holds the lock at `path` when no running program holds it. QLockFile makes the file with the usual
// mode (0644), also where it takes over the stale lock of a run that is gone: the lock becomes the
// user's alone, as the copies beside it are.
std::unique_ptr<QLockFile> takeLock(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path);
    if (!lock->tryLock(0)) return nullptr;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return lock;
}

// A whole number from `low` to `high`, or nullopt.
std::optional<int> numberIn(const QJsonValue& value, int low, int high) {
    if (!value.isDouble()) return std::nullopt;
    const double d = value.toDouble();
    if (d < low || d > high || d != double(int(d))) return std::nullopt;
    return int(d);
}

} // namespace

text::TextFormat RecoveryRecord::textFormat() const {
    return writtenAsUtf8 ? asUtf8(format).text : format.text;
}

QByteArray recordBytes(const RecoveryRecord& record) {
    const text::TextFormat& f = record.format.text;
    QJsonArray forms;
    for (auto it = f.alternateForms.cbegin(); it != f.alternateForms.cend(); ++it)
        forms.append(QJsonArray{int(it.key()), double(it.value())});
    const QJsonObject object{
        {QStringLiteral("caption"), record.caption},
        {QStringLiteral("encoding"), int(f.encoding)},
        {QStringLiteral("byteOrderMark"), f.byteOrderMark},
        {QStringLiteral("jisOldKanjiEscape"), f.jisOldKanjiEscape},
        {QStringLiteral("jisRomanEscape"), f.jisRomanEscape},
        {QStringLiteral("lineBreak"), int(f.lineBreak)},
        {QStringLiteral("alternateForms"), forms},
        {QStringLiteral("writtenAsUtf8"), record.writtenAsUtf8},
        {QStringLiteral("disk"), stampObject(record.disk)},
        {QStringLiteral("written"), record.written.toString(Qt::ISODateWithMs)},
        {QStringLiteral("text"), stampObject(record.text)},
    };
    return QJsonDocument(object).toJson();
}

std::optional<RecoveryRecord> readRecord(const QByteArray& bytes) {
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    const QJsonValue caption = o.value(QStringLiteral("caption"));
    const std::optional<int> encoding = numberIn(o.value(QStringLiteral("encoding")), 0, 3);
    const std::optional<int> lineBreak = numberIn(o.value(QStringLiteral("lineBreak")), 0, 5);
    if (!caption.isString() || caption.toString().isEmpty() || !encoding || !lineBreak) return std::nullopt;
    RecoveryRecord record;
    record.caption = caption.toString();
    text::TextFormat& f = record.format.text;
    f.encoding = text::Encoding(*encoding);
    f.lineBreak = text::LineBreak(*lineBreak);
    f.byteOrderMark = o.value(QStringLiteral("byteOrderMark")).toBool();
    f.jisOldKanjiEscape = o.value(QStringLiteral("jisOldKanjiEscape")).toBool();
    f.jisRomanEscape = o.value(QStringLiteral("jisRomanEscape")).toBool();
    for (const QJsonValue& pair : o.value(QStringLiteral("alternateForms")).toArray()) {
        const std::optional<int> c = numberIn(pair.toArray().at(0), 0, 0xFFFF);
        const double code = pair.toArray().at(1).toDouble(-1);
        if (c && code >= 0 && code <= 0xFFFFFF) f.alternateForms.insert(char16_t(*c), quint32(code));
    }
    record.writtenAsUtf8 = o.value(QStringLiteral("writtenAsUtf8")).toBool();
    record.disk = stampOf(o.value(QStringLiteral("disk")).toObject());
    record.written = QDateTime::fromString(o.value(QStringLiteral("written")).toString(), Qt::ISODateWithMs);
    record.text = stampOf(o.value(QStringLiteral("text")).toObject());
    return record;
}

// ---- this run's files ----

QString RecoveryFiles::userFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

std::chrono::milliseconds RecoveryFiles::interval() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("LORVANE_RECOVERY_SECONDS", &ok);
    return std::chrono::seconds(ok && seconds > 0 ? seconds : 30);
}

RecoveryFiles::RecoveryFiles(QString folder) : folder_(std::move(folder)) {
    // The copies hold text the user has not saved: the folder and its files are the user's alone, also
    // where an older run made the folder open to others.
    constexpr QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (!QDir().mkpath(folder_) || !QFile::setPermissions(folder_, ownerOnly))
        throw base::Failure(
            QStringLiteral("フォルダ %1 を作成できません").arg(QDir::toNativeSeparators(folder_)));
    // The process id names the files; a name a dead run left (the same id again) stays its, for the offer.
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (int n = 1; n <= 100; ++n) {
        const QString name = n == 1 ? pid : pid + u'-' + QString::number(n);
        if (QFileInfo::exists(filePath(folder_, name, kText)) ||
            QFileInfo::exists(filePath(folder_, name, kRecord)) ||
            QFileInfo::exists(filePath(folder_, name, kLock)))
            continue;
        std::unique_ptr<QLockFile> lock = takeLock(filePath(folder_, name, kLock));
        if (!lock) continue;
        name_ = name;
        lock_ = std::move(lock);
        return;
    }
    throw base::Failure(QStringLiteral("ファイル %1 を作成できません")
                            .arg(QDir::toNativeSeparators(filePath(folder_, pid, kLock))));
}

RecoveryFiles::~RecoveryFiles() {
    remove();
}

QString RecoveryFiles::textPath() const {
    return filePath(folder_, name_, kText);
}

void RecoveryFiles::write(const QByteArray& text, const RecoveryRecord& record) {
    if (!lock_) return; // left: the files are the next start's
    // The text first, then its record, which names the text's size and time: a run that ends between
    // the two leaves a text that its record does not describe, and the restore then reads the bytes as
    // an opened file is read.
    text::writeFileBytes(textPath(), text, text::FileAccess::OwnerOnly);
    RecoveryRecord described = record;
    described.text = fileStamp(textPath());
    text::writeFileBytes(filePath(folder_, name_, kRecord), recordBytes(described),
                         text::FileAccess::OwnerOnly);
}

void RecoveryFiles::remove() {
    if (!lock_) return; // left: the files are the next start's
    QFile::remove(textPath());
    QFile::remove(filePath(folder_, name_, kRecord));
}

void RecoveryFiles::leave() {
    lock_.reset(); // unlocking deletes the lock file
}

// ---- files a gone run left ----

LeftoverRecovery::LeftoverRecovery(QString folder, QString name, std::unique_ptr<QLockFile> lock)
    : folder_(std::move(folder)), name_(std::move(name)), lock_(std::move(lock)) {}
LeftoverRecovery::LeftoverRecovery(LeftoverRecovery&&) noexcept = default;
LeftoverRecovery& LeftoverRecovery::operator=(LeftoverRecovery&&) noexcept = default;
LeftoverRecovery::~LeftoverRecovery() = default;

QString LeftoverRecovery::path(const char* suffix) const {
    return filePath(folder_, name_, suffix);
}

std::vector<LeftoverRecovery> LeftoverRecovery::find(const QString& folder, const QString& ownName) {
    const QDir dir(folder);
    QStringList names;
    for (const QFileInfo& file :
         dir.entryInfoList({QStringLiteral("*.txt"), QStringLiteral("*.json")}, QDir::Files))
        names << file.completeBaseName();
    names.removeDuplicates();
    std::vector<LeftoverRecovery> found;
    for (const QString& name : std::as_const(names)) {
        if (name == ownName) continue;
        // Taking the lock succeeds only when no running program holds it: the lock of a run that ended
        // without deleting its files is stale (its process is gone) and is taken over.
        std::unique_ptr<QLockFile> lock = takeLock(filePath(folder, name, kLock));
        if (!lock) continue;
        LeftoverRecovery leftover(folder, name, std::move(lock));
        const QString textPath = leftover.path(kText);
        if (!QFileInfo::exists(textPath)) {
            leftover.discard(); // a record without its text: nothing to restore
            continue;
        }
        QFile recordFile(leftover.path(kRecord));
        const std::optional<RecoveryRecord> record =
            recordFile.open(QIODevice::ReadOnly) ? readRecord(recordFile.readAll()) : std::nullopt;
        if (record) {
            leftover.record_ = *record;
            leftover.described_ = record->text == fileStamp(textPath);
        } else {
            leftover.record_.caption = base::kUntitledName;
        }
        if (!leftover.record_.written.isValid())
            leftover.record_.written = QFileInfo(textPath).lastModified();
        found.push_back(std::move(leftover));
    }
    std::stable_sort(found.begin(), found.end(), [](const LeftoverRecovery& a, const LeftoverRecovery& b) {
        return a.record_.written > b.record_.written;
    });
    return found;
}

LoadedDocument LeftoverRecovery::document() const {
    return reading()();
}

std::function<LoadedDocument()> LeftoverRecovery::reading() const {
    std::optional<RecoveryRecord> record;
    if (described_) record = record_;
    return [text = textPath(), record = std::move(record)] {
        const QByteArray bytes = text::readFileBytes(text);
        if (!record) return decodeDocument(bytes);
        text::DecodedText decoded = text::decodeTextAs(bytes, record->textFormat());
        LoadedDocument document;
        document.text = std::move(decoded.text);
        document.format = record->format;
        document.lineEnds = std::move(decoded.lineEnds);
        return document;
    };
}

QString LeftoverRecovery::textPath() const {
    return path(kText);
}

void LeftoverRecovery::discard() {
    QFile::remove(path(kText));
    QFile::remove(path(kRecord));
    lock_.reset(); // unlocking deletes the lock file
}

void LeftoverRecovery::letGo() {
    lock_.reset();
}

} // namespace document
