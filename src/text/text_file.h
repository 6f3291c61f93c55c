#pragma once
// Whole-file reading and atomic writing, with the failure messages the user reads.
#include "text/encoding.h"

#include <QByteArray>
#include <QString>

namespace text {

// Throws base::Failure "ファイル %s は開けません" when the file cannot be opened or read (in English with the
// reason: "%s: cannot be read (...)").
QByteArray readFileBytes(const QString& path);
// readFileBytes + decodeText.
DecodedText readTextFile(const QString& path);
// Who may read a file written: the user's umask decides (a replaced file keeps its own modes), or the
// owner alone, for copies of text the user has not saved.
enum class FileAccess { Usual, OwnerOnly };

// Replaces the file atomically (a failed write leaves the old file whole). Throws base::Failure
// "ファイル %s を作成できません" (in English: "%s: cannot be written (...)").
void writeFileBytes(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::Usual);

} // namespace text
