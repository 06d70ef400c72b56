#include <limits>

#include "EngineFixture.h"
#include "SorlParameterTable.h"

namespace {

using Bank = CSorlControlBank;

TEST_F(EngineTest, AnEventBeyondTheBlockHoldsBackLaterOnesUntilItsSample)
{
    engine->QueueArpClockMode(10, true);
    engine->QueueArpTick(0);
    engine->QueueMgPhase(0.25f, 0);
    RenderBlock(8);
    EXPECT_FALSE(engine->ArpExternalClock());
    EXPECT_FALSE(engine->ArpTickPending());
    EXPECT_EQ(engine->PendingEventCount(), 3u);

    RenderBlock(11);
    EXPECT_TRUE(engine->ArpExternalClock());
    EXPECT_FALSE(engine->ArpTickPending()) << "the clock took the tick at sample 10";
    EXPECT_NEAR(engine->MgPhase(), 0.25f, 1e-5f) << "set at sample 10, then one step down";
    EXPECT_LT(engine->MgPhase(), 0.25f);
    EXPECT_EQ(engine->PendingEventCount(), 0u);
}

TEST_F(EngineTest, ClockModeEventsApplyInQueueOrder)
{
    engine->QueueArpClockMode(3, true);
    engine->QueueArpClockMode(3, false);
    RenderBlock(4);
    EXPECT_FALSE(engine->ArpExternalClock());
}

TEST_F(EngineTest, ExternalModulationValuesFollowTheSource)
{
    struct Case {
        int source;
        float value;
        float target;
    };
    const Case cases[] = {{3, 0.8f, 0.018f}, {8, 0.0f, 0.01f}, {2, 0.8f, 0.015f}, {0, 1.0f, 0.015f}};
    for (const int input : {0, 1}) {
        const auto entry = static_cast<Bank::Entry>(Bank::kExtInput1 + input);
        for (const Case& c : cases) {
            engine->SetExtModSource(input, c.source);
            engine->QueueExtModValue(input, c.value, 0);
            RenderBlock(1);
            EXPECT_FLOAT_EQ(Target(entry), c.target) << "input " << input << " source " << c.source;
            EXPECT_EQ(engine->Settings().extModSource[input], c.source);
        }
    }
}

TEST_F(EngineTest, ChoosingAPerVoiceSourceSendsTheInputBackToNeutral)
{
    engine->SetExtModSource(1, 4);
    engine->QueueExtModValue(1, 1.0f, 0);
    RenderBlock(1);
    ASSERT_FLOAT_EQ(Target(Bank::kExtInput2), 0.02f);
    engine->SetExtModSource(1, 1);
    EXPECT_FLOAT_EQ(Target(Bank::kExtInput2), 0.015f);
}

TEST_F(EngineTest, InvalidRequestsAreIgnored)
{
    engine->SetExtModSource(0, 5);
    engine->SetExtModSource(0, 9);
    engine->SetExtModSource(0, -1);
    engine->SetExtModSource(2, 1);
    engine->SetExtModSource(-1, 1);
    EXPECT_EQ(engine->Settings().extModSource[0], 5);
    EXPECT_EQ(engine->Settings().extModSource[1], 0);

    engine->QueueExtModValue(2, 0.5f, 0);
    engine->QueueExtModValue(-1, 0.5f, 0);
    engine->QueueMgPhase(1.01f, 0);
    engine->QueueMgPhase(-0.01f, 0);
    engine->QueueMgPhase(std::numeric_limits<float>::quiet_NaN(), 0);
    engine->QueueNote(0, 128, 100);
    engine->QueueNote(0, -1, 100);
    engine->QueueNote(0, 60, 128);
    engine->QueueNoteOff(0, 200, 0);
    EXPECT_EQ(engine->PendingEventCount(), 0u);

    engine->QueueMgPhase(1.0f, 0);
    engine->QueueMgPhase(0.0f, 0);
    engine->QueueNote(0, 127, 127);
    engine->QueueNoteOff(0, 0, 64);
    EXPECT_EQ(engine->PendingEventCount(), 4u);
}

TEST_F(EngineTest, AllSoundOffPutsTheExternalInputsBackToNeutralAtOnce)
{
    engine->SetExtModSource(0, 3);
    engine->QueueExtModValue(0, 1.0f, 0);
    RenderBlock(4000);
    ASSERT_NEAR(Current(Bank::kExtInput1), 2.0f, 1e-3f);

    engine->QueueAllSoundOff(0);
    RenderBlock(1);
    EXPECT_NEAR(Current(Bank::kExtInput1), 0.99f * 1.5f + 0.02f, 1e-6f) << "reset, then one tick toward the target";
}

TEST_F(EngineTest, LifeCycleAndLayoutChangesDiscardQueuedEvents)
{
    using Action = void (*)(CSorlDsp&);
    const Action actions[] = {
        [](CSorlDsp& e) { e.Resume(); },
        [](CSorlDsp& e) { e.Suspend(); },
        [](CSorlDsp& e) { e.Reset(); },
        [](CSorlDsp& e) { e.SetParameter(0, kInputVoicesTotal, 0.5f); },
        [](CSorlDsp& e) { e.SetParameter(0, kInputVoicesUnison, 0.5f); },
    };
    for (const Action action : actions) {
        engine->QueueArpClockMode(0, true);
        engine->QueueArpTick(5000);
        action(*engine);
        EXPECT_EQ(engine->PendingEventCount(), 0u);
        RenderBlock(16);
        EXPECT_FALSE(engine->ArpExternalClock());
    }
}

TEST_F(EngineTest, LayoutChangesKeepTheControlGlide)
{
    RenderBlock(40);
    const float volume = Current(Bank::kVolume);
    engine->SetParameter(0, kInputVoicesTotal, 1.0f);
    EXPECT_EQ(Current(Bank::kVolume), volume);
}

} // namespace
