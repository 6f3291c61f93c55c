#include "bibtex/reader.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace bibtex;
using namespace Qt::StringLiterals;

namespace {

QString problemName(Problem problem) {
    switch (problem) {
    case Problem::None:
        return u"none"_s;
    case Problem::NoEntryType:
        return u"type"_s;
    case Problem::NoOpening:
        return u"opening"_s;
    case Problem::NoLabel:
        return u"label"_s;
    case Problem::NoComma:
        return u"comma"_s;
    case Problem::NoFieldName:
        return u"name"_s;
    case Problem::NoEquals:
        return u"equals"_s;
    case Problem::NoValue:
        return u"value"_s;
    case Problem::UnbalancedBraces:
        return u"braces"_s;
    }
    return {};
}

// The runs of every line as "kind:text" words, lines joined by " / ", each line read from the state
// the previous one ended in (through its packed number, as the editor keeps it).
QString readAll(const QString& text, LineState* end = nullptr) {
    static const char16_t* codes[] = {u"C", u"@", u"T", u"K", u"D", u"L", u"F",
                                      u"P", u"B", u"Q", u"N", u"A", u"E"};
    QStringList lines;
    LineState state;
    QList<Run> runs;
    for (const QString& line : text.split(u'\n')) {
        state = LineState::fromPacked(readLine(line, state, &runs).packed());
        QStringList words;
        int previousEnd = 0;
        for (const Run& run : runs) {
            EXPECT_GE(run.start, previousEnd) << line.toStdString();
            previousEnd = run.start + run.length;
            QString word = QString::fromUtf16(codes[int(run.token)]) + u':' + line.mid(run.start, run.length);
            if (run.token == Token::Error)
                word = u"E("_s + problemName(run.problem) + u"):"_s + line.mid(run.start, run.length);
            words << word;
        }
        EXPECT_LE(previousEnd, line.size());
        lines << words.join(u' ');
    }
    if (end) *end = state;
    return lines.join(u" / ");
}

} // namespace

