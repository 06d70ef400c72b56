#include <array>
#include <cstdint>
#include <vector>

#include "VoiceFixture.h"

namespace {

using Keys = std::vector<int>;

struct LayoutCase {
    int requestedTotal;
    int requestedUnison;
    SorlVoiceLayout expected;
};

TEST_F(VoiceTest, LayoutSharesTheVoicesOutAndStartsSilent)
{
    const LayoutCase cases[] = {
        {6, 1, {6, 6, 1, 2}},    {7, 2, {6, 3, 2, 2}},    {5, 2, {4, 2, 2, 1}},   {4, 4, {4, 1, 4, 1}},
        {3, 8, {3, 1, 3, 1}},    {1, 1, {1, 1, 1, 1}},    {32, 1, {32, 32, 1, 8}}, {32, 16, {32, 2, 16, 8}},
        {33, 17, {32, 2, 16, 8}}, // the largest values the handlers can produce
    };
    for (const LayoutCase& c : cases) {
        Press(60);
        SetLayout(c.requestedTotal, c.requestedUnison);
        EXPECT_EQ(engine->VoiceLayout(), c.expected) << c.requestedTotal << " / " << c.requestedUnison;
        EXPECT_FALSE(engine->IsSounding());
        EXPECT_EQ(engine->NonIdleVoices(), 0);
        Keys slots;
        for (int slot = 0; slot < c.expected.notes; ++slot) {
            slots.push_back(slot);
        }
        EXPECT_EQ(FreeSlots(), slots);
        EXPECT_TRUE(ActiveSlots().empty());
        for (int voice = 0; voice < CSorlVoices::kMaxVoices; ++voice) {
            EXPECT_EQ(State(voice), kEnvelopeIdle);
            EXPECT_FALSE(Voice(voice).active);
        }
    }
}

TEST_F(VoiceTest, ASeventhKeyStealsTheOldestOfSixSlots)
{
    SetLayout(6, 1);
    for (int key = 60; key < 66; ++key) {
        Press(key);
    }
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(State(voice), kEnvelopeAttack);
        EXPECT_EQ(Voice(voice).note, 60 + voice);
        EXPECT_TRUE(Voice(voice).active);
    }
    EXPECT_TRUE(engine->IsSounding());

