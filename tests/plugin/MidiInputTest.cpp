// MIDI intake on the plug-in object: note and pedal state, controllers, program
// changes, wheels and robustness against arbitrary bytes.
#include "InstrumentFixture.h"

#include "ParameterConversions.h"
#include "SorlDsp.h"

#include <random>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kControl = 0xB0;

} // namespace

TEST_F(InstrumentTest, ThePedalHoldsNoteOffsUntilItIsReleased)
{
    resumeSettled();
    const CM4417NoteState& notes = instrument->noteState();
    midi({{0, kNoteOn, 60, 100}, {0, kControl, 64, 127}});
    const std::uint32_t queued = pendingEvents();
    midi({{0, kNoteOff, 60, 0}});
    EXPECT_EQ(pendingEvents(), queued); // no note-off yet
    EXPECT_EQ(notes.heldKey(60), 0);
    EXPECT_EQ(notes.soundingKey(60), 1);
    EXPECT_EQ(notes.velocity(60), 0);
    EXPECT_TRUE(editor.saw("off 60"));
    midi({{0, kControl, 64, 0}});
    EXPECT_EQ(pendingEvents(), queued + 1);
    EXPECT_EQ(notes.soundingKey(60), 0);
    EXPECT_EQ(notes.soundingTotalCount(), 0);
}

TEST_F(InstrumentTest, TheSameKeyTwiceReleasedOnceStaysHeldOnce)
{
    resumeSettled();
    const CM4417NoteState& notes = instrument->noteState();
    midi({{0, kNoteOn, 64, 90}, {0, kNoteOn, 64, 80}});
    const std::uint32_t queued = pendingEvents();
    midi({{0, kNoteOn, 64, 0}}); // velocity 0 is a release
    EXPECT_EQ(notes.heldKey(64), 1);
    EXPECT_EQ(notes.heldTotal(), 1);
    EXPECT_EQ(notes.velocity(64), 80);
    EXPECT_EQ(pendingEvents(), queued + 1);
}

TEST_F(InstrumentTest, EventsActAtTheirOwnOffsets)
{
    resumeSettled();
    midi({{0, kNoteOn, 60, 100}});
    render(1); // the note at the block start is carried out at once
    EXPECT_EQ(pendingEvents(), 0u);
    midi({{100, kNoteOn, 62, 100}, {100, kNoteOff, 60, 0}});
    render(100);
    EXPECT_EQ(pendingEvents(), 2u);
    midi({{100, kNoteOff, 62, 0}});
    render(101);
    EXPECT_EQ(pendingEvents(), 0u);
}

TEST_F(InstrumentTest, KeySyncRestartsTheModulationAndTheArpeggiator)
{
    resumeSettled();
    struct Step {
        const char* what;
        int mgKeySync;
        int arpKeySync;
        std::uint8_t status;
        std::uint8_t key;
        std::uint32_t events; // the note itself plus one per restart
    };
    const Step steps[] = {
        {"first note after the program send", 0, 0, kNoteOn, 60, 3},
        {"second note", 0, 0, kNoteOn, 62, 1},
        {"release both", 0, 0, kNoteOff, 60, 1},
        {"", 0, 0, kNoteOff, 62, 1},
        {"without key sync, a new phrase runs on", 0, 0, kNoteOn, 64, 1},
        {"", 1, 0, kNoteOff, 64, 1},
        {"MG key sync restarts the first key held", 1, 0, kNoteOn, 65, 2},
        {"but not the second", 1, 1, kNoteOn, 67, 1},
        {"", 1, 1, kNoteOff, 65, 1},
        {"", 1, 1, kNoteOff, 67, 1},
        {"both restart the first key held", 1, 1, kNoteOn, 69, 3},
    };
    for (const Step& s : steps) {
        instrument->applyParameter(56, static_cast<float>(s.mgKeySync), 0, false);
        instrument->applyParameter(60, static_cast<float>(s.arpKeySync), 0, false);
        const std::uint32_t before = pendingEvents();
        midi({{10, s.status, s.key, 100}});
        EXPECT_EQ(pendingEvents() - before, s.events) << s.what << " key " << int(s.key);
    }
    EXPECT_FLOAT_EQ(instrument->arpeggiatorClock().countdownSamples(), 10.0f);
}

