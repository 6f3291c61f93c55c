#pragma once
// lorvane-cli: the batch front end over the same rules as the editor (count, add, export, import).
#include <QIODevice>
#include <QString>
#include <QStringList>

namespace cli {

// The exit codes.
enum Exit { kDone = 0, kRefused = 1, kWrongUsage = 2, kFileError = 3 };

// Runs one command (arguments without the program name); returns the exit code. Text goes to `out`
// and `err` in UTF-8; CSV and entry text to `out` in its own encoding.
int run(const QStringList& arguments, QIODevice& out, QIODevice& err);

// What a command reports when its standard output cannot be written (a full disk, a closed pipe).
inline QString outputFailedMessage() {
    return QStringLiteral("standard output cannot be written");
}

} // namespace cli
