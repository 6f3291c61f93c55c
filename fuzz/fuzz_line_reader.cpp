// The shared line reader against the rule read word for word: characters up to 32 skipped before a line,
// a line ending at CR (with an LF after it) or at a bare LF, character 26 ending the input.
#include "fuzz_support.h"
#include "text/line_reader.h"

#include <QStringList>

namespace {

QStringList byTheRule(const QString& input) {
    const QString text = input.left(input.indexOf(QChar(26)) < 0 ? input.size() : input.indexOf(QChar(26)));
    QStringList lines;
    qsizetype pos = 0;
    for (;;) {
        while (pos < text.size() && text[pos].unicode() <= 32)
            ++pos;
        if (pos >= text.size()) return lines;
        QString line;
        while (pos < text.size() && text[pos] != u'\r' && text[pos] != u'\n')
            line += text[pos++];
        if (pos < text.size() && text[pos] == u'\r') ++pos;
        if (pos < text.size() && text[pos] == u'\n') ++pos;
        lines << line;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzz::textOf(data, size);
    const QStringList lines = text::readLines(text);
    FUZZ_CHECK(lines == byTheRule(text));
    for (const QString& line : lines)
        FUZZ_CHECK(!line.isEmpty() && line[0].unicode() > 32 && !line.contains(u'\r') &&
                   !line.contains(u'\n'));
    return 0;
}
