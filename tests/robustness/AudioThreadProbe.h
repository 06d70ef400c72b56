// Counts heap calls and lock acquisitions that the calling thread makes while a
// probe scope is open. The counting versions of malloc and the locks live in
// AudioThreadProbe.cpp and replace the C library's in the test binary.
#pragma once

#include <cstdint>

namespace sorrel::test {

struct AudioThreadCounts {
    std::uint64_t allocations = 0; // malloc, calloc, realloc, aligned forms, operator new
    std::uint64_t frees = 0;
    std::uint64_t locks = 0; // pthread mutex, rwlock and spin locks, POSIX semaphores
};

// Counts only on the thread that opened it and only while it is open.
class AudioThreadProbe {
public:
    AudioThreadProbe();
    ~AudioThreadProbe();
    AudioThreadProbe(const AudioThreadProbe&) = delete;
    AudioThreadProbe& operator=(const AudioThreadProbe&) = delete;

    // Everything counted on this thread inside probe scopes so far.
    static AudioThreadCounts totals();
    static void reset();
};

} // namespace sorrel::test
