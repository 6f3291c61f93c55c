#pragma once
// The program names its fonts by their Windows names; they render with an installed Japanese gothic.
#include <QFont>
#include <QString>

namespace base {

inline const QString kEditorFontName = QStringLiteral("ＭＳ ゴシック");
inline const QString kWindowFontName = QStringLiteral("ＭＳ Ｐゴシック");
// The about box's title.
inline const QString kTitleFontName = QStringLiteral("Impact");

void registerFontSubstitutions();
// "ＭＳ Ｐゴシック" at 12 pixels: the font of every window.
QFont windowFont();

} // namespace base
