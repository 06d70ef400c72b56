// Timed events for the renderer: a single-producer, single-consumer ring of
// 1024 entries. One thread at a time pushes (the plug-in serialises its
// producers); the render call dispatches. The read and write positions run
// freely and are reduced modulo the capacity, so the pending count is their
// difference and can never disagree with them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

enum SorlEventType : std::uint32_t {
    kEventNote,
    kEventAllNotesOff,
    kEventAllSoundOff,
    kEventArpClockMode,
    kEventArpTick,
    kEventExtModValue,
    kEventMgPhase,
    kEventTypeCount
};

// Arguments hold integers or float bits, by type.
struct SorlEvent {
    std::uint32_t time = 0; // sample offset inside the block it is meant for
    std::uint32_t type = 0;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

class CSorlEventQueue {
public:
    static constexpr std::uint32_t kCapacity = 1024;
    // More pending entries than this make the consumer flush the queue.
    static constexpr std::uint32_t kFlushAbove = kCapacity - 2;

    // Producer side. When the queue is nearly full, the entries pending at
    // this moment are marked to be carried out at the next dispatch whatever
    // their time; the new event is dropped only if all 1024 places are taken.
    // Returns false when it was dropped.
    bool Push(const SorlEvent& event);

    // Consumer side: first carries out any flush marked by Push, then, in
    // queue order, every entry whose time is not after limit. An entry whose
    // time has not come holds back all entries behind it.
    template <class Action>
    void Dispatch(std::uint32_t limit, Action&& carryOut);

    // Discards everything pending. Neither side may run meanwhile.
    void Clear();

    std::uint32_t Count() const;

private:
    static constexpr std::uint32_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "the capacity must be a power of two");

    template <class Action>
    void CarryOutFront(std::uint32_t& read, Action& carryOut);

    std::array<SorlEvent, kCapacity> entries_{};
    std::atomic<std::uint32_t> written_{0};
    std::atomic<std::uint32_t> read_{0};
    std::atomic<std::uint32_t> flushUntil_{0};
    std::atomic<bool> flushDue_{false};
};

template <class Action>
void CSorlEventQueue::CarryOutFront(std::uint32_t& read, Action& carryOut)
{
    carryOut(entries_[read & kMask]);
    ++read;
    read_.store(read, std::memory_order_release);
}

template <class Action>
void CSorlEventQueue::Dispatch(std::uint32_t limit, Action&& carryOut)
{
    std::uint32_t read = read_.load(std::memory_order_relaxed);
    // Checked before reading the write position: taking the flag makes every
    // entry the flush covers visible.
    const bool flush = flushDue_.load(std::memory_order_relaxed) &&
                       flushDue_.exchange(false, std::memory_order_acquire);
    const std::uint32_t written = written_.load(std::memory_order_acquire);

    if (flush) {
        const std::uint32_t until = flushUntil_.load(std::memory_order_relaxed);
        while (read != written && static_cast<std::int32_t>(until - read) > 0) {
            CarryOutFront(read, carryOut);
        }
    }
    while (read != written && entries_[read & kMask].time <= limit) {
        CarryOutFront(read, carryOut);
    }
}
