// The BibTeX reader and the check: every line read from its predecessor's packed state as the colouring
// reads it gives the state and runs of the unbroken reading, runs lie in order inside their line, and
// every finding of the check stands on a line of the text, no later than where BibTeX reports it.
#include "bibtex/check.h"
#include "bibtex/reader.h"
#include "fuzz_support.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzz::textOf(data, size);
    const QStringList lines = text.split(u'\n');
    bibtex::LineState state;
    QList<bibtex::Run> runs;
    for (const QString& line : lines) {
        const bibtex::LineState next = bibtex::readLine(line, state, &runs);
        FUZZ_CHECK(next.packed() >= 0);
        FUZZ_CHECK(bibtex::LineState::fromPacked(next.packed()) == next);
        FUZZ_CHECK(bibtex::readLine(line, bibtex::LineState::fromPacked(state.packed())) == next);
        int end = 0;
        for (const bibtex::Run& run : runs) {
            FUZZ_CHECK(run.start >= end && run.length >= 0);
            FUZZ_CHECK((run.token == bibtex::Token::Error) == (run.problem != bibtex::Problem::None));
            end = run.start + run.length;
        }
        FUZZ_CHECK(end <= line.size());
        state = next;
    }
    for (const bibtex::Finding& finding : bibtex::checkText(text)) {
        FUZZ_CHECK(finding.line >= 1 && finding.line <= lines.size());
        FUZZ_CHECK(finding.bibtexLine >= finding.line && finding.bibtexLine <= lines.size());
        FUZZ_CHECK(!bibtex::japaneseMessage(finding).isEmpty() && !bibtex::englishMessage(finding).isEmpty());
    }
    return 0;
}
