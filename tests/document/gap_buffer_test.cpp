// The gap buffer against a plain string through large pastes and deletions: the text, its pieces and its
// characters stay right while the array grows and gives its gap back.
#include "document/gap_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GapBuffer, KeepsTheTextWhileTheArrayGrowsAndShrinks) {
    const struct {
        const char* what;
        qsizetype from, length, inserted;
    } steps[] = {
        {"typing into an empty text", 0, 0, 1},
        {"a paste larger than the gap", 1, 0, 300000},
        {"a paste into the middle", 150000, 0, 2000000},
        {"a character far from the gap", 10, 0, 1},
        {"a deletion of nearly everything", 100, 2200000, 0},
        {"typing after it", 50, 3, 2},
        {"a deletion up to the end", 20, 83, 0},
    };
    document::GapBuffer buffer;
    std::u16string model;
    qsizetype largest = 0;
    char16_t next = u'a';
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        std::u16string text(size_t(s.inserted), u' ');
        for (char16_t& c : text)
            c = next = next == u'z' ? u'a' : char16_t(next + 1);
        buffer.replace(s.from, s.length, QStringView(text.data(), qsizetype(text.size())));
        model.replace(size_t(s.from), size_t(s.length), text);
        ASSERT_EQ(buffer.size(), qsizetype(model.size()));
        const qsizetype middle = buffer.size() / 2;
        EXPECT_EQ(buffer.mid(middle / 2, middle).toStdU16String(),
                  model.substr(size_t(middle / 2), size_t(middle)));
        EXPECT_EQ(buffer.view(middle / 3, middle).toString().toStdU16String(),
                  model.substr(size_t(middle / 3), size_t(middle)));
        if (!model.empty()) {
            EXPECT_EQ(buffer.at(0), model.front());
            EXPECT_EQ(buffer.at(buffer.size() - 1), model.back());
        }
        EXPECT_EQ(buffer.view().toString().toStdU16String(), model);
        largest = std::max(largest, buffer.memoryBytes());
    }
    // The large deletion gave the memory back.
    EXPECT_LT(buffer.memoryBytes(), largest / 4);
}

} // namespace
