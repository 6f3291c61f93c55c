#include "support/entry_lines_oracle.h"

namespace oracle {

int EntryPlaces::lineCount() const {
    return int(text.count(u'\n')) + 1;
}

const PlacedEntry* EntryPlaces::around(int line) const {
    for (const PlacedEntry& e : entries)
        if (e.first <= line && line <= e.last) return &e;
    return nullptr;
}

const QList<EntryPlaces>& entryPlaces() {
    using namespace Qt::StringLiterals;
    static const QList<EntryPlaces> places{
        {"FromTheHeadToTheClosingLine",
         u"before\n@misc{a,\n  t = {x\n y},\n}\nafter\n@book{b, t = {z}}"_s,
         {{1, 4, 0}, {6, 6, 0}}},
        {"NeverClosedUpToTheNextHead", u"@misc{a,\n  t = {x\n@book{b,\n}"_s, {{0, 1, 0}, {2, 3, 0}}},
        {"InParentheses", u"%c\n@article(k1,\n  title = {T},\n  year = 1990\n)\n"_s, {{1, 4, 0}}},
        {"TypesOfNoCategoryAndOtherNames",
         u"@online{x,\n  title = {A}\n}\n@mastersthesis{m,\n}\n@Conference{c, title={T}}"_s,
         {{0, 2, 0}, {3, 4, 0}, {5, 5, 0}}},
        {"StringAndPreambleAreEntriesCommentIsNone",
         u"@string{j = {J}}\n@comment{x,\n y}\n@preamble{\"p\"}"_s,
         {{0, 0, 0}, {3, 3, 0}}},
        {"AnEntryBeginsWhereAnotherEndsOnItsLine",
         u"@misc{a,\n  t = {x}} @misc{b,\n  t = {y},\n}"_s,
         {{0, 1, 0}, {1, 3, 11}}},
        {"TwoEntriesOnOneLine", u"@misc{a} @misc{b,\n t = {y}}\nafter"_s, {{0, 0, 0}, {0, 1, 9}}},
        {"TypeAndDelimiterOnLinesOfTheirOwn", u"  @article\n{k,\n}"_s, {{0, 2, 2}}},
        {"AnErrorEndsTheEntry", u"@misc{x,\n  title = {A}\n  year = 1,\n}"_s, {{0, 2, 0}}},
        {"AnAtInsideAValueOrCommentTextBeginsNone",
         u"% mail: a@b.c\n@misc{e,\n  note = {a@b.c},\n}"_s,
         {{1, 3, 0}}},
        {"AHeadBelowABraceLeftOpenIsReadAfresh",
         u"@misc{a, note = {x\n@misc{b,\n  t = {y},\n}\n"_s,
         {{0, 0, 0}, {1, 3, 0}}},
        {"BlanksBeforeTheAtAndInTheHead", u"\n  @ book {b,\n}"_s, {{1, 2, 2}}},
    };
    return places;
}

} // namespace oracle
