#include "base/fonts.h"

#include <QStringList>

namespace base {

void registerFontSubstitutions() {
    const QStringList gothic = {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")};
    const QStringList proportionalGothic = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                                            QStringLiteral("IPAGothic")};
    QFont::insertSubstitutions(kEditorFontName, gothic);
    QFont::insertSubstitutions(kWindowFontName, proportionalGothic);
}

QFont windowFont() {
    QFont font(kWindowFontName);
    font.setPixelSize(12);
    return font;
}

} // namespace base
