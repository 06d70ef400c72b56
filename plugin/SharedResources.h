// Process-wide state of all plug-in instances: created by the first instance,
// freed when the last one goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class CM4417SharedResources {
public:
    static constexpr std::size_t kBankChunkSize = 268304;
    static constexpr std::size_t kDecompressionBufferSize = kBankChunkSize + 256;

    // Counts an instance in; the first one creates the shared state.
    static void acquire();
    // Counts an instance out; the last one frees the shared state.
    static void release();

    static int instanceCount();
    static std::recursive_mutex& compressionLock();
    // Only valid between acquire and release; guarded by compressionLock.
    static std::uint8_t* decompressionBuffer();
};
