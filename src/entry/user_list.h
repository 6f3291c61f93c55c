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
// The user.dat the editor reads: the user's own in `configDir`/Quorvik when it exists, else the one in the
// program folder when it exists, else the sample every user shares in `sharedDir` (missing or not).
QString findUserList(const QString& configDir, const QString& programDir, const QString& sharedDir);
// The same for this user and this installation: the user's configuration folder ($XDG_CONFIG_HOME, or
// ~/.config) and the shared data folder of the install prefix the program was built for.
QString findUserList(const QString& programDir);

} // namespace entry
