#pragma once
// The user list file user.dat: named sections "@begin{name}" ... "@end{name}" of list entries.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace entry {

// The entries of every section `name` in the text, in file order (the text-file line rule applies).
QStringList readSection(QStringView text, QStringView name);
// The same from the file: no file gives no entries and no message; a file that cannot be read throws
// base::Failure. The encoding is detected like a document's.
QStringList readSectionFromFile(const QString& path, QStringView name);
// user.dat in the given program folder.
QString userListPath(const QString& programDir);

} // namespace entry
