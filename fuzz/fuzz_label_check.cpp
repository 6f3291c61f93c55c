// The label check: "{" + label + "," anywhere in the text, A-Z and a-z alike, against a plain search;
// and the index of label keys (what the editor looks a label up in) gives the same answer line by line.
#include "entry/entry_count.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int labelLength = fuzz::takeNumber(data, size, 8);
    const QString input = fuzz::textOf(data, size);
    const QString label = input.left(labelLength), text = input.mid(labelLength);
    auto lower = [](QString s) {
        for (QChar& c : s)
            if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
        return s;
    };
    const bool inUse = lower(text).contains(u'{' + lower(label) + u',');
    FUZZ_CHECK(entry::labelInUse(text, label) == inUse);
    const QString key = entry::labelKey(label);
    if (!key.isEmpty()) {
        bool indexed = false;
        for (const QString& line : text.split(u'\n'))
            indexed = indexed || entry::labelKeys(line).contains(key);
        FUZZ_CHECK(indexed == inUse);
    }
    return 0;
}
