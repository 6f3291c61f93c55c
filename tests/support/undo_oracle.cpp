#include "support/undo_oracle.h"

#include <Qt>

namespace oracle {

namespace {

using namespace Qt::StringLiterals;
using A = UserAction;

A type(const QString& text) {
    return {A::Type, text};
}
A key(Qt::Key k) {
    return {A::Key, {}, k};
}
A select(int from, int to) {
    return {A::Select, {}, 0, from, to};
}
A paste(const QString& text) {
    return {A::Paste, text};
}
A cut() {
    return {A::Cut};
}
A commit(const QString& text, const QString& preedit = {}) {
    A a{A::InputMethod, text};
    a.preedit = preedit;
    return a;
}
A drop(const QString& text, int at) {
    return {A::Drop, text, 0, at};
}
A replaceAll(const QString& find, const QString& replacement) {
    return {A::ReplaceAll, find, 0, 0, 0, replacement};
}
A addEntry(const QStringList& lines) {
    return {A::AddEntry, {}, 0, 0, 0, {}, lines};
}
A changeEntry(const QList<text::TextEdit>& edits) {
    A a{A::ChangeEntry};
    a.edits = edits;
    return a;
}
A save() {
    return {A::Save};
}

const QString kHello = u"hello world"_s;
const QStringList kEntry{u"@misc{a,"_s, u"}"_s, QString()};
// An entry whose title 文献の修正 writes anew and whose year it removes, with its line.
const QString kToChange = u"@misc{a,\n title = {A},\n year = 2001,\n}\n"_s;
const QList<text::TextEdit> kChanges{{9, 13, u" title   = \"B\","_s}, {23, 14, QString()}};

} // namespace

const std::vector<UndoCase>& undoCases() {
    static const std::vector<UndoCase> cases{
        {"characters typed one after another, blanks and tabs among them, are one step",
         kHello,
         5,
         {type(u"ab c"_s), key(Qt::Key_Tab), type(u"d"_s)},
         {{kHello, 5}}},
        {"a line break is a step of its own, between the typing before and after it",
         kHello,
         5,
         {type(u"ab"_s), key(Qt::Key_Return), type(u"cd"_s)},
         {{u"helloab\n world"_s, 8}, {u"helloab world"_s, 7}, {kHello, 5}}},
        {"Backspaces one after another are one step, the typing before and after them others",
         kHello,
         5,
         {type(u"abc"_s), key(Qt::Key_Backspace), key(Qt::Key_Backspace), type(u"x"_s)},
         {{u"helloa world"_s, 6}, {u"helloabc world"_s, 8}, {kHello, 5}}},
        {"Deletes one after another are one step; its undo leaves the caret after what they erased",
         kHello,
         5,
         {key(Qt::Key_Delete), key(Qt::Key_Delete), type(u"x"_s)},
         {{u"helloorld"_s, 5}, {kHello, 7}}},
        {"typing somewhere else starts a step",
         kHello,
         5,
         {type(u"abc"_s), key(Qt::Key_Left), key(Qt::Key_Left), type(u"x"_s)},
         {{u"helloabc world"_s, 6}, {kHello, 5}}},
        {"typing goes on in the same step where the caret went away and came back",
         kHello,
         5,
         {type(u"abc"_s), key(Qt::Key_Left), key(Qt::Key_Right), type(u"x"_s)},
         {{kHello, 5}}},
        {"a save ends the step",
         kHello,
         5,
         {type(u"ab"_s), save(), type(u"cd"_s)},
         {{u"helloab world"_s, 7}, {kHello, 5}}},
        {"typing over a selection is one step with the typing after it; its undo leaves the caret at the "
         "selection's end",
         kHello,
         5,
         {select(7, 2), type(u"XY"_s), key(Qt::Key_Backspace)},
         {{u"heXYorld"_s, 4}, {kHello, 7}}},
        {"a line break erased is a step of its own",
         u"ab\ncd"_s,
         3,
         {key(Qt::Key_Backspace), key(Qt::Key_Backspace)},
         {{u"abcd"_s, 2}, {u"ab\ncd"_s, 3}}},
        {"Deletes across a line end are three steps",
         u"ab\ncd"_s,
         1,
         {key(Qt::Key_Delete), key(Qt::Key_Delete), key(Qt::Key_Delete)},
         {{u"acd"_s, 2}, {u"a\ncd"_s, 2}, {u"ab\ncd"_s, 2}}},
        {"Enter over a selection is one step",
         kHello,
         5,
         {select(2, 7), key(Qt::Key_Return), type(u"z"_s)},
         {{u"he\norld"_s, 3}, {kHello, 7}}},
        {"a paste is one step, which typing right after it joins",
         kHello,
         5,
         {type(u"ab"_s), paste(u"P\nQ"_s), type(u"cd"_s)},
         {{u"helloab world"_s, 7}, {kHello, 5}}},
        {"two pastes are two steps",
         kHello,
         5,
         {paste(u"PQ"_s), paste(u"PQ"_s)},
         {{u"helloPQ world"_s, 7}, {kHello, 5}}},
        {"a paste over a selection is one step", kHello, 5, {select(1, 4), paste(u"PQ"_s)}, {{kHello, 4}}},
        {"a cut is one step, the typing after it another",
         kHello,
         5,
         {select(1, 4), cut(), type(u"cd"_s)},
         {{u"ho world"_s, 1}, {kHello, 4}}},
        {"an input method's commit is one step, which typing right after it joins",
         kHello,
         5,
         {type(u"ab"_s), commit(u"日本"_s), type(u"cd"_s)},
         {{u"helloab world"_s, 7}, {kHello, 5}}},
        {"every commit is a step of its own, whatever the input method showed before it",
         kHello,
         5,
         {commit(u"日本"_s, u"にほん"_s), commit(u"語"_s)},
         {{u"hello日本 world"_s, 7}, {kHello, 5}}},
        {"a commit over a selection is one step",
         kHello,
         5,
         {select(1, 4), commit(u"日本"_s)},
         {{kHello, 4}}},
        {"a drop is one step; its undo leaves the caret where the text was dropped",
         kHello,
         3,
         {drop(u"DR\nOP"_s, 8)},
         {{kHello, 8}}},
        {"typing right after a drop joins it", kHello, 3, {drop(u"DROP"_s, 8), type(u"x"_s)}, {{kHello, 8}}},
        {"Replace All is one step; its undo leaves the caret where the first replacement began",
         u"x a cat b cat"_s,
         1,
         {replaceAll(u"cat"_s, u"dog"_s)},
         {{u"x a cat b cat"_s, 4}}},
        {"Replace All with line breaks in the replacement is one step",
         u"a\ncat x\ncat y"_s,
         0,
         {replaceAll(u"cat"_s, u"do\ng"_s)},
         {{u"a\ncat x\ncat y"_s, 2}}},
        {"typing right after the one replacement of a Replace All joins it",
         u"x cat"_s,
         5,
         {replaceAll(u"cat"_s, u"dog"_s), type(u"Z"_s)},
         {{u"x cat"_s, 5}}},
        {"an entry added is one step; its undo leaves the caret where the entry began",
         u"% x"_s,
         1,
         {addEntry(kEntry)},
         {{u"% x"_s, 3}}},
        {"an entry added with the caret at the end moves the caret after it; typing there is a step of its "
         "own",
         u"% x"_s,
         3,
         {addEntry(kEntry), type(u"Z"_s)},
         {{u"% x\n@misc{a,\n}\n\n"_s, 16}, {u"% x"_s, 3}}},
        {"an entry changed through the form is one step, the typing after it another; its undo leaves the "
         "caret where its first change began",
         kToChange,
         30,
         {changeEntry(kChanges), type(u"Z"_s)},
         {{u"@misc{a,\n title   = \"B\",\n}\n"_s, 25}, {kToChange, 9}}},
    };
    return cases;
}

} // namespace oracle
