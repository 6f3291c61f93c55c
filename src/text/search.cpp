#include "text/search.h"

#include <QHash>
#include <QVarLengthArray>
#include <algorithm>
#include <limits>
#include <utility>

namespace text {

namespace {

bool isPairAt(QStringView s, qsizetype i) {
    return i >= 0 && i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate();
}

bool wholeCharacters(QStringView s, qsizetype start, qsizetype end) {
    return !isPairAt(s, start - 1) && !isPairAt(s, end - 1);
}

// The first exact occurrence of a non-empty needle starting in [from, lastStart] that takes whole
// characters of `s`, or -1.
qsizetype findWhole(QStringView s, QStringView needle, qsizetype from, qsizetype lastStart) {
    for (qsizetype at = from; at <= lastStart; ++at) {
        at = s.indexOf(needle, at);
        if (at < 0 || at > lastStart) return -1;
        if (wholeCharacters(s, at, at + needle.size())) return at;
    }
    return -1;
}

qsizetype findExact(QStringView text, QStringView needle, qsizetype from) {
    return findWhole(text, needle, from, text.size() - needle.size());
}

// A lone surrogate counts as a character of its own.
char32_t codePointAt(QStringView s, qsizetype i, qsizetype& size) {
    size = isPairAt(s, i) ? 2 : 1;
    return size == 2 ? QChar::surrogateToUcs4(s[i], s[i + 1]) : s[i].unicode();
}

using Variants = QVarLengthArray<char32_t, 4>;

// Folded character -> every character with that folding (itself included), where there are several.
// Built once: the folding tables can only be read in the other direction.
const QHash<char32_t, Variants>& caseVariants() {
    static const QHash<char32_t, Variants> table = [] {
        QHash<char32_t, Variants> variants;
        for (char32_t c = 0; c <= QChar::LastValidCodePoint; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded == c) continue;
            Variants& v = variants[folded];
            if (v.isEmpty()) v.append(folded);
            v.append(c);
        }
        return variants;
    }();
    return table;
}

struct FoldedChar {
    char32_t folded;
    qsizetype size;
};

bool matchesFolded(QStringView text, qsizetype at, const QVarLengthArray<FoldedChar, 32>& needle) {
    if (isPairAt(text, at - 1)) return false;
    for (const FoldedChar& n : needle) {
        if (at >= text.size()) return false;
        qsizetype size;
        const char32_t c = codePointAt(text, at, size);
        // A pair where the needle has a lone first half is the "ends on a first half" case.
        if (size != n.size || QChar::toCaseFolded(c) != n.folded) return false;
        at += size;
    }
    return true;
}

// Replace All by the rule itself, without searching again from the top: after a replacement at p no
// occurrence begins before p - needle.size() (one before the plain bound p - needle.size() + 1: an
// occurrence ending at p can become whole once the character after it has changed).
//
// The current text is `out_` (passed over), then `pending_` (to be read again: the replacement just
// made and what was stepped back over; next piece last), then the original text from `read_`. Pieces
// point into the original text or the replacement, so the untouched stretches of the original are
// known at the end and no text is rebuilt on the way.
class Rewriter {
public:
    Rewriter(QStringView text, QStringView needle, QStringView replacement)
        : text_(text), needle_(needle), replacement_(replacement) {}

    // The number of replacements, or -1 when more than `limit` would be needed.
    int run(qsizetype limit);
    QList<TextEdit> edits() const;

private:
    struct Piece {
        bool inserted; // characters of the replacement, else of the original text
        qsizetype start;
        qsizetype length;
    };

    QStringView chars(const Piece& p) const {
        return (p.inserted ? replacement_ : text_).sliced(p.start, p.length);
    }
    qsizetype restSize() const { return pendingSize_ + text_.size() - read_; }

    void append(Piece p);
    void push(Piece p);
    // Takes `count` characters off the front of the rest, onto out_ when `keep`.
    void take(qsizetype count, bool keep);
    // Puts out_'s last `count` characters back in front of the rest.
    void retreat(qsizetype count);
    // window_ := out_'s last `before` characters + the rest's first `after`.
    void fillWindow(qsizetype before, qsizetype after);

