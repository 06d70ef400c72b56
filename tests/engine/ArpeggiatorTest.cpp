// The arpeggiator stepped by clock ticks, read back from the voices it starts.
#include <string>
#include <vector>

#include "VoiceFixture.h"

namespace {

constexpr float kUp = 1.0f;
constexpr float kDown = 0.5f;
constexpr float kUpDown = 0.0f;
constexpr float kOneOctave = 0.0f;
constexpr float kTwoOctaves = 0.5f;
constexpr float kSixOctaves = 1.0f;
constexpr int kNoNote = -1;

class ArpeggiatorTest : public VoiceTest {
protected:
    void SetUp() override
    {
        VoiceTest::SetUp();
        SetLayout(6, 1);
        engine->QueueArpClockMode(0, true);
        RenderBlock(1);
    }

    void Set(SorlEngineInput input, float value) { engine->SetParameter(0, input, value); }

    void Start(float pattern, float range)
    {
        Set(kInputArpMode, pattern);
        Set(kInputArpRange, range);
        Set(kInputArpeggio, 1.0f);
    }

    // The note each of the next n ticks starts, or kNoNote.
    std::vector<int> Steps(int n)
    {
        std::vector<int> notes;
        for (int i = 0; i < n; ++i) {
            engine->QueueArpTick(0);
            RenderBlock(1);
            const int voice = engine->Arpeggiator().SlotCounter();
            notes.push_back(Sounding(voice) ? NoteOf(voice) : kNoNote);
        }
        return notes;
    }

