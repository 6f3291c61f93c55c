#pragma once
// What every fuzz target shares: a property check that stops the run with a message, and the input
// seen as text. Each target is one LLVMFuzzerTestOneInput; libFuzzer drives it (scripts/fuzz), and the
// ordinary test run replays the seeds and the findings through replay_main.cpp.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace fuzz {

inline QByteArrayView bytesOf(const uint8_t* data, size_t size) {
    return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text as a user's file gives it: UTF-8 read leniently, so any byte sequence is some text, with CR, LF,
// character 26 and the rest as they stand.
inline QString textOf(const uint8_t* data, size_t size) {
    return QString::fromUtf8(bytesOf(data, size));
}

// The first byte as a small number below `limit`, and the rest of the input.
inline int takeNumber(const uint8_t*& data, size_t& size, int limit) {
    if (size == 0) return 0;
    const int n = data[0] % limit;
    ++data, --size;
    return n;
}

} // namespace fuzz
