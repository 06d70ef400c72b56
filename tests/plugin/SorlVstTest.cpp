#include "InstrumentFixture.h"

#include "ParameterConversions.h"
#include "SharedResources.h"
#include "SorlDsp.h"

#include <cmath>

using namespace sorrel;
using sorrel::test::InstrumentTest;
using sorrel::test::ScriptedHost;

TEST_F(InstrumentTest, IgnoresIndicesOutsideTheTable)
{
    instrument->applyParameter(96, 1.0f, 0, false);
    instrument->applyParameter(-1, 1.0f, 0, false);
    EXPECT_FALSE(instrument->isEdited());
    EXPECT_TRUE(instrument->notified.empty());
}

TEST_F(InstrumentTest, KeyAssignOnlyFromTheEditorPath)
{
    instrument->setParameter(33, 0.0f); // not automatable
    EXPECT_FLOAT_EQ(value(33), 1.0f);
    instrument->applyParameter(33, 0.0f, 0, false);
    EXPECT_FLOAT_EQ(value(33), 0.0f); // Chord
}

TEST_F(InstrumentTest, EditedFlagFollowsRealChangesButNotTheWheels)
{
    instrument->setParameter(0, 1.0f); // same value
    EXPECT_FALSE(instrument->isEdited());
    instrument->applyParameter(30, 0.9f, 0, false);
    instrument->applyParameter(31, 0.9f, 0, false);
    EXPECT_FALSE(instrument->isEdited());
    instrument->setParameter(0, 0.5f);
    EXPECT_TRUE(instrument->isEdited());
}

TEST_F(InstrumentTest, NotANumberChangesNothing)
{
    instrument->setParameter(7, NAN);
    EXPECT_FLOAT_EQ(value(7), 1.0f);
    EXPECT_FALSE(instrument->isEdited());
}

TEST_F(InstrumentTest, LoweringVoicesTotalLowersUnisonFirst)
{
    instrument->applyParameter(73, fromStep(8, 16, 1), 0, false);
    instrument->applyParameter(72, fromStep(3, 32, 1), 0, false);
    EXPECT_EQ(toStep(value(72), 32, 1), 3);
    EXPECT_EQ(toStep(value(73), 16, 1), 3);
    // Unison cannot exceed the total either.
    instrument->applyParameter(73, 1.0f, 0, false);
    EXPECT_EQ(toStep(value(73), 16, 1), 3);
}

TEST_F(InstrumentTest, OneSourceFeedsOneExternalInput)
{
    struct Case {
        int parameter;
        int source;
        int source1;
        int source2;
    };
    // Init Program: input 1 takes Velocity, input 2 the first assignable controller.
    const Case cases[] = {
        {75, 1, 0, 1}, // input 2 takes Velocity from input 1
        {74, 1, 1, 0}, // and input 1 takes it back
        {74, 3, 3, 0},
        {75, 3, 0, 3},
        {75, 0, 0, 0}, // None may feed both
        {74, 0, 0, 0},
    };
    for (const Case& c : cases) {
        instrument->applyParameter(c.parameter, fromStep(c.source, 9, 0), 0, false);
        EXPECT_EQ(toStep(value(74), 9, 0), c.source1) << c.parameter << " <- " << c.source;
        EXPECT_EQ(toStep(value(75), 9, 0), c.source2) << c.parameter << " <- " << c.source;
    }
}

TEST_F(InstrumentTest, HoldAndArpeggioExcludeEachOther)
{
    instrument->setParameter(32, 1.0f);
    EXPECT_FLOAT_EQ(value(32), 1.0f);
    instrument->setParameter(13, 1.0f); // arpeggio on switches hold off
    EXPECT_FLOAT_EQ(value(13), 1.0f);
    EXPECT_FLOAT_EQ(value(32), 0.0f);

    instrument->notified.clear();
    instrument->setParameter(32, 1.0f); // refused while the arpeggio runs
    EXPECT_FLOAT_EQ(value(32), 0.0f);
    ASSERT_EQ(instrument->notified.size(), 1u);
    EXPECT_EQ(instrument->notified[0], std::make_pair(32, 0.0f));

    instrument->setParameter(13, 0.0f);
    instrument->setParameter(32, 1.0f);
    EXPECT_FLOAT_EQ(value(32), 1.0f);
    instrument->setParameter(13, 0.7f);
    EXPECT_FLOAT_EQ(value(32), 0.0f);
}

TEST_F(InstrumentTest, HiddenParametersActOnlyForOrchardHub)
{
    instrument->setParameter(0, 0.3f);
    instrument->setParameter(94, 1.0f);
    EXPECT_TRUE(instrument->isEdited());
    instrument->setParameter(95, 1.0f);
    EXPECT_EQ(instrument->controllerExclusionChannel(), -1);

    ScriptedHost::productString = "OrchardHub";
    auto orchard = make();
    EXPECT_TRUE(orchard->hostIsOrchardHub());
    orchard->setParameter(0, 0.3f);
    orchard->setParameter(94, 1.0f);
    EXPECT_FALSE(orchard->isEdited());
    EXPECT_FLOAT_EQ(orchard->getParameter(94), 0.0f);
    orchard->setParameter(95, fromStep(5, 17, -1));
    EXPECT_EQ(orchard->controllerExclusionChannel(), 5);
    EXPECT_FLOAT_EQ(orchard->getParameter(95), fromStep(5, 17, -1));
}

