#include "FakeSynthFixture.h"
#include "HostError.h"
#include "MidiEventList.h"
#include "VstPlugin.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace sorrel::host {
namespace {

using test::observe;
using test::StereoBlock;

std::array<unsigned char, 3> firstMessage(MidiEventList& list)
{
    const VstEvents* events = list.vstEvents();
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(events->events[0]);
    EXPECT_EQ(midi->type, kVstMidiType);
    EXPECT_EQ(midi->byteSize, static_cast<VstInt32>(sizeof(VstMidiEvent)));
    return {static_cast<unsigned char>(midi->midiData[0]), static_cast<unsigned char>(midi->midiData[1]),
            static_cast<unsigned char>(midi->midiData[2])};
}

struct EncodingCase {
    const char* what;
    std::function<void(MidiEventList&)> add;
    std::array<unsigned char, 3> bytes;
};

TEST(MidiEventList, HelpersEncodeMidiMessages)
{
    const EncodingCase cases[] = {
        {"note on", [](MidiEventList& l) { l.addNoteOn(0, 2, 60, 100); }, {0x92, 60, 100}},
        {"note off", [](MidiEventList& l) { l.addNoteOff(0, 0, 61); }, {0x80, 61, 0}},
        {"note off velocity", [](MidiEventList& l) { l.addNoteOff(0, 15, 127, 64); }, {0x8F, 127, 64}},
        {"control change", [](MidiEventList& l) { l.addControlChange(0, 1, 74, 127); }, {0xB1, 74, 127}},
        {"bend centre", [](MidiEventList& l) { l.addPitchBend(0, 0, 8192); }, {0xE0, 0x00, 0x40}},
        {"bend top", [](MidiEventList& l) { l.addPitchBend(0, 3, 16383); }, {0xE3, 0x7F, 0x7F}},
        {"bend low", [](MidiEventList& l) { l.addPitchBend(0, 0, 129); }, {0xE0, 0x01, 0x01}},
        {"raw", [](MidiEventList& l) { l.addMidi(0, 0xF8, 0xFF, 0x80); }, {0xF8, 0xFF, 0x80}},
    };
    for (const EncodingCase& c : cases) {
        MidiEventList list;
        c.add(list);
        EXPECT_EQ(firstMessage(list), c.bytes) << c.what;
    }
}

TEST(MidiEventList, HelpersRefuseValuesOutsideMidi)
{
    MidiEventList list;
    EXPECT_THROW(list.addNoteOn(0, 16, 60, 100), HostError);
    EXPECT_THROW(list.addNoteOn(0, -1, 60, 100), HostError);
    EXPECT_THROW(list.addNoteOff(0, 0, 128), HostError);
    EXPECT_THROW(list.addControlChange(0, 0, 1, 128), HostError);
    EXPECT_THROW(list.addPitchBend(0, 0, 16384), HostError);
    EXPECT_THROW(list.addPitchBend(0, 0, -1), HostError);
    EXPECT_TRUE(list.empty());
}

TEST(MidiEventList, EmptyListGivesZeroEvents)
{
    MidiEventList list;
    list.addNoteOn(3, 0, 60, 1);
    list.clear();
    EXPECT_EQ(list.vstEvents()->numEvents, 0);
}

class EventDelivery : public ::testing::Test {
protected:
    EventDelivery() { plugin_.open(44100.0, 512); }

    VstPlugin plugin_{FAKE_SYNTH_PATH};
    StereoBlock block_{512};
};

TEST_F(EventDelivery, EventsArriveSortedByFrameWithTheirOffsets)
{
    MidiEventList list;
    list.addNoteOn(300, 0, 64, 90);
    list.addNoteOn(100, 0, 60, 90);
    list.addControlChange(100, 0, 1, 5); // same frame as the note: keeps its place after it
    list.addSysEx(50, {0xF0, 0x7E, 0x7F, 0xF7});
    list.addNoteOff(400, 0, 60);
    EXPECT_EQ(plugin_.processEvents(list), 1);

    const fake_synth::Observations& seen = observe(plugin_);
    ASSERT_EQ(seen.eventCount, 5);
    const VstInt32 expectedFrames[] = {50, 100, 100, 300, 400};
    const unsigned char expectedStatus[] = {0, 0x90, 0xB0, 0x90, 0x80};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen.events[i].deltaFrames, expectedFrames[i]) << i;
        EXPECT_EQ(seen.events[i].midi[0], expectedStatus[i]) << i;
    }
    EXPECT_EQ(seen.events[0].type, kVstSysExType);
    EXPECT_EQ(seen.events[0].sysexBytes, 4);
    EXPECT_EQ(seen.events[0].sysexFirstByte, 0xF0);

    // The fake's output is 0.5 plus the held note numbers, so each event shows at its frame.
    plugin_.processReplacing(block_.channels(), 512);
    const auto& left = block_.left();
    EXPECT_EQ(left[99], 0.5f);
    EXPECT_EQ(left[100], 60.5f);
    EXPECT_EQ(left[299], 60.5f);
    EXPECT_EQ(left[300], 124.5f);
    EXPECT_EQ(left[399], 124.5f);
    EXPECT_EQ(left[400], 64.5f);
    EXPECT_EQ(left[511], 64.5f);
}

} // namespace
} // namespace sorrel::host
