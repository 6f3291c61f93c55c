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
    // Where Impact is missing, a condensed bold face keeps the about box's title its shape; left to
    // fontconfig, the name falls on whatever font comes first (a symbol font, here).
    QFont::insertSubstitutions(kTitleFontName,
                               {QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow")});
}

QFont windowFont() {
    QFont font(kWindowFontName);
    font.setPixelSize(12);
    return font;
}

} // namespace base
