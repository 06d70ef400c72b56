#include "MidiEventList.h"

#include "HostError.h"

#include <algorithm>
#include <memory>
#include <string>

namespace sorrel::host {

namespace {

constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
constexpr int kControlChange = 0xB0;
constexpr int kPitchBend = 0xE0;
constexpr int kMaxPitchBend = 16383;

void requireRange(const char* what, int value, int maximum)
{
    if (value < 0 || value > maximum) {
        throw HostError(std::string("MIDI ") + what + " " + std::to_string(value) + " is outside 0-" +
                        std::to_string(maximum));
    }
}

} // namespace

void MidiEventList::addNoteOn(VstInt32 deltaFrames, int channel, int note, int velocity)
{
    addChecked(deltaFrames, kNoteOn, channel, note, velocity);
}

void MidiEventList::addNoteOff(VstInt32 deltaFrames, int channel, int note, int velocity)
{
    addChecked(deltaFrames, kNoteOff, channel, note, velocity);
}

void MidiEventList::addControlChange(VstInt32 deltaFrames, int channel, int controller, int value)
{
    addChecked(deltaFrames, kControlChange, channel, controller, value);
}

void MidiEventList::addPitchBend(VstInt32 deltaFrames, int channel, int value)
{
    requireRange("pitch bend", value, kMaxPitchBend);
    addChecked(deltaFrames, kPitchBend, channel, value & 0x7F, value >> 7);
}

void MidiEventList::addChecked(VstInt32 deltaFrames, int status, int channel, int data1, int data2)
{
    requireRange("channel", channel, 15);
    requireRange("data byte", data1, 127);
    requireRange("data byte", data2, 127);
    addMidi(deltaFrames, static_cast<unsigned char>(status | channel), static_cast<unsigned char>(data1),
            static_cast<unsigned char>(data2));
}

void MidiEventList::addMidi(VstInt32 deltaFrames, unsigned char status, unsigned char data1, unsigned char data2)
{
    Record record{};
    record.midi.type = kVstMidiType;
    record.midi.byteSize = sizeof(VstMidiEvent);
    record.midi.deltaFrames = deltaFrames;
    record.midi.midiData[0] = static_cast<char>(status);
    record.midi.midiData[1] = static_cast<char>(data1);
    record.midi.midiData[2] = static_cast<char>(data2);
    records_.push_back(record);
}

void MidiEventList::addSysEx(VstInt32 deltaFrames, std::vector<unsigned char> dump)
{
    Record record{};
    record.sysex.type = kVstSysExType;
    record.sysex.byteSize = sizeof(VstSysExEvent);
    record.sysex.deltaFrames = deltaFrames;
    record.sysex.dumpBytes = static_cast<VstInt32>(dump.size());
    // Moving the vector into dumps_ keeps its buffer, so the pointer stays good.
    record.sysex.sysexDump = reinterpret_cast<char*>(dump.data());
    dumps_.push_back(std::move(dump));
    records_.push_back(record);
}

void MidiEventList::clear()
{
    records_.clear();
    dumps_.clear();
    block_.clear();
}

VstEvents* MidiEventList::vstEvents()
{
    std::vector<VstEvent*> ordered;
    ordered.reserve(records_.size());
    for (Record& record : records_) {
        ordered.push_back(&record.header);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const VstEvent* a, const VstEvent* b) { return a->deltaFrames < b->deltaFrames; });

    // The pointer array runs past the nominal two entries of VstEvents.
    constexpr std::size_t kPointersOffset = offsetof(VstEvents, events);
    block_.assign(std::max(sizeof(VstEvents), kPointersOffset + ordered.size() * sizeof(VstEvent*)), std::byte{});
    auto* events = new (block_.data()) VstEvents{};
    events->numEvents = static_cast<VstInt32>(ordered.size());
    std::uninitialized_copy(ordered.begin(), ordered.end(),
                            reinterpret_cast<VstEvent**>(block_.data() + kPointersOffset));
    return events;
}

} // namespace sorrel::host