    QStringView text_, needle_, replacement_;
    QList<Piece> out_, pending_;
    qsizetype outSize_ = 0, pendingSize_ = 0, read_ = 0;
    QString window_;
};

void Rewriter::append(Piece p) {
    if (p.length == 0) return;
    outSize_ += p.length;
    if (!out_.isEmpty()) {
        Piece& last = out_.last();
        if (last.inserted == p.inserted && last.start + last.length == p.start) {
            last.length += p.length;
            return;
        }
    }
    out_.append(p);
}

void Rewriter::push(Piece p) {
    if (p.length == 0) return;
    pendingSize_ += p.length;
    if (!pending_.isEmpty()) {
        Piece& top = pending_.last();
        if (top.inserted == p.inserted && p.start + p.length == top.start) {
            top.start = p.start;
            top.length += p.length;
            return;
        }
    }
    pending_.append(p);
}

void Rewriter::take(qsizetype count, bool keep) {
    while (count > 0 && !pending_.isEmpty()) {
        Piece& top = pending_.last();
        const qsizetype n = std::min(count, top.length);
        if (keep) append({top.inserted, top.start, n});
        top.start += n;
        top.length -= n;
        pendingSize_ -= n;
        count -= n;
        if (top.length == 0) pending_.removeLast();
    }
    Q_ASSERT(count <= text_.size() - read_);
    if (keep) append({false, read_, count});
    read_ += count;
}

void Rewriter::retreat(qsizetype count) {
    outSize_ -= count;
    while (count > 0) {
        Piece& last = out_.last();
        const qsizetype n = std::min(count, last.length);
        last.length -= n;
        push({last.inserted, last.start + last.length, n});
        count -= n;
        if (last.length == 0) out_.removeLast();
    }
}

void Rewriter::fillWindow(qsizetype before, qsizetype after) {
    window_.resize(before + after);
    char16_t* to = reinterpret_cast<char16_t*>(window_.data());
    const auto copy = [&](QStringView c) { to = std::copy(c.utf16(), c.utf16() + c.size(), to); };
    qsizetype i = out_.size();
    qsizetype skip = before;
    while (skip > 0)
        skip -= out_[--i].length;
    for (; i < out_.size(); ++i) {
        copy(chars(out_[i]).sliced(-skip));
        skip = 0;
    }
    for (qsizetype k = pending_.size() - 1; k >= 0 && after > 0; --k) {
        const QStringView c = chars(pending_[k]).first(std::min(after, pending_[k].length));
        copy(c);
        after -= c.size();
    }
    copy(text_.sliced(read_, after));
}

int Rewriter::run(qsizetype limit) {
    const qsizetype n = needle_.size();
    int count = 0;
    for (;;) {
        // Nothing begins before outSize_ - n. Look from there over the pending characters (a stretch at a
        // time) and the original's next n + 1, with one character either side to tell whole characters.
        const qsizetype before = std::min(outSize_, n + 1);
        const qsizetype stretch = std::min(pendingSize_, n + replacement_.size());
        const qsizetype after = std::min(restSize(), stretch + n + 1);
        fillWindow(before, after);
        const qsizetype lastStart = window_.size() - n - (after == restSize() ? 0 : 1);
        const qsizetype hit = findWhole(window_, needle_, std::max<qsizetype>(before - n, 0), lastStart);
        if (hit >= before) {
            take(hit - before, true);
        } else if (hit >= 0) {
            retreat(before - hit);
        } else if (pendingSize_ > 0) {
            take(after, true);
            continue;
        } else {
            // Beyond the window the current text is the original, and so are the characters either side.
            const qsizetype found = findExact(text_, needle_, read_ + 1);
            if (found < 0) return count;
            take(found - read_, true);
        }
        take(n, false);
        push({true, 0, replacement_.size()});
        if (++count > limit) return -1;
    }
}

QList<TextEdit> Rewriter::edits() const {
    QList<TextEdit> edits;
    // Inserted characters always stand where original ones were taken out, so each edit takes some out.
    qsizetype kept = 0; // end of the last original stretch kept
    QString inserted;
    const auto keep = [&](qsizetype start, qsizetype length) {
        if (start > kept) edits.append({kept, start - kept, std::exchange(inserted, {})});
        kept = start + length;
    };
    for (const Piece& p : out_) {
        if (p.inserted)
            inserted += chars(p);
        else
            keep(p.start, p.length);
    }
    keep(read_, text_.size() - read_);
    return edits;
}

// Counts the occurrences of the text as it stands, left to right, without overlaps, and gives the edits
// that replace them when asked.
int eachOccurrence(QStringView text, QStringView needle, QStringView replacement, QList<TextEdit>* edits) {
    int count = 0;
    for (qsizetype at = findExact(text, needle, 0); at >= 0;
         at = findExact(text, needle, at + needle.size())) {
        ++count;
        if (!edits) continue;
        if (!edits->isEmpty() && edits->last().position + edits->last().length == at) {
            edits->last().length += needle.size();
            edits->last().replacement += replacement;
        } else {
            edits->append({at, needle.size(), replacement.toString()});
        }
    }
    return count;
}

} // namespace