TEST(HostRecognition, ByExactProductString)
{
    struct Case {
        const char* product;
        bool orchard;
        bool standalone;
    };
    for (const Case& c : {Case{"OrchardHub", true, false}, Case{"OrchardHub 2", false, false},
                          Case{"SorrelHost", false, true}, Case{"Sorrel", false, false}}) {
        ScriptedHost::productString = c.product;
        CSorlVst instrument(&ScriptedHost::callback);
        ASSERT_TRUE(instrument.initialize());
        EXPECT_EQ(instrument.hostIsOrchardHub(), c.orchard) << c.product;
        EXPECT_EQ(instrument.hostIsStandalone(), c.standalone) << c.product;
    }
    ScriptedHost::productString = "test-host";
}

TEST_F(InstrumentTest, SampleRateHasAFloor)
{
    instrument->dispatcher(effSetSampleRate, 0, 0, nullptr, 4000.0f);
    EXPECT_FLOAT_EQ(instrument->getSampleRate(), 8000.0f);
    instrument->dispatcher(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_FLOAT_EQ(instrument->getSampleRate(), 96000.0f);
    instrument->dispatcher(effSetSampleRate, 0, 0, nullptr, NAN);
    instrument->dispatcher(effSetSampleRate, 0, 0, nullptr, INFINITY);
    EXPECT_FLOAT_EQ(instrument->getSampleRate(), 96000.0f);
}

TEST_F(InstrumentTest, TempoPeriods)
{
    instrument->dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    instrument->setParameter(62, fromStep(7, 10, 0)); // 1/16
    instrument->setParameter(63, 1.0f);               // times 1
    instrument->setTempo(120.0f);
    EXPECT_FLOAT_EQ(instrument->arpPeriodSamples(), 6000.0f);
    instrument->setParameter(58, fromStep(0, 10, 0)); // MG 1/1
    instrument->setParameter(59, 0.0f);               // times 16
    instrument->setTempo(600.0f);                     // taken as 400
    EXPECT_FLOAT_EQ(instrument->mgPeriodSamples(), 48000.0f * 4.0f * 16.0f * 60.0f / 400.0f);
}

TEST_F(InstrumentTest, HostTempoIsTakenWhenValid)
{
    ScriptedHost::timeInfoAvailable = true;
    ScriptedHost::timeInfo.tempo = 600.0;
    ScriptedHost::timeInfo.flags = 0x400;
    render(64);
    EXPECT_FLOAT_EQ(instrument->getHostTempo(), 400.0f);
    ScriptedHost::timeInfo.tempo = 90.0;
    ScriptedHost::timeInfo.flags = 0x200; // tempo not valid
    render(64);
    EXPECT_FLOAT_EQ(instrument->getHostTempo(), 400.0f);
    ScriptedHost::timeInfoAvailable = false;
}

TEST_F(InstrumentTest, VoiceLayoutChangesWaitForTheMute)
{
    instrument->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f); // the pre-roll ends every mute
    ASSERT_EQ(instrument->programFade().state(), CSorlProgramFade::State::Idle);
    const SorlSettings& engine = instrument->getEngine()->Settings();
    ASSERT_EQ(engine.totalVoices, 6);

    instrument->applyParameter(72, fromStep(8, 32, 1), 0, false);
    instrument->setParameter(7, 0.25f); // arrives during the mute too
    EXPECT_EQ(instrument->programFade().state(), CSorlProgramFade::State::Muted);
    EXPECT_EQ(instrument->getEngine()->Output().Muted(), true);
    render(441); // 10 ms
    EXPECT_EQ(engine.totalVoices, 6);
    EXPECT_FLOAT_EQ(instrument->getParameter(7), 0.25f); // the host sees its value at once
    render(441); // 20 ms: the held values reach the engine
    EXPECT_EQ(instrument->programFade().state(), CSorlProgramFade::State::FadingIn);
    EXPECT_EQ(engine.totalVoices, 8);
    EXPECT_EQ(instrument->getEngine()->Output().Muted(), true);
    render(882);
    EXPECT_EQ(instrument->programFade().state(), CSorlProgramFade::State::Idle);
    EXPECT_EQ(instrument->getEngine()->Output().Muted(), false);
}

TEST(SharedState, FirstInstanceCreatesLastFrees)
{
    const int before = CM4417SharedResources::instanceCount();
    {
        CSorlVst first(&ScriptedHost::callback);
        ASSERT_TRUE(first.initialize());
        CSorlVst second(&ScriptedHost::callback);
        ASSERT_TRUE(second.initialize());
        EXPECT_EQ(CM4417SharedResources::instanceCount(), before + 2);
    }
    EXPECT_EQ(CM4417SharedResources::instanceCount(), before);
}