    Press(66, 127);
    const SorlVoiceView stolen = Voice(0);
    EXPECT_EQ(stolen.state, kEnvelopeSteal);
    EXPECT_EQ(stolen.note, 60) << "the old note fades out first";
    EXPECT_EQ(stolen.pendingNote, 66);
    EXPECT_EQ(stolen.pendingVelocity, 1.0f);
    EXPECT_EQ(ActiveKeys(), (Keys{61, 62, 63, 64, 65, 66}));
    EXPECT_EQ(ActiveSlots(), (Keys{1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(engine->NonIdleVoices(), 6);

    Press(67);
    EXPECT_EQ(Voice(1).pendingNote, 67);
    Lift(66);
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(FreeSlots(), (Keys{0}));
}

TEST_F(VoiceTest, EachSlotPlaysItsWholeStack)
{
    SetLayout(7, 2);
    Press(60);
    Press(62);
    const std::array<int, 6> notes{60, 62, 0, 60, 62, 0};
    for (int voice = 0; voice < 6; ++voice) {
        EXPECT_EQ(Voice(voice).note, notes[voice]) << "voice " << voice;
    }
    EXPECT_EQ(State(2), kEnvelopeIdle);
    EXPECT_EQ(State(6), kEnvelopeIdle) << "the seventh voice is not used";

    Lift(60);
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(State(3), kEnvelopeRelease);
    EXPECT_EQ(State(1), kEnvelopeAttack);
    EXPECT_EQ(State(4), kEnvelopeAttack);
}

TEST_F(VoiceTest, PolyPrefersTheLowestSilentFreeSlotElseTheLongestFreed)
{
    // A two-note chord leaves voices 2..5 silent; back in Poly their slots
    // come first although slots 0 and 1 head the free list.
    const std::uint8_t chord[2][8] = {{0, 0}, {4, 0}};
    engine->SetChordMemory(chord, 2);
    SetLayout(6, 1);
    SetMode(kInputKeyAssignChord);
    Press(60);
    RenderBlock(40); // loud enough that the fades below outlast the test
    SetMode(kInputKeyAssignPoly);
    ASSERT_EQ(State(0), kEnvelopeFastRelease);
    ASSERT_EQ(FreeSlots(), (Keys{0, 1, 2, 3, 4, 5}));

    Press(70);
    Press(72);
    EXPECT_EQ(ActiveSlots(), (Keys{2, 3}));
    EXPECT_EQ(FreeSlots(), (Keys{0, 1, 4, 5}));

    // With every free slot still sounding, the one freed longest ago is taken.
    Press(74);
    Press(76);
    Press(78);
    EXPECT_EQ(ActiveSlots(), (Keys{2, 3, 4, 5, 0}));
    Lift(74);
    Lift(72);
    Press(80);
    Press(82);
    EXPECT_EQ(ActiveSlots(), (Keys{2, 5, 0, 1, 4}));
    EXPECT_EQ(FreeSlots(), (Keys{3}));
    EXPECT_EQ(NoteOf(4), 82);
}

TEST_F(VoiceTest, UnisonPlaysTheNewestKeyAndFallsBackToThePreviousOne)
{
    SetLayout(4, 1);
    SetMode(kInputKeyAssignUnison);
    auto expectAll = [&](int state, int note, const char* step) {
        for (int voice = 0; voice < 4; ++voice) {
            EXPECT_EQ(State(voice), state) << step << ", voice " << voice;
            if (note >= 0) {
                EXPECT_EQ(NoteOf(voice), note) << step << ", voice " << voice;
            }
        }
    };

    Press(60);
    expectAll(kEnvelopeAttack, 60, "A down");
    EXPECT_EQ(engine->NonIdleVoices(), 4);
    RenderBlock(40); // loud enough that the steal fades below outlast the test
    Press(64);
    expectAll(kEnvelopeSteal, 64, "B down");
    Lift(64);
    expectAll(kEnvelopeSteal, 60, "B up retriggers A");
    Lift(60);
    expectAll(kEnvelopeRelease, -1, "A up");

    Press(60);
    Press(64);
    Lift(60);
    expectAll(kEnvelopeSteal, 64, "lifting the older key");
    EXPECT_EQ(ActiveKeys(), (Keys{64}));
    Lift(64);
    expectAll(kEnvelopeRelease, -1, "last key up");
}

TEST_F(VoiceTest, ChordCapturedFromPolyKeysIsPlayedFromAnyKey)
{
    SetLayout(3, 1);
    Press(64, 90);
    Press(60, 100);
    Press(67, 80);
    SetMode(kInputKeyAssignChord);

    std::uint8_t memory[128][8];
    ASSERT_EQ(engine->GetChordMemory(memory), 128);
    const std::int8_t expected[3][2] = {{0, 0}, {4, -10}, {7, -20}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(static_cast<std::int8_t>(memory[i][0]), expected[i][0]) << "entry " << i;
        EXPECT_EQ(static_cast<std::int8_t>(memory[i][1]), expected[i][1]) << "entry " << i;
    }
    for (int i = 3; i < 128; ++i) {
        EXPECT_EQ(static_cast<std::int8_t>(memory[i][0]), -128) << "entry " << i;
    }
    for (int voice = 0; voice < 3; ++voice) {
        EXPECT_EQ(State(voice), kEnvelopeFastRelease) << "the mode change fades the held notes";
    }

    struct PlayCase {
        int key;
        std::array<int, 3> notes;
    };
    const PlayCase cases[] = {{62, {62, 66, 69}}, {125, {125, 127, 127}}, {0, {0, 4, 7}}};
    for (const PlayCase& c : cases) {
        Press(c.key);
        for (int voice = 0; voice < 3; ++voice) {
            EXPECT_TRUE(Sounding(voice)) << "key " << c.key << ", voice " << voice;
            EXPECT_EQ(NoteOf(voice), c.notes[voice]) << "key " << c.key << ", voice " << voice;
        }
        Lift(c.key);
        EXPECT_EQ(State(0), kEnvelopeRelease);
    }
}

TEST_F(VoiceTest, ChordFromMoreKeysThanSlotsKeepsTheLowestOffsets)
{
    SetLayout(6, 1);
    for (const int key : {71, 60, 67, 64}) {
        Press(key);
    }
    SetMode(kInputKeyAssignChord);

    Press(50);
    const std::array<int, 4> fourNotes{50, 54, 57, 61};
    for (int voice = 0; voice < 4; ++voice) {
        EXPECT_EQ(NoteOf(voice), fourNotes[voice]) << "voice " << voice;
    }
    for (const int voice : {4, 5}) {
        EXPECT_EQ(State(voice), kEnvelopeIdle) << "empty chord entries start nothing";
        EXPECT_FALSE(Voice(voice).active);
    }

    SetLayout(3, 1);
    Press(50);
    const std::array<int, 3> threeNotes{50, 54, 57};
    for (int voice = 0; voice < 3; ++voice) {
        EXPECT_EQ(State(voice), kEnvelopeAttack);
        EXPECT_EQ(Voice(voice).note, threeNotes[voice]) << "voice " << voice;
    }
}

TEST_F(VoiceTest, ChordMemoryIsCapturedOnlyFromHeldPolyKeys)
{
    const std::int8_t chord[3][8] = {{0, 0}, {3, 5}, {7, -5}};
    engine->SetChordMemory(chord, 3);
    SetLayout(3, 1);

    auto expectChord = [&](const char* step) {
        std::int8_t memory[128][8]{};
        engine->GetChordMemory(memory);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(memory[i][0], chord[i][0]) << step << ", entry " << i;
            EXPECT_EQ(memory[i][1], chord[i][1]) << step << ", entry " << i;
        }
    };

    SetMode(kInputKeyAssignChord);
    expectChord("Poly to Chord without keys");
    SetMode(kInputKeyAssignUnison);
    Press(60);
    Press(65);
    SetMode(kInputKeyAssignChord);
    expectChord("Unison to Chord");

    Press(62);
    EXPECT_EQ(NoteOf(0), 62);
    EXPECT_EQ(NoteOf(1), 65);
    EXPECT_EQ(NoteOf(2), 69);
}

TEST_F(VoiceTest, ChordMemoryCopiesInAndOut)
{
    std::uint8_t none[128][8]{};
    EXPECT_EQ(engine->GetChordMemory(nullptr), 0);
    engine->GetChordMemory(none);
    EXPECT_EQ(none[0][0], 0) << "a fresh engine plays the key itself";
    EXPECT_EQ(none[1][0], 0x80);

    std::uint8_t source[130][8];
    for (int i = 0; i < 130; ++i) {
        source[i][0] = static_cast<std::uint8_t>(i == 1 ? 0xFB : i); // entry 1: -5 semitones
        source[i][1] = static_cast<std::uint8_t>(200 + i % 50);
    }
    engine->SetChordMemory(source, 130);
    engine->SetChordMemory(nullptr, 5);
    engine->SetChordMemory(none, 0);
    engine->SetChordMemory(none, -3);

    std::uint8_t copy[130][8];
    for (auto& entry : copy) {
        for (auto& byte : entry) {
            byte = 0xAA;
        }
    }
    EXPECT_EQ(engine->GetChordMemory(copy), 128);
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(copy[i][0], source[i][0]) << "entry " << i;
        EXPECT_EQ(copy[i][1], source[i][1]) << "entry " << i;
        for (int byte = 2; byte < 8; ++byte) {
            EXPECT_EQ(copy[i][byte], 0xAA) << "entry " << i << " byte " << byte;
        }
    }
    EXPECT_EQ(copy[128][0], 0xAA) << "nothing beyond 128 entries is written";

    // Loaded entries sound from the next layout rebuild on.
    SetLayout(2, 1);
    SetMode(kInputKeyAssignChord);
    Press(60);
    EXPECT_EQ(Voice(0).note, 60);
    EXPECT_EQ(Voice(1).note, 55);
    engine->SetChordMemory(none, 2);
    Press(62);
    EXPECT_EQ(NoteOf(1), 57) << "not yet refreshed";
}

TEST_F(VoiceTest, HoldKeepsNotesAndAllNotesOffOnlyMarksThem)
{
    SetLayout(4, 1);
    SetHold(true);
    Press(60);
    Press(62);
    Lift(60);
    Lift(62);
    AllNotesOff();
    EXPECT_EQ(State(0), kEnvelopeAttack);
    EXPECT_EQ(State(1), kEnvelopeAttack);
    EXPECT_EQ(ActiveKeys(), (Keys{60, 62}));
    EXPECT_EQ(engine->Keys().heldCount, 0);

    SetHold(false);
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(State(1), kEnvelopeRelease);
    EXPECT_TRUE(ActiveKeys().empty());
    EXPECT_EQ(FreeSlots(), (Keys{2, 3, 0, 1}));
}

TEST_F(VoiceTest, HoldOffReleasesExactlyTheMarkedNotes)
{
    SetLayout(4, 1);
    SetHold(true);
    Press(60);
    Press(62);
    Lift(60);
    SetHold(false);
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(State(1), kEnvelopeAttack) << "its key is still down";
    EXPECT_EQ(ActiveKeys(), (Keys{62}));
    Lift(62);
    EXPECT_EQ(State(1), kEnvelopeRelease);
}

TEST_F(VoiceTest, AKeyThatStealsAHeldNotesSlotIsReleasedWithTheHeldNotes)
{
    SetLayout(2, 1);
    SetHold(true);
    Press(60);
    Lift(60);
    Press(62);
    Press(64); // takes 60's slot and its mark
    EXPECT_EQ(Voice(0).pendingNote, 64);
    SetHold(false);
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(State(1), kEnvelopeAttack);
    EXPECT_EQ(ActiveKeys(), (Keys{62}));
}

TEST_F(VoiceTest, AllNotesOffReleasesEveryKey)
{
    SetLayout(4, 1);
    Press(60);
    Press(62);
    AllNotesOff();
    EXPECT_EQ(State(0), kEnvelopeRelease);
    EXPECT_EQ(State(1), kEnvelopeRelease);
    EXPECT_TRUE(ActiveKeys().empty());
    EXPECT_EQ(FreeSlots(), (Keys{2, 3, 0, 1}));
    EXPECT_EQ(engine->Keys().held[60], 0);
}

TEST_F(VoiceTest, AllSoundOffFadesEverythingAndForgetsTheKeys)
{
    SetLayout(4, 1);
    Press(60);
    Press(62);
    SetHold(true);
    Lift(60);
    AllSoundOff();
    EXPECT_EQ(State(0), kEnvelopeFastRelease);
    EXPECT_EQ(State(1), kEnvelopeFastRelease);
    EXPECT_EQ(State(2), kEnvelopeIdle);
    EXPECT_FALSE(Voice(2).active);
    EXPECT_EQ(engine->NonIdleVoices(), 2);
    EXPECT_TRUE(ActiveKeys().empty());
    EXPECT_EQ(FreeSlots(), (Keys{0, 1, 2, 3}));
    EXPECT_EQ(engine->Keys().heldCount, 0);
    EXPECT_TRUE(engine->Settings().hold) << "Hold stays as it is";
}

TEST_F(VoiceTest, ChangingTheModeFadesVoicesAndEndsHold)
{
    SetLayout(4, 1);
    Press(60);
    SetHold(true);
    SetMode(kInputKeyAssignUnison);
    EXPECT_FALSE(engine->Settings().hold);
    EXPECT_EQ(State(0), kEnvelopeFastRelease);
    EXPECT_EQ(engine->Settings().keyAssign, kKeyAssignUnison);
    EXPECT_EQ(FreeSlots().size(), 32u);

    Press(62);
    SetMode(kInputKeyAssignUnison);
    EXPECT_EQ(State(0), kEnvelopeSteal) << "selecting the current mode again changes nothing";
    EXPECT_EQ(ActiveKeys(), (Keys{62}));
}

struct DetuneCase {
    SorlEngineInput mode;
    int total;
    int unison;
    float value;
    std::vector<float> detunes;
    std::vector<int> sides;
};

TEST_F(VoiceTest, UnisonDetuneSpreadsTheStackLevels)
{
    constexpr float kThird = 1.0f / 3.0f;
    const DetuneCase cases[] = {
        {kInputKeyAssignUnison, 4, 1, 0.5f, {0.25f, 0.25f / 3, -0.25f / 3, -0.25f}, {1, 2, 1, 2}},
        {kInputKeyAssignUnison, 5, 1, 0.5f, {0.25f, 0.125f, 0.0f, -0.125f, -0.25f}, {1, 2, 0, 1, 2}},
        {kInputKeyAssignPoly, 8, 4, 1.0f, {1, 1, kThird, kThird, -kThird, -kThird, -1, -1}, {1, 1, 2, 2, 1, 1, 2, 2}},
        {kInputKeyAssignChord, 6, 3, 0.5f, {0.25f, 0.25f, 0, 0, -0.25f, -0.25f}, {1, 1, 0, 0, 2, 2}},
        {kInputKeyAssignPoly, 6, 1, 0.5f, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {kInputKeyAssignUnison, 1, 1, 1.0f, {0}, {0}},
    };
    for (const DetuneCase& c : cases) {
        SetLayout(c.total, c.unison);
        SetMode(c.mode);
        engine->SetParameter(0, kInputUnisonDetune, c.value);
        for (int voice = 0; voice < CSorlVoices::kMaxVoices; ++voice) {
            const bool used = voice < static_cast<int>(c.detunes.size());
            EXPECT_NEAR(Voice(voice).detune, used ? c.detunes[voice] : 0.0f, 1e-6f)
                << "mode " << c.mode << " total " << c.total << " voice " << voice;
            EXPECT_EQ(Voice(voice).side, used ? c.sides[voice] : 0)
                << "mode " << c.mode << " total " << c.total << " voice " << voice;
        }
    }
}

TEST_F(VoiceTest, DetuneFollowsModeAndLayoutChanges)
{
    SetLayout(4, 1);
    engine->SetParameter(0, kInputUnisonDetune, 0.5f);
    EXPECT_EQ(Voice(0).detune, 0.0f) << "Poly without a stack";
    SetMode(kInputKeyAssignUnison);
    EXPECT_NEAR(Voice(0).detune, 0.25f, 1e-6f);
    SetLayout(2, 1);
    EXPECT_NEAR(Voice(1).detune, -0.25f, 1e-6f);
    EXPECT_EQ(Voice(2).detune, 0.0f);
}

TEST_F(VoiceTest, WithTheArpeggiatorOnKeysOnlyTakeRecords)
{
    SetLayout(4, 1);
    engine->SetParameter(0, kInputArpeggio, 1.0f);
    Press(60);
    EXPECT_EQ(State(0), kEnvelopeIdle);
    EXPECT_EQ(ActiveKeys(), (Keys{60}));
    EXPECT_EQ(engine->Keys().held[60], 100);
    Lift(60);
    EXPECT_TRUE(ActiveKeys().empty());
    EXPECT_TRUE(engine->Keys().allKeysUp);

    // A latched arpeggio keeps its collected keys through all notes off.
    engine->SetParameter(0, kInputArpLatch, 1.0f);
    Press(62);
    AllNotesOff();
    EXPECT_EQ(engine->Keys().heldCount, 0);
    EXPECT_TRUE(engine->Keys().allKeysUp);
}

TEST_F(VoiceTest, HeldKeysAreCountedOnce)
{
    Press(60);
    Press(60);
    Press(62);
    Lift(70); // never pressed
    EXPECT_EQ(engine->Keys().heldCount, 2);
    EXPECT_FALSE(engine->Keys().allKeysUp);
    Lift(60);
    Lift(62);
    EXPECT_EQ(engine->Keys().heldCount, 0);
    EXPECT_TRUE(engine->Keys().allKeysUp);
}

} // namespace
