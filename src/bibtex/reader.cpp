#include "bibtex/reader.h"

namespace bibtex {

namespace {

// Where the reader stands, in the order BibTeX meets these places within an entry.
enum Phase : std::uint32_t {
    Outside,     // comment text: looking for "@"
    AfterAt,     // looking for the entry type
    AfterType,   // looking for "{" or "("
    ExpectKey,   // looking for the key (an ordinary entry)
    AfterKey,    // looking for "," or the closing delimiter
    ExpectName,  // looking for a field name, or a @string's name (an ordinary entry may close here)
    AfterName,   // looking for "="
    ExpectValue, // looking for a value part, after "=" or "#"
    InBraced,    // inside a value part in braces; depth >= 1
    InQuoted,    // inside a value part in quotes; depth >= 0 counts the braces open inside it
    AfterValue,  // looking for "#", "," or the closing delimiter
    PhaseCount,
};

enum Kind : std::uint32_t { Ordinary, StringCommand, PreambleCommand, KindCount };

// The packed layout: bits 0-3 the phase, bit 4 set for an entry in "(...)", bits 5-6 the kind of entry,
// bits 7-30 the brace depth inside a value (saturating: no real file nests braces millions deep).
constexpr std::uint32_t kPhaseBits = 0xF;
constexpr std::uint32_t kParenBit = 1u << 4;
constexpr int kKindShift = 5;
constexpr int kDepthShift = 7;
constexpr std::uint32_t kMaxDepth = (1u << 24) - 1;

constexpr bool isWhite(char16_t c) {
    return c == u' ' || c == u'\t';
}

constexpr bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// `word` (lower-case ASCII) equals s[0..n) without regard to ASCII letter case.
bool equalsLower(const char16_t* s, int n, const char16_t* word) {
    for (int i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
        if (word[i] == 0 || c != word[i]) return false;
    }
    return word[n] == 0;
}

} // namespace

class Reader {
public:
    static LineState read(QStringView line, LineState start, QList<Run>* runs);
    static LineState make(std::uint32_t bits) {
        LineState state;
        state.bits_ = bits;
        return state;
    }
    static std::uint32_t bits(LineState state) { return state.bits_; }
};

LineState LineState::fromPacked(int packed) {
    if (packed < 0) return {};
    const auto bits = static_cast<std::uint32_t>(packed);
    if ((bits & kPhaseBits) >= PhaseCount || ((bits >> kKindShift) & 3) >= KindCount) return {};
    return Reader::make(bits);
}

bool LineState::outsideEntries() const {
    return (bits_ & kPhaseBits) == Outside;
}

LineState Reader::read(QStringView line, LineState start, QList<Run>* runs) {
    const char16_t* s = line.utf16();
    const int n = int(line.size());
    std::uint32_t phase = start.bits_ & kPhaseBits;
    bool paren = (start.bits_ & kParenBit) != 0;
    std::uint32_t kind = (start.bits_ >> kKindShift) & 3;
    std::uint32_t depth = start.bits_ >> kDepthShift;
    if (runs) runs->clear();
    auto add = [runs](int at, int length, Token token, Problem problem = Problem::None) {
        if (runs) runs->append(Run{at, length, token, problem});
    };
    int i = 0;
    int valueStart = 0; // where the value part that is being read began on this line
    // BibTeX reports the problem at the character it stopped at and looks for the next "@" from
    // there: the error's run covers that character unless it is the "@" that starts the next entry.
    auto fail = [&](Problem problem) {
        const bool consume = i < n && s[i] != u'@';
        add(i, consume ? 1 : 0, Token::Error, problem);
        if (consume) ++i;
        phase = Outside;
        paren = false;
        kind = Ordinary;
        depth = 0;
    };
    auto closeEntry = [&] {
        add(i, 1, Token::Delimiter);
        ++i;
        phase = Outside;
        paren = false;
        kind = Ordinary;
    };
    // An identifier as BibTeX scans one: it never starts with a digit.
    auto identifierEnd = [&](int from) {
        int j = from;
        if (j < n && isDigit(s[j])) return j;
        while (j < n && isIdentifierChar(s[j]))
            ++j;
        return j;
    };

    while (i < n) {
        if (phase == Outside) {
            int j = i;
            while (j < n && s[j] != u'@')
                ++j;
            if (j > i) add(i, j - i, Token::Comment);
            if (j == n) break;
            add(j, 1, Token::At);
            i = j + 1;
            phase = AfterAt;
            continue;
        }
        if (phase == InBraced) {
            int j = i;
            bool closed = false;
            for (; j < n; ++j) {
                const char16_t c = s[j];
                if (c == u'{') {
                    if (depth < kMaxDepth) ++depth;
                } else if (c == u'}') {
                    if (--depth == 0) {
                        closed = true;
                        ++j;
                        break;
                    }
                }
            }
            add(valueStart, j - valueStart, Token::Braced);
            i = j;
            if (closed) phase = AfterValue;
            continue;
        }
        if (phase == InQuoted) {
            int j = i;
            bool closed = false;
            bool unbalanced = false;
            for (; j < n; ++j) {
                const char16_t c = s[j];
                if (c == u'{') {
                    if (depth < kMaxDepth) ++depth;
                } else if (c == u'}') {
                    if (depth == 0) {
                        unbalanced = true;
                        break;
                    }
                    --depth;
                } else if (c == u'"' && depth == 0) {
                    closed = true;
                    ++j;
                    break;
                }
            }
            if (j > valueStart) add(valueStart, j - valueStart, Token::Quoted);
            i = j;
            if (unbalanced)
                fail(Problem::UnbalancedBraces);
            else if (closed)
                phase = AfterValue;
            continue;
        }
        // Every other phase first skips blanks, as BibTeX does between tokens (and over line ends).
        while (i < n && isWhite(s[i]))
            ++i;
        if (i == n) break;
        const char16_t c = s[i];
        const char16_t close = paren ? u')' : u'}';
        switch (phase) {
        case AfterAt: {
            const int j = identifierEnd(i);
            if (j == i) {
                fail(Problem::NoEntryType);
                break;
            }
            const bool adjacentOk = j == n || isWhite(s[j]) || s[j] == u'{' || s[j] == u'(';
            if (equalsLower(s + i, j - i, u"comment")) {
                // BibTeX reads nothing of a @comment beyond its name (which must end as a type does):
                // the rest is comment text.
                add(i, j - i, Token::Command);
                i = j;
                if (adjacentOk)
                    phase = Outside;
                else
                    fail(Problem::NoOpening);
                break;
            }
            if (equalsLower(s + i, j - i, u"string")) {
                add(i, j - i, Token::Command);
                kind = StringCommand;
            } else if (equalsLower(s + i, j - i, u"preamble")) {
                add(i, j - i, Token::Command);
                kind = PreambleCommand;
            } else {
                add(i, j - i, Token::EntryType);
                kind = Ordinary;
            }
            i = j;
            if (!adjacentOk)
                fail(Problem::NoOpening);
            else
                phase = AfterType;
            break;
        }
        case AfterType:
            if (c != u'{' && c != u'(') {
                fail(Problem::NoOpening);
                break;
            }
            paren = c == u'(';
            add(i, 1, Token::Delimiter);
            ++i;
            phase = kind == Ordinary ? ExpectKey : kind == StringCommand ? ExpectName : ExpectValue;
            break;
        case ExpectKey: {
            // The key runs to a "," or a blank (or the line's end), and in "{...}" to a "}" as well.
            // BibTeX takes an empty key too.
            int j = i;
            while (j < n && s[j] != u',' && !isWhite(s[j]) && (paren || s[j] != u'}'))
                ++j;
            if (j > i) add(i, j - i, Token::Label);
            i = j;
            phase = AfterKey;
            break;
        }
        case AfterKey:
            if (c == close)
                closeEntry();
            else if (c == u',') {
                add(i, 1, Token::Punctuation);
                ++i;
                phase = ExpectName;
            } else
                fail(Problem::NoComma);
            break;
        case ExpectName: {
            if (kind == Ordinary && c == close) {
                closeEntry();
                break;
            }
            const int j = identifierEnd(i);
            if (j == i) {
                fail(Problem::NoFieldName);
                break;
            }
            add(i, j - i, Token::FieldName);
            i = j;
            if (j == n || isWhite(s[j]) || s[j] == u'=')
                phase = AfterName;
            else
                fail(Problem::NoEquals);
            break;
        }
        case AfterName:
            if (c == u'=') {
                add(i, 1, Token::Punctuation);
                ++i;
                phase = ExpectValue;
            } else
                fail(Problem::NoEquals);
            break;
        case ExpectValue:
            if (c == u'{') {
                valueStart = i++;
                depth = 1;
                phase = InBraced;
            } else if (c == u'"') {
                valueStart = i++;
                depth = 0;
                phase = InQuoted;
            } else if (isDigit(c)) {
                int j = i + 1;
                while (j < n && isDigit(s[j]))
                    ++j;
                add(i, j - i, Token::Number);
                i = j;
                phase = AfterValue;
            } else {
                const int j = identifierEnd(i);
                if (j == i) {
                    fail(Problem::NoValue);
                    break;
                }
                add(i, j - i, Token::Abbreviation);
                i = j;
                if (j == n || isWhite(s[j]) || s[j] == u',' || s[j] == u'#' || s[j] == close)
                    phase = AfterValue;
                else
                    fail(Problem::NoComma);
            }
            break;
        case AfterValue:
            if (c == u'#') {
                add(i, 1, Token::Punctuation);
                ++i;
                phase = ExpectValue;
            } else if (c == close)
                closeEntry();
            else if (c == u',' && kind == Ordinary) {
                add(i, 1, Token::Punctuation);
                ++i;
                phase = ExpectName;
            } else
                fail(Problem::NoComma);
            break;
        default:
            break;
        }
    }
    if (phase != InBraced && phase != InQuoted) depth = 0;
    return make(phase | (paren ? kParenBit : 0) | (kind << kKindShift) | (depth << kDepthShift));
}

LineState readLine(QStringView line, LineState start, QList<Run>* runs) {
    return Reader::read(line, start, runs);
}

} // namespace bibtex
