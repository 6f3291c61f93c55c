#include "text/text_file.h"

#include "base/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace text {

namespace {

[[noreturn]] void cannotRead(const QString& path, const QString& reason) {
    throw base::Failure(QStringLiteral("ファイル %1 は開けません").arg(path),
                        QStringLiteral("%1: cannot be read (%2)").arg(path, reason));
}

} // namespace

QByteArray readFileBytes(const QString& path) {
    // Only a regular file: opening a pipe would wait for a writer, and a device such as /dev/zero never ends.
    const QFileInfo info(path);
    if (info.isDir()) cannotRead(path, QStringLiteral("it is a folder"));
    if (info.exists() && !info.isFile()) cannotRead(path, QStringLiteral("it is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) cannotRead(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) cannotRead(path, file.errorString());
    return bytes;
}

DecodedText readTextFile(const QString& path) {
    return decodeText(readFileBytes(path));
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
