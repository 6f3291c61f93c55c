// The user list reader against the rule: inside "@begin{name}" ... "@end{name}" (whole lines, A-Z in
// any case) every line is an entry; sections do not nest; lines outside them are ignored.
#include "entry/user_list.h"
#include "fuzz_support.h"
#include "text/line_reader.h"

namespace {

bool sameLetters(const QString& line, const QString& marker) {
    auto lower = [](QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c; };
    if (line.size() != marker.size()) return false;
    for (qsizetype i = 0; i < line.size(); ++i)
        if (lower(line[i]) != lower(marker[i])) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name =
        fuzz::takeNumber(data, size, 2) == 0 ? QStringLiteral("Journal") : QStringLiteral("Publisher");
    const QString text = fuzz::textOf(data, size);
    QStringList expected;
    bool inside = false;
    for (const QString& line : text::readLines(text)) {
        if (!inside)
            inside = sameLetters(line, QStringLiteral("@begin{") + name + u'}');
        else if (sameLetters(line, QStringLiteral("@end{") + name + u'}'))
            inside = false;
        else
            expected << line;
    }
    FUZZ_CHECK(entry::readSection(text, name) == expected);
    return 0;
}
