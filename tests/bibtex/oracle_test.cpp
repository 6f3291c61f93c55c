// The check against its judge: pBibTeX with the standard Japanese style, run on every .bib of the corpus
// and on files with one fault each. Every error pBibTeX reports in the .bib must be an error of the check
// at that line, every warning about a missing field, author and editor, or sorting a warning of the check
// naming that entry; a file pBibTeX takes without an error gets no error from the check.
#include "bibtex/check.h"
#include "text/encoding.h"
#include "text/text_file.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace bibtex;
using namespace Qt::StringLiterals;

namespace {

// One file with one fault, and what the check says about it.
struct Fault {
    const char* name;
    const char16_t* text;
    Message message;
    int line;
};

const Fault kFaults[] = {
    {"unclosed value", u"@article{a, author={A}, title={T,\n journal={J}, year=2000}\n", Message::NotClosed,
     1},
    {"unclosed entry", u"@article{a, author={A}, title={T}, journal={J}, year=2000\n\n@misc{b, note={n}}\n",
     Message::NotClosed, 1},
    {"unclosed at the end", u"@misc{b, note={n},\n", Message::NotClosed, 1},
    {"missing =", u"@misc{b, author={A},\n note {n}}\n", Message::NoEquals, 2},
    {"missing ,", u"@misc{b, author={A}\n note={n}}\n", Message::NoComma, 2},
    {"an entry after another on the last line",
     u"@misc{a, author={A}}\n@misc{b, author={B}} @misc{c, author={C}}", Message::IgnoredAtEnd, 2},
    // After a final CR LF, BibTeX's last line is the empty one it sees between CR and LF: c is read.
    {"an entry after another before a final CR LF",
     u"@misc{a, author={A}}\r\n@misc{b, author={B}} @misc{c, title={C}}\r\n", Message::SortNeeds, 2},
    {"missing label", u"@misc{author = {A}, title={T}}\n", Message::MissingLabel, 1},
    {"missing field name", u"@misc{b, author={A}, ={n}}\n", Message::NoFieldName, 1},
    {"missing value", u"@misc{b, author={A}, note=,\n}\n", Message::NoValue, 1},
    {"value ends the file", u"@misc{b, author={A}, note=\n", Message::NotClosed, 1},
    {"type without {", u"write to me@example.org\n@misc{b, author={A}}\n", Message::NoOpening, 1},
    {"no type", u"@{b, author={A}}\n", Message::NoEntryType, 1},
    {"unbalanced braces", u"@misc{b, author={A}, note=\"a}b\"}\n", Message::UnbalancedBraces, 1},
    {"label twice", u"@misc{Yamada2024, author={A}}\n@misc{yamada2024, author={B}}\n", Message::LabelRepeated,
     2},
    {"missing journal", u"@article{a, author={A}, title={T}, year=2000}\n", Message::EmptyField, 1},
    {"empty journal", u"@article{a, author={A}, title={T}, journal={ }, year=2000}\n", Message::EmptyField,
     1},
    {"author and editor", u"@book{a, author={A}, editor={E}, title={T}, publisher={P}, year=2000}\n",
     Message::AuthorAndEditor, 1},
    {"neither author nor key", u"@misc{a, title={T}}\n", Message::SortNeeds, 1},
    {"field twice", u"@misc{a, author={A}, title={T},\n title={U}}\n", Message::FieldRepeated, 2},
    {"undefined string", u"@misc{a, author={A}, howpublished=web}\n", Message::UndefinedString, 1},
    {"crossref to nothing", u"@misc{a, author={A}, crossref={b}}\n", Message::NoCrossrefEntry, 1},
    {"no yomi", u"@misc{a,\n author={山田 太郎}}\n", Message::NoYomi, 2},
    {"same doi", u"@misc{a, author={A}, doi={10.1/x}}\n@misc{b, author={A}, doi={10.1/X}}\n",
     Message::SameDoi, 1},
    {"same title",
     u"@misc{a, author={A}, title={A Title}, year=2000}\n@misc{b, author={A}, title={a {T}itle.}, "
     u"year=2000}\n",
     Message::SameTitle, 2},
    {"one hyphen", u"@misc{a, author={A}, pages={12-34}}\n", Message::SingleHyphen, 1},
};

TEST(BibtexCheck, FindsEachFaultAtItsLine) {
    for (const Fault& fault : kFaults) {
        const text::DecodedText decoded = text::decodeText(QString::fromUtf16(fault.text).toUtf8());
        CheckOptions options;
        options.finalLineBreak = finalLineBreak(decoded.text, decoded.format, decoded.lineEnds);
        const QList<Finding> findings = checkText(decoded.text, options);
        const bool found = std::any_of(findings.begin(), findings.end(), [&](const Finding& f) {
            return f.message == fault.message && f.line == fault.line;
        });
        EXPECT_TRUE(found) << fault.name;
    }
    // Text outside entries, @comment, @preamble and @string are no faults; a whole file has no finding.
    const QString sound = u"Comment text, even with = and {.\n@comment{anything (at all}\n"
                          u"@preamble{ \"\\newcommand{\\x}{y}\" }\n@string(jsai = \"JSAI\")\n"
                          u"@article(a,\n author = \"A\", title = {T {x}}, journal = jsai # \" J\",\n"
                          u"  year = 2000, pages = \"1--2\")\n"_s;
    EXPECT_EQ(checkText(sound), QList<Finding>());
}

const char* kanjiOption(text::Encoding encoding) {
    switch (encoding) {
    case text::Encoding::Utf8:
        return "-kanji=utf8";
    case text::Encoding::EucJp:
        return "-kanji=euc";
    case text::Encoding::Iso2022Jp:
        return "-kanji=jis";
    case text::Encoding::Cp932:
        break;
    }
    return "-kanji=sjis";
}

// pBibTeX ends a line at every CR and every LF, so a CR LF counts as two lines there and as one in the
// editor: the editor's line (1-based) of each of pBibTeX's lines.
QList<int> editorLines(const QByteArray& bytes) {
    QList<int> lines{0, 1};
    int editorLine = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            lines << editorLine + 1; // the empty line pBibTeX sees between CR and LF
            ++editorLine;
            lines << editorLine;
            ++i;
        } else if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines << ++editorLine;
        }
    }
    return lines;
}

