#include "entry/entry_count.h"

#include "text/ascii.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace entry {
namespace {

// In the order they are tried. Each ends in '{', so no head begins another and at most one matches.
constexpr std::array<std::u16string_view, 13> kHeads{
    u"@article{",       u"@book{",       u"@booklet{",      u"@inbook{", u"@incollection{",
    u"@inproceedings{", u"@manual{",     u"@masterthesis{", u"@misc{",   u"@phdthesis{",
    u"@proceedings{",   u"@techreport{", u"@unpublished{",
};

constexpr std::size_t longestHead() {
    std::size_t n = 0;
    for (std::u16string_view h : kHeads)
        n = std::max(n, h.size());
    return n;
}

// Calls `onHead(lineNumber)` for every line of `text` that is an entry head line.
template <typename F> void forEachHeadLine(QStringView text, F onHead) {
    int lineNumber = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QStringView line = end < 0 ? text.sliced(start) : text.sliced(start, end - start);
        if (isEntryHeadLine(line)) onHead(lineNumber);
        if (end < 0) return;
        start = end + 1;
        ++lineNumber;
    }
}

} // namespace

const QStringList& entryHeads() {
    static const QStringList heads = [] {
        QStringList list;
        for (std::u16string_view h : kHeads)
            list.append(QString::fromUtf16(h.data(), qsizetype(h.size())));
        return list;
    }();
    return heads;
}

bool isEntryHeadLine(QStringView line) {
    // The line lower-cased (A-Z only) with its spaces deleted, as far as the longest head reaches; built
    // on the stack since this runs for every line of the document at every count.
    std::array<char16_t, longestHead()> buffer{};
    std::size_t n = 0;
    for (QChar c : line) {
        if (c.unicode() == u' ') continue;
        // Every head begins with '@': most lines end here.
        if (n == 0 && c.unicode() != u'@') return false;
        buffer[n++] = text::asciiLower(c.unicode());
        if (n == buffer.size()) break;
    }
    const std::u16string_view start(buffer.data(), n);
    for (std::u16string_view h : kHeads)
        if (start.starts_with(h)) return true;
    return false;
}

int countEntries(QStringView text) {
    int count = 0;
    forEachHeadLine(text, [&](int) { ++count; });
    return count;
}

QList<int> entryHeadLineNumbers(QStringView text) {
    QList<int> numbers;
    forEachHeadLine(text, [&](int lineNumber) { numbers.append(lineNumber); });
    return numbers;
}

QString entryCountText(int count) {
    return QStringLiteral("文献数： %1件").arg(count);
}

bool labelInUse(QStringView documentText, QStringView label) {
    QString needle;
    needle.reserve(label.size() + 2);
    needle.append(u'{').append(label).append(u',');
    return text::indexOfAsciiCaseless(documentText, needle) >= 0;
}

QStringList labelKeys(QStringView line) {
    QStringList keys;
    for (qsizetype open = line.indexOf(u'{'); open >= 0; open = line.indexOf(u'{', open + 1)) {
        const qsizetype comma = line.indexOf(u',', open + 1);
        if (comma < 0) break; // no later "{" has a comma after it either
        keys.append(text::asciiLower(line.sliced(open, comma - open + 1)));
    }
    return keys;
}

QString labelKey(QStringView label) {
    for (QChar c : label)
        if (c == u',' || c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator) return {};
    return u'{' + text::asciiLower(label) + u',';
}

} // namespace entry
