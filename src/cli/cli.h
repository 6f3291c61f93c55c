#pragma once
// lorvane-cli: the batch front end over the same rules as the editor.
#include <QStringList>
#include <QTextStream>

namespace cli {

// Runs one command (arguments without the program name); returns the exit code.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