struct Tally {
    int errors = 0, errorsMatched = 0, warnings = 0, warningsMatched = 0;
    int crossrefs = 0,
        crossrefsMatched = 0; // pBibTeX's error "A bad cross reference", a warning of the check
    int checkErrors = 0, checkWarnings = 0, checkNotes = 0;
    std::map<int, int> beyond; // findings pBibTeX says nothing of, by message
};

// Runs pBibTeX on `bytes` and compares its log with the check of the same text.
void compareWithPbibtex(const QString& name, const QByteArray& bytes, const QString& pbibtex, Tally& tally) {
    SCOPED_TRACE(name.toStdString());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    text::writeFileBytes(dir.filePath(u"x.bib"_s), bytes);
    text::writeFileBytes(dir.filePath(u"x.aux"_s),
                         "\\relax\n\\citation{*}\n\\bibstyle{jplain}\n\\bibdata{x}\n");
    const text::DecodedText decoded = text::decodeText(bytes);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(pbibtex, {QString::fromLatin1(kanjiOption(decoded.format.encoding)), u"x"_s});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString log = text::decodeText(text::readFileBytes(dir.filePath(u"x.blg"_s))).text;

    const QList<int> lineMap = editorLines(bytes);
    CheckOptions options;
    options.notes = true;
    options.finalLineBreak = finalLineBreak(decoded.text, decoded.format, decoded.lineEnds);
    const QList<Finding> findings = checkText(decoded.text, options);
    int checkErrors = 0;
    for (const Finding& f : findings) {
        checkErrors += f.severity == Severity::Error;
        tally.checkErrors += f.severity == Severity::Error;
        tally.checkWarnings += f.severity == Severity::Warning;
        tally.checkNotes += f.severity == Severity::Note;
    }
    // Marks every finding the predicate takes as one pBibTeX reports too.
    QList<bool> reported(findings.size(), false);
    const auto has = [&](auto&& predicate) {
        bool any = false;
        for (int i = 0; i < findings.size(); ++i)
            if (predicate(findings[i])) any = reported[i] = true;
        return any;
    };

    // "MESSAGE---line N of file x.bib": an error of the check that BibTeX would report at line N.
    static const QRegularExpression bibError(u"^(.*)---line (\\d+) of file x\\.bib$"_s,
                                             QRegularExpression::MultilineOption);
    int pbibtexErrors = 0;
    for (auto match = bibError.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        const int line = lineMap.value(m.captured(2).toInt(), -1);
        const bool repeated = m.captured(1) == u"Repeated entry";
        ++pbibtexErrors;
        ++tally.errors;
        const bool found = has([&](const Finding& f) {
            return f.severity == Severity::Error && f.bibtexLine == line &&
                   (!repeated || f.message == Message::LabelRepeated);
        });
        tally.errorsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    // Errors of the style in names: the check reports them in the entry's author or editor.
    static const QRegularExpression nameError(
        u"^(?:Name \\d+ in .* has a comma at the end|Too many commas in name \\d+ of .*) for entry (\\S+)$"_s,
        QRegularExpression::MultilineOption);
    for (auto match = nameError.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        ++pbibtexErrors;
        ++tally.errors;
        const bool found = has([&](const Finding& f) {
            return f.severity == Severity::Error && f.message == Message::NameCommas &&
                   f.label == m.captured(1);
        });
        tally.errorsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    static const QRegularExpression warning(
        u"^Warning--(?:empty (.+)|(can't use both author and editor fields)|to sort, need (.+)) in (.*)$"_s,
        QRegularExpression::MultilineOption);
    for (auto match = warning.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        ++tally.warnings;
        const QString label = m.captured(4);
        const bool found = has([&](const Finding& f) {
            if (f.severity != Severity::Warning || f.label != label) return false;
            if (!m.captured(1).isEmpty()) return f.message == Message::EmptyField && f.arg1 == m.captured(1);
            if (!m.captured(2).isEmpty()) return f.message == Message::AuthorAndEditor;
            return f.message == Message::SortNeeds && f.arg1 == m.captured(3);
        });
        tally.warningsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    // BibTeX's warnings while reading: an undefined abbreviation (at its line), a field twice (the style's
    // fields only); and its error for a crossref to no entry, which the check reports as a warning.
    static const QRegularExpression readingWarning(
        u"^(?:Warning--string name \"(.+)\" is undefined\n--line (\\d+) of file x\\.bib|Warning--I'm ignoring (.+)'s extra \"(.+)\" field)$"_s,
        QRegularExpression::MultilineOption);
    for (auto match = readingWarning.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        ++tally.warnings;
        const bool found = has([&](const Finding& f) {
            if (!m.captured(1).isEmpty())
                return f.message == Message::UndefinedString && f.arg1.toLower() == m.captured(1) &&
                       f.line == lineMap.value(m.captured(2).toInt(), -1);
            return f.message == Message::FieldRepeated && f.label == m.captured(3) &&
                   f.arg1 == m.captured(4).toLower();
        });
        tally.warningsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    static const QRegularExpression badCrossref(u"^A bad cross reference---entry \"(.+)\"$"_s,
                                                QRegularExpression::MultilineOption);
    for (auto match = badCrossref.globalMatch(log); match.hasNext();) {
        const auto m = match.next();
        ++tally.crossrefs;
        const bool found = has([&](const Finding& f) {
            return f.message == Message::NoCrossrefEntry && f.label == m.captured(1);
        });
        tally.crossrefsMatched += found;
        EXPECT_TRUE(found) << m.captured(0).toStdString();
    }
    QList<int> repeatedLines; // the first use of a repeated label: pBibTeX reports only the second
    for (int i = 0; i < findings.size(); ++i)
        if (reported[i] && findings[i].message == Message::LabelRepeated) repeatedLines << findings[i].line;
    for (int i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        if (!reported[i] && !(f.message == Message::LabelRepeated && repeatedLines.contains(f.otherLine)))
            ++tally.beyond[int(f.message)];
    }
    if (!log.contains(u"error message"_s)) {
        EXPECT_EQ(checkErrors, 0);
        EXPECT_EQ(pbibtexErrors, 0);
    }
}

TEST(BibtexCheck, AgreesWithPbibtexOnTheCorpusAndOnFilesWithOneFault) {
    const QString pbibtex = QStandardPaths::findExecutable(u"pbibtex"_s);
    if (pbibtex.isEmpty())
        GTEST_SKIP() << "pbibtex is not installed (Debian: texlive-lang-japanese); the check is not compared";
    Tally tally;
    for (const Fault& fault : kFaults)
        compareWithPbibtex(QString::fromLatin1(fault.name), QString::fromUtf16(fault.text).toUtf8(), pbibtex,
                           tally);
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({u"*.bib"_s}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        std::cout << "[ note ] no corpus at " << LORVANE_CORPUS_DIR << ": only the files with one fault\n";
    for (const QString& file : files)
        compareWithPbibtex(file, text::readFileBytes(corpus.filePath(file)), pbibtex, tally);
    std::cout << "[ tally ] pbibtex: " << tally.errors << " errors (" << tally.errorsMatched << " matched), "
              << tally.crossrefs << " bad cross references (" << tally.crossrefsMatched << " matched), "
              << tally.warnings << " warnings (" << tally.warningsMatched
              << " matched); the check: " << tally.checkErrors << " errors, " << tally.checkWarnings
              << " warnings, " << tally.checkNotes << " notes; beyond pbibtex's reports, by message:";
    for (const auto& [message, count] : tally.beyond) {
        Finding f;
        f.message = Message(message);
        f.arg1 = u"X"_s;
        f.arg2 = u"Y"_s;
        std::cout << " [" << englishMessage(f).toStdString() << "] " << count;
    }
    std::cout << "\n";
}

} // namespace
