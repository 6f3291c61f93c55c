#include "text/text_file.h"

#include "base/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace text {

QByteArray readFileBytes(const QString& path) {
    // Only a regular file: opening a pipe would wait for a writer, and a device such as /dev/zero never ends.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw base::Failure(QStringLiteral("ファイル %1 は開けません").arg(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw base::Failure(QStringLiteral("ファイル %1 は開けません").arg(path));
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
        throw base::Failure(QStringLiteral("ファイル %1 を作成できません").arg(path));
}

} // namespace text