TEST(BibtexReader, ReadsAsBibtexReadsADatabase) {
    const struct {
        const char16_t* text;
        const char16_t* runs;
        bool outside;
    } cases[] = {
        {u"just text", u"C:just text", true},
        {u"@article{k1, title = {A {B} c}, year = 2024}",
         u"@:@ T:article D:{ L:k1 P:, F:title P:= B:{A {B} c} P:, F:year P:= N:2024 D:}", true},
        {u"@Book(k2,\n  author = \"A {\"}B\" # { x},\n)",
         u"@:@ T:Book D:( L:k2 P:, / F:author P:= Q:\"A {\"}B\" P:# B:{ x} P:, / D:)", true},
        // A value in braces over several lines: one run per line.
        {u"@misc{k, note = {a\nb {c\n}}}", u"@:@ T:misc D:{ L:k P:, F:note P:= B:{a / B:b {c / B:}} D:}",
         true},
        {u"@misc{k, note = {a\nb", u"@:@ T:misc D:{ L:k P:, F:note P:= B:{a / B:b", false},
        // A key ends at a blank, a "," or, in braces, a "}"; in parentheses ")" belongs to the key.
        {u"@misc{k}", u"@:@ T:misc D:{ L:k D:}", true},
        {u"@misc(k)", u"@:@ T:misc D:( L:k)", false},
        {u"@misc{,}", u"@:@ T:misc D:{ P:, D:}", true},
        {u"@ misc\n  {k,}", u"@:@ T:misc / D:{ L:k P:, D:}", true},
        // Abbreviations end at a blank, ",", "#" or the closing delimiter.
        {u"@string{jpn = \"J\" # x}", u"@:@ K:string D:{ F:jpn P:= Q:\"J\" P:# A:x D:}", true},
        {u"@misc{k, month = jan}", u"@:@ T:misc D:{ L:k P:, F:month P:= A:jan D:}", true},
        {u"@PREAMBLE{ \"x\" }", u"@:@ K:PREAMBLE D:{ Q:\"x\" D:}", true},
        // @comment stops at its name; what follows is comment text, and an "@" in it starts an entry.
        {u"@comment{ @misc{k} }", u"@:@ K:comment C:{  @:@ T:misc D:{ L:k D:} C: }", true},
        {u"mail: a@b.c", u"C:mail: a @:@ T:b.c", false},
        {u"@comment\"x\" @misc{k}", u"@:@ K:comment E(opening):\" C:x\"  @:@ T:misc D:{ L:k D:}", true},
        // Errors: the run covers the character BibTeX stopped at, and the search for "@" goes on from there.
        {u"@misc{k title = {x}} more @book{b}",
         u"@:@ T:misc D:{ L:k E(comma):t C:itle = {x}} more  @:@ T:book D:{ L:b D:}", true},
        {u"@misc{k, year = 2000a}", u"@:@ T:misc D:{ L:k P:, F:year P:= N:2000 E(comma):a C:}", true},
        {u"@misc{k, title {x}}", u"@:@ T:misc D:{ L:k P:, F:title E(equals):{ C:x}}", true},
        {u"@misc{k, title\" = 1}", u"@:@ T:misc D:{ L:k P:, F:title E(equals):\" C: = 1}", true},
        {u"@misc{k, = 1}", u"@:@ T:misc D:{ L:k P:, E(name):= C: 1}", true},
        {u"@misc{k, 2title = 1}", u"@:@ T:misc D:{ L:k P:, E(name):2 C:title = 1}", true},
        {u"@misc{k, title = }", u"@:@ T:misc D:{ L:k P:, F:title P:= E(value):}", true},
        {u"@misc{k, title = x\"y\"}", u"@:@ T:misc D:{ L:k P:, F:title P:= A:x E(comma):\" C:y\"}", true},
        {u"@misc{k, title = \"a}b\"}", u"@:@ T:misc D:{ L:k P:, F:title P:= Q:\"a E(braces):} C:b\"}", true},
        {u"@misc{k,\n  title = {x}\n@book{b,}",
         u"@:@ T:misc D:{ L:k P:, / F:title P:= B:{x} / E(comma): @:@ T:book D:{ L:b P:, D:}", true},
        {u"@{k}", u"@:@ E(type):{ C:k}", true},
        {u"@9x{k}", u"@:@ E(type):9 C:x{k}", true},
        {u"@misc=k", u"@:@ T:misc E(opening):= C:k", true},
        {u"@misc k", u"@:@ T:misc E(opening):k", true},
        {u"@string{x = 1, y = 2}", u"@:@ K:string D:{ F:x P:= N:1 E(comma):, C: y = 2}", true},
        {u"@string{}", u"@:@ K:string D:{ E(name):}", true},
        {u"@misc{k, title = x)", u"@:@ T:misc D:{ L:k P:, F:title P:= A:x E(comma):)", true},
        {u"@misc(k, title = x})", u"@:@ T:misc D:( L:k P:, F:title P:= A:x E(comma):} C:)", true},
        // The states between lines: after "@", after the type, after "=", after a field name.
        {u"@\nmisc\n{k,\ntitle\n=\n{x}\n#\n\"y\"\n}",
         u"@:@ / T:misc / D:{ L:k P:, / F:title / P:= / B:{x} / P:# / Q:\"y\" / D:}", true},
    };
    for (const auto& c : cases) {
        LineState end;
        EXPECT_EQ(readAll(QString::fromUtf16(c.text), &end), QString::fromUtf16(c.runs))
            << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(end.outsideEntries(), c.outside) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(BibtexReader, StatesPackIntoSmallNumbersAndComeBackEqual) {
    // Lines that end in different places of an entry end in different states; the same place gives
    // the same number, so recolouring stops where an edited entry's end state is unchanged.
    const char16_t* lines[] = {u"",
                               u"@",
                               u"@misc",
                               u"@misc{",
                               u"@misc{k",
                               u"@misc{k,",
                               u"@misc{k, a",
                               u"@misc{k, a =",
                               u"@misc{k, a = {",
                               u"@misc{k, a = {{",
                               u"@misc{k, a = \"",
                               u"@misc{k, a = \"{",
                               u"@misc{k, a = 1",
                               u"@misc(k,",
                               u"@string{",
                               u"@preamble{"};
    QList<int> seen;
    for (const char16_t* line : lines) {
        const LineState state = readLine(QString::fromUtf16(line), {});
        EXPECT_GE(state.packed(), 0);
        EXPECT_EQ(LineState::fromPacked(state.packed()), state);
        EXPECT_FALSE(seen.contains(state.packed())) << QString::fromUtf16(line).toStdString();
        seen << state.packed();
    }
    EXPECT_EQ(LineState::fromPacked(-1), LineState());
    EXPECT_EQ(LineState::fromPacked(0x7FFFFFFF), LineState()); // no such phase

    // Absurd depths saturate: the number stays >= 0.
    const QString opens(200000, u'{');
    const LineState deep = readLine(u"@misc{k, a = "_s + opens, {});
    EXPECT_GE(deep.packed(), 0);
    EXPECT_FALSE(deep.outsideEntries());
    EXPECT_TRUE(readLine(QString(200001, u'}'), deep).outsideEntries());
}
