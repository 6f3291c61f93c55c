// The entry count against a recount by the rule: a line counts when, A-Z lower-cased and every space
// deleted, it begins with one of the thirteen heads; the line numbers of the heads agree with it.
#include "entry/entry_count.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = fuzz::textOf(data, size);
    int expected = 0;
    for (const QString& line : text.split(u'\n')) {
        QString squeezed;
        for (QChar c : line)
            if (c != u' ') squeezed += c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
        expected += std::any_of(entry::entryHeads().cbegin(), entry::entryHeads().cend(),
                                [&](const QString& head) { return squeezed.startsWith(head); });
    }
    FUZZ_CHECK(entry::countEntries(text) == expected);
    FUZZ_CHECK(entry::entryHeadLineNumbers(text).size() == expected);
    return 0;
}
