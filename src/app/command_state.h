#pragma once
// The font boxes' rules: a size read from the box, the editor font of a name and size.
#include <QString>

class QFont;

namespace app {

// The font size box's text read as a whole number; base::Failure "'%s' は数値ではありません" otherwise.
int fontSizeFromText(const QString& text);

// The editor font: the chosen name first, then the Japanese gothic, so that Japanese text renders
// whatever the name ("Default", a name not installed, a family without Japanese characters).
QFont editorFont(const QString& name, int pointSize);

} // namespace app
