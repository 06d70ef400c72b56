#include "ArpClock.h"
#include "InstrumentFixture.h"

#include "SorlDsp.h"

#include <vector>

using sorrel::test::InstrumentTest;

namespace {

std::vector<int> ticksOfBlock(CSorlArpClock& clock, int frames)
{
    std::vector<int> ticks;
    clock.advance(frames, [&](int offset) { ticks.push_back(offset); });
    return ticks;
}

} // namespace

TEST(ArpClock, TicksFallWhereTheCountdownCrossesZero)
{
    struct Case {
        int countdown;
        float period;
        int frames;
        std::vector<int> ticks;
        float left;
    };
    const Case cases[] = {
        {100, 200.0f, 512, {100, 300, 500}, 188.0f},
        {600, 200.0f, 512, {}, 88.0f},
        {0, 6000.0f, 512, {0}, 5488.0f},
        {10, 100.5f, 256, {10, 110, 210}, 55.5f},
        {50, 0.0f, 512, {}, 50.0f}, // no period yet: no ticks and no drift
    };
    for (const Case& c : cases) {
        CSorlArpClock clock;
        clock.setPeriod(c.period);
        clock.restart(c.countdown);
        EXPECT_EQ(ticksOfBlock(clock, c.frames), c.ticks) << c.countdown << " / " << c.period;
        EXPECT_FLOAT_EQ(clock.countdownSamples(), c.left) << c.countdown << " / " << c.period;
    }
}

TEST(ArpClock, TheFractionCarriesIntoTheNextBlock)
{
    CSorlArpClock clock;
    clock.setPeriod(100.5f);
    clock.restart(10);
    ticksOfBlock(clock, 256);
    EXPECT_EQ(ticksOfBlock(clock, 100), std::vector<int>{55});
    EXPECT_FLOAT_EQ(clock.countdownSamples(), 56.0f);
}

TEST_F(InstrumentTest, TheClockTicksBeforeTheEngineRendersTheBlock)
{
    resumeSettled();
    // Tempo 120, 1/16, times 1 at 44.1 kHz: 5512.5 samples.
    ASSERT_FLOAT_EQ(instrument->arpPeriodSamples(), 5512.5f);
    midi({{0, 0x90, 60, 100}}); // restarts the clock at 0
    render(512);
    EXPECT_EQ(pendingEvents(), 0u);
    EXPECT_EQ(instrument->getEngine()->GetLedState(1), 1.0f); // the tick reached the arpeggiator in this block
    EXPECT_FLOAT_EQ(instrument->arpeggiatorClock().countdownSamples(), 5000.5f);

    // Without tempo sync the clock stands still.
    instrument->setParameter(61, 0.0f);
    render(512);
    EXPECT_FLOAT_EQ(instrument->arpeggiatorClock().countdownSamples(), 5000.5f);
}

TEST_F(InstrumentTest, NoTimeInfoLeavesTheTempoAt120)
{
    render(512);
    EXPECT_FLOAT_EQ(instrument->getHostTempo(), 120.0f);
}
