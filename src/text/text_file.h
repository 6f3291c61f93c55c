#pragma once
// Whole-file reading and atomic writing, with the failure messages the user reads.
#include "text/encoding.h"

#include <QByteArray>
#include <QString>

namespace text {

// Throws base::Failure "ファイル %s は開けません" when the file cannot be opened or read (in English with the
// reason: "%s: cannot be read (...)").
QByteArray readFileBytes(const QString& path);

// A file's bytes for one decoding to read through. A file above `mapAbove` bytes is mapped (private,
// read-only) rather than copied, and passed() gives back the pages a pass has gone by: they come again
// from the page cache when a later pass reads them, so decoding holds little more than the text. Should
// the file grow shorter while mapped, what is past its new end reads as zeros (instead of ending the
// program) and checkWhole() says so. Throws what readFileBytes throws.
class FileBytes {
public:
    static constexpr qint64 kMapAbove = qint64(2) << 20;
    explicit FileBytes(const QString& path, qint64 mapAbove = kMapAbove);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    QByteArrayView bytes() const { return mapped_ ? QByteArrayView(mapped_, size_) : QByteArrayView(read_); }
    bool isMapped() const { return mapped_ != nullptr; }
    // For decodeText: gives back the whole pages before upTo.
    const PassedBytes& passed() const { return passed_; }
    // Throws the failure of readFileBytes when the file grew shorter while mapped.
    void checkWhole() const;

private:
    QString path_;
    QByteArray read_;
    const char* mapped_ = nullptr;
    qsizetype size_ = 0;
    int slot_ = -1; // where the bus-error handler finds the mapping
    PassedBytes passed_;
};

// The file decoded (decodeText), read through FileBytes.
DecodedText readTextFile(const QString& path, qint64 mapAbove = FileBytes::kMapAbove);
// Who may read a file written: the user's umask decides (a replaced file keeps its own modes), or the
// owner alone, for copies of text the user has not saved.
enum class FileAccess { Usual, OwnerOnly };

// Replaces the file atomically (a failed write leaves the old file whole). Throws base::Failure
// "ファイル %s を作成できません" (in English: "%s: cannot be written (...)").
void writeFileBytes(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::Usual);

} // namespace text
