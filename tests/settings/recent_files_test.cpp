// The recent-file list: how the current file moves to the front, and the items' captions.
#include "settings/recent_files.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// "a|b||d|e" is entries 1 to 5; an empty part is no entry.
settings::RecentFileList listOf(const char* entries) {
    const QStringList parts = QString::fromUtf8(entries).split(u'|');
    settings::RecentFileList list;
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = parts.value(qsizetype(i));
    return list;
}

TEST(RecentFiles, CurrentFileMovesToTheFront) {
    const struct {
        const char *list, *current, *moved;
    } cases[] = {
        {"a|b|c|d|e", "", "a|b|c|d|e"},      // no current file: written back unchanged
        {"a|b|c|d|e", "a", "a|b|c|d|e"},     // already entry 1
        {"a|b|c|d|e", "c", "c|a|b|d|e"},     // from the middle
        {"a|b|c|d|e", "d", "d|a|b|c|e"},     // entry 5 stays where it is
        {"a|b|c|d|e", "e", "e|a|b|c|d"},     // the last
        {"a|b|c|d|e", "f", "f|a|b|c|d"},     // a new file pushes entry 5 off the end
        {"a|b|c|d|e", "A", "A|a|b|c|d"},     // letter case counts: a new entry
        {"a|b|c|b|e", "b", "b|a|c|b|e"},     // the same path twice: the first match wins
        {"||||", "a", "a||||"},              // first start
        {"a||c||", "c", "c|a|||"},           // an empty entry moves down like any other
        {"a b|b|c|d|e", "a", "a|a b|b|c|d"}, // compared whole, not by prefix
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings::movedToFront(listOf(c.list), QString::fromUtf8(c.current)), listOf(c.moved))
            << c.list << " <- " << c.current;
}

TEST(RecentFiles, CaptionIsTheDigitAndTheWholePath) {
    const struct {
        int k;
        const char *entry, *caption;
    } cases[] = {
        {1, "", "&1"},
        {2, "/home/山田/文献.bib", "&2/home/山田/文献.bib"}, // no blank between the digit and the path
        {3, "/x/R&D.bib", "&3/x/R&&D.bib"},                  // "&" shown, not taken as a mnemonic
        {5, "/x/a&&b&", "&5/x/a&&&&b&&"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings::recentItemCaption(c.k, QString::fromUtf8(c.entry)), QString::fromUtf8(c.caption));
}

} // namespace