    int SoundingVoices() const
    {
        int count = 0;
        for (int voice = 0; voice < 6; ++voice) {
            count += Sounding(voice) ? 1 : 0;
        }
        return count;
    }
};

TEST_F(ArpeggiatorTest, PatternsWalkTheHeldKeysOverTheOctaves)
{
    struct Case {
        std::string name;
        float pattern;
        float range;
        std::vector<int> keys;
        std::vector<int> notes;
    };
    const Case cases[] = {
        {"up 2 oct", kUp, kTwoOctaves, {60, 64}, {60, 64, 72, 76, 60, 64}},
        {"up/down 1 oct", kUpDown, kOneOctave, {64, 60, 67}, {60, 64, 67, 67, 64, 60, 60, 64}},
        {"down 1 oct", kDown, kOneOctave, {60, 64, 67}, {67, 64, 60, 67, 64, 60}},
        {"up 6 oct", kUp, kSixOctaves, {60}, {60, 72, 84, 96, 108, 120, 60}},
        {"up skips the top key", kUp, kOneOctave, {60, 127}, {60, 60, 60}},
        {"up/down plays the top key only falling", kUpDown, kTwoOctaves, {60, 127}, {60, 72, 72, 127, 60, 60, 72}},
        {"up with only the top key plays nothing", kUp, kTwoOctaves, {127}, {kNoNote, kNoNote}},
    };
    for (const Case& c : cases) {
        engine->QueueAllSoundOff(0);
        RenderBlock(1);
        Start(c.pattern, c.range);
        for (const int key : c.keys) {
            Press(key);
        }
        EXPECT_EQ(SoundingVoices(), 0) << c.name << ": keys alone start nothing";
        EXPECT_EQ(Steps(static_cast<int>(c.notes.size())), c.notes) << c.name;
        for (const int key : c.keys) {
            Lift(key);
        }
        Set(kInputArpeggio, 0.0f);
    }
}

TEST_F(ArpeggiatorTest, LoweringTheRangeLimitsTheOctaveAtOnce)
{
    Start(kDown, kSixOctaves);
    Press(60); // the first key starts the scan at the top octave
    ASSERT_EQ(Steps(3), (std::vector<int>{120, 108, 96}));
    Set(kInputArpRange, kTwoOctaves); // octave 4 becomes 2 before the next step
    EXPECT_EQ(Steps(3), (std::vector<int>{60, 72, 60}));
}

TEST_F(ArpeggiatorTest, LatchKeepsPlayingAndANewKeyStartsANewSet)
{
    Set(kInputArpLatch, 1.0f);
    Start(kUp, kOneOctave);
    Press(60);
    Press(64);
    Lift(60);
    Lift(64);
    EXPECT_EQ(Steps(3), (std::vector<int>{60, 64, 60}));
    Press(67);
    EXPECT_EQ(Steps(2), (std::vector<int>{67, 67}));
    Press(72); // joins the set while 67 is still down
    EXPECT_EQ(Steps(2), (std::vector<int>{72, 67}));
}

TEST_F(ArpeggiatorTest, WithoutLatchReleasingTheKeysEndsTheArpeggio)
{
    Start(kUp, kOneOctave);
    Press(60);
    ASSERT_EQ(Steps(1), std::vector<int>{60});
    Lift(60);
    EXPECT_EQ(Steps(1), std::vector<int>{kNoNote});
    EXPECT_EQ(SoundingVoices(), 0);
    EXPECT_GT(engine->NonIdleVoices(), 0) << "the last note's release tail";
}

TEST_F(ArpeggiatorTest, PolyNotesRotateThroughTheSlotsAndRestartTheMgDelay)
{
    Start(kUp, kOneOctave);
    Press(60);
    RenderBlock(2000); // the MG fades in
    Steps(1);
    ASSERT_EQ(engine->Arpeggiator().SlotCounter(), 1);
    for (const int slot : {2, 3, 4, 5, 0, 1}) {
        RenderBlock(500);
        const float fadeBefore = engine->ModulationGenerator().Fade();
        Steps(1);
        EXPECT_EQ(engine->Arpeggiator().SlotCounter(), slot);
        EXPECT_TRUE(Sounding(slot));
        const int previous = (slot + 5) % 6;
        EXPECT_EQ(State(previous), kEnvelopeRelease) << "its tail overlaps the new note";
        EXPECT_LT(engine->ModulationGenerator().Fade(), 0.01f * fadeBefore);
    }
}

TEST_F(ArpeggiatorTest, UnisonRetriggersTheWholeStack)
{
    SetMode(kInputKeyAssignUnison);
    Start(kUp, kOneOctave);
    Press(60);
    Press(64);
    for (const int note : {60, 64, 60}) {
        Steps(1);
        for (int voice = 0; voice < 6; ++voice) {
            EXPECT_EQ(NoteOf(voice), note) << voice;
            EXPECT_TRUE(Sounding(voice)) << voice;
        }
        RenderBlock(400);
    }
}

TEST_F(ArpeggiatorTest, TheFreeClockStepsAtArpSpeedAndATickRestartsIt)
{
    engine->QueueArpClockMode(0, false);
    Start(kUp, kOneOctave);
    Press(60);
    struct Case {
        float speed;
        double stepsPerSecond;
    };
    // 39.6 C + 0.4 steps per second, C the knob curve.
    const Case cases[] = {{1.0f, 40.0}, {0.5f, 0.4 + 39.6 * 0.24264}};
    for (const Case& c : cases) {
        Set(kInputArpSpeed, c.speed);
        engine->QueueArpTick(0);
        int steps = 0;
        int slot = engine->Arpeggiator().SlotCounter();
        constexpr int kBlocks = 1766; // 4.0045 s, clear of a step at exactly 4 s
        for (int block = 0; block < kBlocks; ++block) {
            RenderBlock(100);
            steps += engine->Arpeggiator().SlotCounter() != slot ? 1 : 0;
            slot = engine->Arpeggiator().SlotCounter();
        }
        // The tick steps at once, then the clock runs from a full period.
        EXPECT_EQ(steps, 1 + static_cast<int>(kBlocks * 100 / 44100.0 * c.stepsPerSecond)) << c.speed;
    }
}

TEST_F(ArpeggiatorTest, TheLampLightsForATenthOfASecondOnEveryStep)
{
    RenderBlock(5000);
    EXPECT_EQ(engine->GetLedState(1), 0.0f);
    Steps(1); // the arpeggiator is off, the lamp still shows the clock
    EXPECT_EQ(engine->GetLedState(1), 1.0f);
    RenderBlock(4400);
    EXPECT_EQ(engine->GetLedState(1), 1.0f);
    RenderBlock(20);
    EXPECT_EQ(engine->GetLedState(1), 0.0f);
}

} // namespace