qsizetype findNext(QStringView text, QStringView needle, qsizetype from) {
    if (needle.isEmpty()) return -1;
    QVarLengthArray<FoldedChar, 32> folded;
    for (qsizetype i = 0, size; i < needle.size(); i += size)
        folded.append({QChar::toCaseFolded(codePointAt(needle, i, size)), size});

    // Candidates come from the vectorised search for the first code unit of each character that folds
    // like the needle's first; each is searched again only once it has been passed.
    QVarLengthArray<char16_t, 4> units;
    const auto addUnit = [&](char32_t c) {
        const char16_t unit = QChar::requiresSurrogates(c) ? QChar::highSurrogate(c) : char16_t(c);
        if (!units.contains(unit)) units.append(unit);
    };
    const auto variants = caseVariants().constFind(folded[0].folded);
    if (variants != caseVariants().cend())
        std::ranges::for_each(*variants, addUnit);
    else
        addUnit(folded[0].folded);

    QVarLengthArray<qsizetype, 4> next(units.size(), -2);
    const qsizetype lastStart = text.size() - needle.size();
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= lastStart;) {
        qsizetype hit = -1;
        for (qsizetype k = 0; k < units.size(); ++k) {
            if (next[k] != -1 && next[k] < i) next[k] = text.indexOf(QChar(units[k]), i);
            if (next[k] >= 0 && (hit < 0 || next[k] < hit)) hit = next[k];
        }
        if (hit < 0 || hit > lastStart) return -1;
        if (matchesFolded(text, hit, folded)) return hit;
        i = hit + 1;
    }
    return -1;
}

qsizetype findFirstExact(QStringView text, QStringView needle) {
    return needle.isEmpty() ? -1 : findExact(text, needle, 0);
}

ReplaceAllResult replaceAll(QStringView text, QStringView needle, QStringView replacement) {
    if (needle.isEmpty()) return {0, {}};
    // A replacement holding the find text always makes a new occurrence: the rule would never end. A
    // shorter replacement shortens the text each time, so the rule ends within text.size() / (difference)
    // replacements however many new occurrences it makes ("ab" by "b" in a million a's and a b). Other
    // runs can make new occurrences without end ("ab" by "bbaa" in "aab"), so beyond replacing each
    // original occurrence once such a run may read about twice the text's length again; past that it is
    // taken as never ending.
    if (!replacement.contains(needle)) {
        const int once = eachOccurrence(text, needle, replacement, nullptr);
        if (once == 0) return {0, {}};
        const qsizetype shrink = needle.size() - replacement.size();
        const qsizetype limit =
            shrink > 0 ? text.size() / shrink
                       : once + (2 * text.size() + (1 << 20)) / (needle.size() + replacement.size() + 1);
        Rewriter rewriter(text, needle, replacement);
        const int count = rewriter.run(std::min<qsizetype>(limit, std::numeric_limits<int>::max() - 1));
        if (count >= 0) return {count, rewriter.edits()};
    }
    ReplaceAllResult result{0, {}};
    result.count = eachOccurrence(text, needle, replacement, &result.edits);
    return result;
}

QString applyEdits(QStringView text, const QList<TextEdit>& edits) {
    qsizetype size = text.size();
    for (const TextEdit& e : edits)
        size += e.replacement.size() - e.length;
    QString result;
    result.reserve(size);
    qsizetype at = 0;
    for (const TextEdit& e : edits) {
        Q_ASSERT(e.position >= at && e.position + e.length <= text.size());
        result += text.sliced(at, e.position - at);
        result += e.replacement;
        at = e.position + e.length;
    }
    result += text.sliced(at);
    return result;
}

} // namespace text
