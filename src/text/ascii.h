#pragma once
// ASCII-only case helpers: the system compares the letters A-Z and a-z alike and leaves every other
// character (full-width letters included) as it is.
#include <QChar>
#include <QString>
#include <QStringView>

namespace text {

constexpr char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}
QString asciiLower(QStringView s);
// Index of the first occurrence of `needle` in `haystack` with A-Z and a-z matched alike, or -1.
qsizetype indexOfAsciiCaseless(QStringView haystack, QStringView needle, qsizetype from = 0);
bool startsWithAsciiCaseless(QStringView s, QStringView prefix);

} // namespace text
