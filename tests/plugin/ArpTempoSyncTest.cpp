// A tempo-synced arpeggio through the plug-in object: every note starts on
// the sample of the clock tick the plug-in schedules for it.
#include "ArpClock.h"
#include "InstrumentFixture.h"
#include "ParameterIndices.h"

#include "SorlDsp.h"
#include "SorlParameterTable.h"

#include <vector>

using sorrel::test::InstrumentTest;
using sorrel::test::ScriptedHost;

namespace {

// The host's tempo for one test, withdrawn afterwards.
struct HostTempo {
    explicit HostTempo(double bpm)
    {
        ScriptedHost::timeInfo = {};
        ScriptedHost::timeInfo.tempo = bpm;
        ScriptedHost::timeInfo.sampleRate = 44100.0;
        ScriptedHost::timeInfo.flags = kVstTempoValid;
        ScriptedHost::timeInfoAvailable = true;
    }
    ~HostTempo()
    {
        ScriptedHost::timeInfoAvailable = false;
        ScriptedHost::timeInfo = {};
    }
};

// The envelope level after n samples of attack from silence, computed the
// way the engine computes it.
float AttackLevel(float rate, int n)
{
    float level = 0.0f;
    for (int i = 0; i < n; ++i) {
        level = level + (1.3f - level) * rate;
    }
    return level;
}

} // namespace

// A slow attack makes the level a new note has reached by the end of its
// block tell, to the sample, when the note started.
TEST_F(InstrumentTest, TempoSyncedArpeggioNotesStartOnTheTickSamples)
{
    constexpr int kBlock = 512;
    constexpr int kBlocks = 80;
    constexpr int kKeyOffset = 100;
    resumeSettled();
    const HostTempo tempo(97.0); // a period with a fraction of a sample
    instrument->setParameter(sorrel::kParamMidiSync, 1.0f);
    instrument->setParameter(sorrel::kParamArpTempoSync, 1.0f);
    instrument->setParameter(sorrel::kParamArpKeySync, 1.0f);
    instrument->setParameter(sorrel::kParamArpeggio, 1.0f);
    CSorlDsp& engine = *instrument->getEngine();
    engine.SetParameter(0, kInputKeyAssignPoly, 1.0f);
    engine.SetParameter(0, kInputEgAttack, 0.5f);
    render(kBlock * 4); // the tempo reaches the clock
    ASSERT_NEAR(instrument->getHostTempo(), 97.0f, 1e-4f);

    // The same clock, run alongside, says where the ticks fall.
    CSorlArpClock clock;
    clock.setPeriod(instrument->arpPeriodSamples());
    ASSERT_GT(clock.periodSamples(), static_cast<float>(kBlock));
    ASSERT_NE(clock.periodSamples(), static_cast<float>(static_cast<int>(clock.periodSamples())));
    clock.restart(kKeyOffset);

    midi({{kKeyOffset, 0x90, 60, 100}});
    const float attackRate = engine.Settings().attackRate;
    int notes = 0;
    for (int block = 0; block < kBlocks; ++block) {
        std::vector<int> ticks;
        clock.advance(kBlock, [&](int offset) { ticks.push_back(offset); });
        render(kBlock);
        if (ticks.empty()) {
            continue;
        }
        ++notes;
        const SorlVoiceView voice = engine.Voice(engine.Arpeggiator().SlotCounter());
        ASSERT_EQ(voice.state, kEnvelopeAttack) << "block " << block;
        EXPECT_EQ(voice.note, 60);
        EXPECT_EQ(voice.level, AttackLevel(attackRate, kBlock - ticks.back())) << "tick at " << ticks.back();
    }
    EXPECT_GE(notes, 5);
}
