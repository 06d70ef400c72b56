#include "SharedResources.h"

#include <memory>

namespace {

struct Shared {
    std::recursive_mutex compressionLock;
    std::vector<std::uint8_t> decompressionBuffer =
        std::vector<std::uint8_t>(CM4417SharedResources::kDecompressionBufferSize);
};

std::mutex countLock;
int count = 0;
std::unique_ptr<Shared> shared;

} // namespace

void CM4417SharedResources::acquire()
{
    std::lock_guard<std::mutex> guard(countLock);
    if (count++ == 0)
        shared = std::make_unique<Shared>();
}

void CM4417SharedResources::release()
{
    std::lock_guard<std::mutex> guard(countLock);
    if (count > 0 && --count == 0)
        shared.reset();
}

int CM4417SharedResources::instanceCount()
{
    std::lock_guard<std::mutex> guard(countLock);
    return count;
}

std::recursive_mutex& CM4417SharedResources::compressionLock() { return shared->compressionLock; }

std::uint8_t* CM4417SharedResources::decompressionBuffer() { return shared->decompressionBuffer.data(); }
