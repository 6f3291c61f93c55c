#pragma once
// Names the program is known by.
#include <QString>

namespace base {

inline const QString kApplicationTitle = QStringLiteral("Lorvane Editor");
// The help file the help command and the dialogs' help buttons open.
inline const QString kHelpFile = QStringLiteral("C:\\My Documents\\Lorvane Editor\\LORVANE.hlp");
// The program icon, compiled in (data/lorvane.svg); every window shows it.
inline const QString kProgramIcon = QStringLiteral(":/lorvane.svg");
// The caption of a document that belongs to no file.
inline const QString kUntitledName = QStringLiteral("新規ファイル");

} // namespace base
