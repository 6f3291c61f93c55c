#include "text/caret_stops.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <vector>

namespace text {

namespace {

// What a grapheme is to word stops.
enum class Kind { Blank, Punctuation, Han, Hiragana, Katakana, Other };

bool isAsciiPunctuation(char32_t c) {
    return c < 128 && QStringView(u".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\").contains(QChar(char16_t(c)));
}

// Japanese punctuation and brackets (、。「」【】・), and the full-width forms of the ASCII punctuation.
bool isWidePunctuation(char32_t c) {
    return (c >= 0x3000 && c <= 0x303F && c != 0x3005 && c != 0x3006) || c == 0x30FB ||
           (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
           (c >= 0xFF5B && c <= 0xFF65);
}

// The long-vowel marks and the voicing marks belong to the word before them (データ, ｶｰﾄﾞ).
bool joinsPrevious(char32_t c) {
    return c == 0x30FC || c == 0xFF70 || c == 0x309B || c == 0x309C || c == 0xFF9E || c == 0xFF9F;
}

Kind kindOf(char32_t c, Kind previous) {
    if (QChar::isSpace(c)) return Kind::Blank;
    if (isAsciiPunctuation(c) || isWidePunctuation(c)) return Kind::Punctuation;
    if (joinsPrevious(c))
        return previous == Kind::Han || previous == Kind::Hiragana ? previous : Kind::Katakana;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
        return Kind::Han;
    case QChar::Script_Hiragana:
        return Kind::Hiragana;
    case QChar::Script_Katakana:
        return Kind::Katakana;
    default:
        return Kind::Other;
    }
}

char32_t codePointAt(QStringView line, qsizetype i) {
    const QChar c = line[i];
    if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, line[i + 1]);
    return c.unicode();
}

// The graphemes of line[from, to) with their kinds: starts[k] is where grapheme k begins; the last
// element of `starts` is `to`.
struct Graphemes {
    std::vector<qsizetype> starts;
    std::vector<Kind> kinds;
};

Graphemes graphemes(QStringView line, qsizetype from, qsizetype to) {
    Graphemes g;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
                               reinterpret_cast<const QChar*>(line.data()) + from, to - from);
    Kind previous = Kind::Blank;
    for (qsizetype at = 0; at >= 0 && at < to - from; at = finder.toNextBoundary()) {
        previous = kindOf(codePointAt(line, from + at), previous);
        g.starts.push_back(from + at);
        g.kinds.push_back(previous);
    }
    g.starts.push_back(to);
    return g;
}

// The window of the line read around `position`, its ends moved off the middle of a surrogate pair.
std::pair<qsizetype, qsizetype> window(QStringView line, qsizetype position) {
    qsizetype from = std::max<qsizetype>(0, position - kReach);
    qsizetype to = std::min(line.size(), position + kReach);
    if (from > 0 && line[from].isLowSurrogate()) ++from;
    if (to < line.size() && line[to].isLowSurrogate()) ++to;
    return {from, to};
}

// Grapheme k begins a word: it is no blank, and the grapheme before it is of another kind.
bool startsWord(const Graphemes& g, size_t k) {
    return g.kinds[k] != Kind::Blank && (k == 0 || g.kinds[k - 1] != g.kinds[k]);
}

} // namespace

qsizetype nextGrapheme(QStringView line, qsizetype position) {
    if (position >= line.size()) return line.size();
    const qsizetype to = window(line, position).second;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
                               reinterpret_cast<const QChar*>(line.data()) + position, to - position);
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? to : position + next;
}

qsizetype previousGrapheme(QStringView line, qsizetype position) {
    if (position <= 0) return 0;
    const qsizetype from = window(line, position).first;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
                               reinterpret_cast<const QChar*>(line.data()) + from, position - from);
    finder.toEnd();
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? from : from + previous;
}

qsizetype previousCodePoint(QStringView line, qsizetype position) {
    if (position <= 0) return 0;
    if (position >= 2 && line[position - 1].isLowSurrogate() && line[position - 2].isHighSurrogate())
        return position - 2;
    return position - 1;
}

qsizetype nextWordStop(QStringView line, qsizetype position) {
    if (position >= line.size()) return line.size();
    const auto [from, to] = window(line, position);
    const Graphemes g = graphemes(line, from, to);
    for (size_t k = 0; k < g.kinds.size(); ++k)
        if (g.starts[k] > position && startsWord(g, k)) return g.starts[k];
    return to;
}

qsizetype previousWordStop(QStringView line, qsizetype position) {
    if (position <= 0) return 0;
    const auto [from, to] = window(line, position);
    const Graphemes g = graphemes(line, from, to);
    for (size_t k = g.kinds.size(); k-- > 0;)
        if (g.starts[k] < position && startsWord(g, k)) return g.starts[k];
    return from;
}

std::pair<qsizetype, qsizetype> wordAround(QStringView line, qsizetype position) {
    position = std::clamp<qsizetype>(position, 0, line.size());
    if (line.isEmpty()) return {position, position};
    const auto [from, to] = window(line, position);
    const Graphemes g = graphemes(line, from, to);
    // The grapheme that begins at or holds `at`.
    auto graphemeAt = [&](qsizetype at) {
        const size_t k =
            size_t(std::upper_bound(g.starts.begin(), g.starts.end() - 1, at) - g.starts.begin());
        return k == 0 ? 0 : k - 1;
    };
    // At the end of a line that ends in a blank or punctuation there is no word.
    if (position == line.size()) {
        const Kind last = g.kinds.back();
        if (last == Kind::Blank || last == Kind::Punctuation) return {position, position};
    }
    // The word begins at the stop before the grapheme after `position` (so a blank belongs to the word
    // before it), and runs over the graphemes of its kind; a blank run at the line's start is no word.
    const qsizetype first =
        position == 0
            ? 0
            : previousWordStop(line, position < line.size() ? nextGrapheme(line, position) : position);
    size_t k = graphemeAt(first);
    if (first >= line.size() || g.kinds[k] == Kind::Blank) return {first, first};
    const Kind kind = g.kinds[k];
    while (k < g.kinds.size() && g.kinds[k] == kind)
        ++k;
    return {first, g.starts[k]};
}

} // namespace text
