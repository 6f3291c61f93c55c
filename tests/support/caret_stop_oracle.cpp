#include "support/caret_stop_oracle.h"

namespace oracle {

using namespace Qt::StringLiterals;

const std::vector<CaretStopCase>& caretStopCases() {
    static const std::vector<CaretStopCase> cases{
        {"words between blanks and punctuation, as a desktop editor stops",
         u"abc def, ghi"_s,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         {4, 7, 9},
         {{1, {0, 3}}, {3, {0, 3}}, {4, {4, 7}}, {7, {7, 8}}, {12, {9, 12}}}},
        {"a label: letters, digits and colons are words of their own",
         u"Knuth:1986:CMT"_s,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
         {5, 6, 10, 11},
         {{2, {0, 5}}, {8, {6, 10}}}},
        {"Japanese stops where kanji, hiragana, katakana and punctuation meet",
         u"日本語の文章です。テキストを編集する。"_s,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
         {3, 4, 6, 8, 9, 13, 14, 16, 18},
         {{1, {0, 3}}, {5, {4, 6}}, {10, {9, 13}}, {14, {14, 16}}}},
        {"a long-vowel mark belongs to its katakana word, full-width and half-width alike",
         u"データの設計 ｶｰﾄﾞ読込"_s,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}, // the half-width voicing mark is part of its grapheme
         {3, 4, 7, 11},
         {{1, {0, 3}}, {8, {7, 11}}}},
        {"digits before a kanji, brackets and a full-width blank",
         u"2024年「引用」と　論文"_s,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {4, 5, 6, 8, 9, 11},
         {{0, {0, 4}}, {7, {6, 8}}}},
        {"a combining mark and an emoji are parts of their words; a grapheme is never cut",
         u"e\u0301t\u00e9 \U0001F600\U0001F600 x"_s,
         {2, 3, 4, 5, 7, 9, 10},
         {5, 10},
         {{1, {0, 4}}, {6, {5, 9}}, {11, {10, 11}}}},
        {"a line of blanks has no word", u"   "_s, {1, 2}, {}, {{1, {0, 0}}, {3, {3, 3}}}},
    };
    return cases;
}

} // namespace oracle
