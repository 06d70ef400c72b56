#include "SorlEventQueue.h"

bool CSorlEventQueue::Push(const SorlEvent& event)
{
    const std::uint32_t written = written_.load(std::memory_order_relaxed);
    const std::uint32_t pending = written - read_.load(std::memory_order_acquire);

    if (pending > kFlushAbove) {
        flushUntil_.store(written, std::memory_order_relaxed);
        flushDue_.store(true, std::memory_order_release);
    }
    if (pending >= kCapacity) {
        return false;
    }
    entries_[written & kMask] = event;
    written_.store(written + 1, std::memory_order_release);
    return true;
}

void CSorlEventQueue::Clear()
{
    read_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
    flushDue_.store(false, std::memory_order_relaxed);
}

std::uint32_t CSorlEventQueue::Count() const
{
    return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
}