TEST_F(InstrumentTest, MappedControllers)
{
    struct Case {
        const char* what;
        int syncParameter;
        float sync;
        std::uint8_t controller;
        int changed;
        int unchanged;
    };
    const Case cases[] = {
        {"Arp Speed while synced moves Arp Times", 61, 1.0f, 21, 63, 14},
        {"Arp Speed free", 61, 0.0f, 21, 14, 63},
        {"MG Frequency while synced moves MG Times", 57, 1.0f, 27, 59, 20},
        {"MG Frequency free", 57, 0.0f, 27, 20, 59},
    };
    for (const Case& c : cases) {
        instrument->applyParameter(c.syncParameter, c.sync, 0, false);
        const float before = value(c.unchanged);
        ASSERT_NE(value(c.changed), 0.0f) << c.what;
        midi({{0, kControl, c.controller, 0}});
        EXPECT_FLOAT_EQ(value(c.changed), 0.0f) << c.what;
        EXPECT_FLOAT_EQ(value(c.unchanged), before) << c.what;
    }

    // 0 and 1 give 0.0, 64 gives 0.5, 127 gives 1.0.
    for (auto [data, expected] : {std::pair{0, 0.0f}, {1, 0.0f}, {64, 0.5f}, {127, 1.0f}}) {
        midi({{0, kControl, 74, static_cast<std::uint8_t>(data)}});
        EXPECT_FLOAT_EQ(value(7), expected) << data;
    }
    EXPECT_TRUE(editor.saw("cc 74 127"));
}

TEST_F(InstrumentTest, ReceptionSwitchesDropWholeMessageTypes)
{
    GlobalBlock& global = instrument->getGlobalBlock();
    global.reception[kControlChangeOff] = 1.0f;
    global.reception[kProgramChangeOff] = 1.0f;
    midi({{0, kControl, 7, 100}, {0, 0xC0, 3, 0}});
    EXPECT_FLOAT_EQ(value(0), 1.0f);
    EXPECT_EQ(instrument->lastControllerValue(7), 0);
    EXPECT_EQ(instrument->getProgram(), 0);

    global.reception[kControlChangeOff] = 0.0f;
    global.reception[kProgramChangeOff] = 0.0f;
    midi({{0, kControl, 7, 100}, {0, 0xC0, 40, 0}});
    EXPECT_EQ(instrument->lastControllerValue(7), 100);
    EXPECT_EQ(instrument->getProgram(), 0); // 40 is beyond the bank
    midi({{0, 0xC0, 3, 0}});
    EXPECT_EQ(instrument->getProgram(), 3);
}

TEST_F(InstrumentTest, PitchBendSetsTheWheel)
{
    for (auto [bend, expected] : {std::pair{8192, 0.5f}, {0, 0.0f}, {16383, 1.0f}}) {
        midi({{0, 0xE0, static_cast<std::uint8_t>(bend & 127), static_cast<std::uint8_t>(bend >> 7)}});
        EXPECT_EQ(instrument->lastPitchBend(), bend);
        EXPECT_FLOAT_EQ(value(30), expected) << bend;
    }
    EXPECT_FALSE(instrument->isEdited());
}

