#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "SorlEventQueue.h"

namespace {

constexpr std::uint32_t kFarFuture = 5000;

// Records which events were carried out and at which limit.
class EventQueueTest : public ::testing::Test {
protected:
    void Push(std::uint32_t time, std::uint32_t id) { ASSERT_TRUE(queue.Push({time, kEventNote, id, 0})); }

    void DispatchBlock(std::uint32_t frames)
    {
        for (std::uint32_t i = 0; i < frames; ++i) {
            Dispatch(i);
        }
    }

    void Dispatch(std::uint32_t limit)
    {
        queue.Dispatch(limit, [&](const SorlEvent& e) { carriedOut.emplace_back(e.a, limit); });
    }

    std::vector<std::uint32_t> Ids() const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& [id, limit] : carriedOut) {
            ids.push_back(id);
        }
        return ids;
    }

    CSorlEventQueue queue;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> carriedOut; // id, limit
};

TEST_F(EventQueueTest, EventsRunAtTheirSampleInQueueOrder)
{
    Push(3, 1);
    Push(3, 2);
    Push(5, 3);
    DispatchBlock(8);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{{1, 3}, {2, 3}, {3, 5}};
    EXPECT_EQ(carriedOut, expected);
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(EventQueueTest, EventBeyondTheBlockWaitsForTheNextAndHoldsBackLaterOnes)
{
    Push(10, 1);
    Push(0, 2); // due earlier, but queued behind the late one
    DispatchBlock(8);
    EXPECT_TRUE(carriedOut.empty());
    EXPECT_EQ(queue.Count(), 2u);

    DispatchBlock(16);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{{1, 10}, {2, 10}};
    EXPECT_EQ(carriedOut, expected);
}

TEST_F(EventQueueTest, OffsetsCompareUnsigned)
{
    Push(0xFFFFFFFFu, 1);
    DispatchBlock(64);
    EXPECT_TRUE(carriedOut.empty());
    Dispatch(0xFFFFFFFFu);
    EXPECT_EQ(Ids(), std::vector<std::uint32_t>{1});
}

TEST_F(EventQueueTest, The1024thEventFlushesTheOnesPendingBeforeIt)
{
    for (std::uint32_t id = 0; id < 1022; ++id) {
        Push(kFarFuture, id);
    }
    Push(kFarFuture, 1022); // 1023 pending: still no flush
    Dispatch(0);
    EXPECT_TRUE(carriedOut.empty());

    Push(kFarFuture, 1023); // the 1024th
    EXPECT_EQ(queue.Count(), 1024u);
    Dispatch(0);

    std::vector<std::uint32_t> expected;
    for (std::uint32_t id = 0; id < 1023; ++id) {
        expected.push_back(id);
    }
    EXPECT_EQ(Ids(), expected) << "all 1023 carried out at once, in order; the new one keeps its time";
    EXPECT_EQ(queue.Count(), 1u);

    carriedOut.clear();
    Dispatch(kFarFuture);
    EXPECT_EQ(Ids(), std::vector<std::uint32_t>{1023});
}

TEST_F(EventQueueTest, AFullQueueDropsTheNewEventAndFlushesEverything)
{
    for (std::uint32_t id = 0; id < CSorlEventQueue::kCapacity; ++id) {
        Push(kFarFuture, id);
    }
    EXPECT_FALSE(queue.Push({0, kEventNote, 9999, 0}));
    Dispatch(0);
    ASSERT_EQ(carriedOut.size(), CSorlEventQueue::kCapacity);
    EXPECT_EQ(carriedOut.back().first, CSorlEventQueue::kCapacity - 1);
    EXPECT_EQ(queue.Count(), 0u);
}

TEST_F(EventQueueTest, ClearDiscardsPendingEventsAndAPendingFlush)
{
    for (std::uint32_t id = 0; id < 1024; ++id) {
        Push(kFarFuture, id);
    }
    queue.Clear();
    EXPECT_EQ(queue.Count(), 0u);
    Push(kFarFuture, 7);
    Dispatch(0);
    EXPECT_TRUE(carriedOut.empty());
    EXPECT_EQ(queue.Count(), 1u);
}

TEST(EventQueueThreads, ConcurrentPushAndDispatchLoseAndRepeatNothing)
{
    constexpr std::uint32_t kEvents = 200000;
    CSorlEventQueue queue;
    std::atomic<bool> stop{false};
    std::thread producer([&] {
        for (std::uint32_t id = 0; id < kEvents && !stop; ++id) {
            while (!queue.Push({0, kEventNote, id, 0}) && !stop) {
                std::this_thread::yield();
            }
        }
    });

    std::uint32_t next = 0;
    bool inOrder = true;
    // Bounded so that a broken queue fails instead of hanging. An empty pass
    // yields, so that a starved producer on a busy machine gets to run.
    for (long attempt = 0; next < kEvents && attempt < 10'000'000; ++attempt) {
        const std::uint32_t before = next;
        queue.Dispatch(0, [&](const SorlEvent& e) {
            inOrder = inOrder && e.a == next;
            ++next;
        });
        if (next == before) {
            std::this_thread::yield();
        }
    }
    stop = true;
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(next, kEvents);
    EXPECT_EQ(queue.Count(), 0u);
}

} // namespace
