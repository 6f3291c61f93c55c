#pragma once
// Names the program is known by.
#include <QString>

namespace base {

inline const QString kApplicationTitle = QStringLiteral("Lorvane Editor");
// The version, set once in the top CMakeLists.txt; the about box and both programs' --version show it.
inline const QString kVersion = QStringLiteral(LORVANE_VERSION);
// The organisation whose folders hold the settings and the user's own user.dat.
inline const QString kOrganisationName = QStringLiteral("Quorvik");
// The folder an installation keeps the data every user shares in (the sample user.dat): the install
// prefix's share/lorvane, fixed when the program is built.
inline const QString kSharedDataDir = QStringLiteral(LORVANE_SHARED_DATA_DIR);
// The help file the help command and the dialogs' help buttons open.
inline const QString kHelpFile = QStringLiteral("C:\\My Documents\\Lorvane Editor\\LORVANE.hlp");
// The program icon, compiled in (data/lorvane.svg); every window shows it.
inline const QString kProgramIcon = QStringLiteral(":/lorvane.svg");
// The caption of a document that belongs to no file.
inline const QString kUntitledName = QStringLiteral("新規ファイル");

} // namespace base