TEST_F(InstrumentTest, ModulationSourcesFeedTheExternalInputs)
{
    resumeSettled();
    // Init Program: input 1 from Velocity, input 2 from assignable controller 1 (the wheel).
    struct Case {
        const char* what;
        float source1;
        float pressureReceptionOff;
        InstrumentTest::Midi message;
        std::uint32_t events;
    };
    const Case cases[] = {
        {"the wheel feeds input 2", fromStep(1, 9, 0), 0.0f, {0, kControl, 1, 90}, 1},
        {"breath feeds no input", fromStep(1, 9, 0), 0.0f, {0, kControl, 2, 90}, 0},
        {"pressure without a pressure input", fromStep(1, 9, 0), 0.0f, {0, 0xD0, 90, 0}, 0},
        {"pressure into input 1", fromStep(3, 9, 0), 0.0f, {0, 0xD0, 90, 0}, 1},
        {"pressure switched off", fromStep(3, 9, 0), 1.0f, {0, 0xD0, 90, 0}, 0},
        {"pitch bend into input 1", fromStep(4, 9, 0), 0.0f, {0, 0xE0, 0, 64}, 1},
    };
    for (const Case& c : cases) {
        instrument->applyParameter(74, c.source1, 0, false);
        instrument->getGlobalBlock().reception[kChannelPressureOff] = c.pressureReceptionOff;
        render(16);
        midi({c.message});
        EXPECT_EQ(pendingEvents(), c.events) << c.what;
    }
}

TEST_F(InstrumentTest, ControllerResetAndRegisters)
{
    midi({{0, kControl, 99, 5}, {0, kControl, 98, 6}, {0, kControl, 101, 0}, {0, kControl, 100, 2},
          {0, kControl, 1, 127}, {0, 0xD0, 70, 0}, {0, 0xE0, 0, 0}});
    EXPECT_EQ(instrument->parameterNumberRegister(0), 6);
    EXPECT_EQ(instrument->parameterNumberRegister(1), 5);
    EXPECT_EQ(instrument->parameterNumberRegister(2), 2);
    EXPECT_EQ(instrument->parameterNumberRegister(3), 0);
    midi({{0, kControl, 121, 0}});
    for (int which = 0; which < 4; ++which)
        EXPECT_EQ(instrument->parameterNumberRegister(which), 127);
    EXPECT_EQ(instrument->lastControllerValue(1), 0);
    EXPECT_EQ(instrument->lastChannelPressure(), 0);
    EXPECT_EQ(instrument->lastPitchBend(), 8192);
    EXPECT_FLOAT_EQ(value(30), 0.5f);
    EXPECT_FLOAT_EQ(value(31), 0.0f);
}

TEST_F(InstrumentTest, TheExclusionChannelOnlyStopsMappedControllers)
{
    sorrel::test::ScriptedHost::productString = "OrchardHub";
    auto orchard = make();
    orchard->setParameter(95, fromStep(5, 17, -1));
    instrument = std::move(orchard);
    midi({{0, kControl | 5, 74, 0}, {0, kControl | 5, 1, 127}});
    EXPECT_FLOAT_EQ(value(7), 1.0f);
    EXPECT_FLOAT_EQ(value(31), 1.0f); // the modulation wheel still acts
    midi({{0, kControl | 4, 74, 0}});
    EXPECT_FLOAT_EQ(value(7), 0.0f);
}

TEST_F(InstrumentTest, RandomBytesLeaveNoStuckNoteAfterAllNotesOff)
{
    resumeSettled();
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> offset(0, 600);
    for (int round = 0; round < 200; ++round) {
        std::vector<InstrumentTest::Midi> messages;
        for (int i = 0; i < 8; ++i)
            messages.push_back({offset(random), static_cast<std::uint8_t>(byte(random)),
                                static_cast<std::uint8_t>(byte(random)), static_cast<std::uint8_t>(byte(random))});
        for (const auto& m : messages)
            midi({m});
        render(256);
    }
    midi({{0, kControl, 123, 0}});
    const CM4417NoteState& notes = instrument->noteState();
    EXPECT_EQ(notes.heldTotal(), 0);
    EXPECT_EQ(notes.soundingTotalCount(), 0);
    for (int key = 0; key < 128; ++key) {
        EXPECT_EQ(notes.heldKey(key), 0) << key;
        EXPECT_EQ(notes.soundingKey(key), 0) << key;
    }
    // Releasing the pedal afterwards sends nothing more.
    render(256);
    midi({{0, kControl, 64, 0}});
    EXPECT_EQ(pendingEvents(), 0u);
}
