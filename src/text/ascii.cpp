#include "text/ascii.h"

namespace text {

QString asciiLower(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    for (QChar c : s)
        *d++ = asciiLower(c.unicode());
    return out;
}

bool startsWithAsciiCaseless(QStringView s, QStringView prefix) {
    if (s.size() < prefix.size()) return false;
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (asciiLower(s[i].unicode()) != asciiLower(prefix[i].unicode())) return false;
    return true;
}

qsizetype indexOfAsciiCaseless(QStringView haystack, QStringView needle, qsizetype from) {
    if (needle.isEmpty()) return from <= haystack.size() ? from : -1;
    const char16_t lower = asciiLower(needle[0].unicode());
    const char16_t upper = (lower >= u'a' && lower <= u'z') ? char16_t(lower - 32) : lower;
    const QStringView rest = needle.mid(1);
    const qsizetype last = haystack.size() - needle.size();
    // Candidates for the first character come from the vectorised search, one per letter case; each
    // is searched again only once it has been passed.
    qsizetype nextLower = -2, nextUpper = -2;
    for (qsizetype i = from; i <= last;) {
        if (nextLower != -1 && nextLower < i) nextLower = haystack.indexOf(QChar(lower), i);
        if (upper != lower && nextUpper != -1 && nextUpper < i) nextUpper = haystack.indexOf(QChar(upper), i);
        qsizetype hit = nextLower;
        if (upper != lower && nextUpper >= 0 && (hit < 0 || nextUpper < hit)) hit = nextUpper;
        if (hit < 0 || hit > last) return -1;
        if (startsWithAsciiCaseless(haystack.mid(hit + 1), rest)) return hit;
        i = hit + 1;
    }
    return -1;
}

} // namespace text
