// The events for one processEvents call, built the way a host lays them out:
// a VstEvents block whose pointers lead to the records, ordered by deltaFrames
// (events at the same frame keep the order they were added in).
#pragma once

#include "VstAbi.h"
#include "VstSysExEvent.h"

#include <cstddef>
#include <vector>

namespace sorrel::host {

class MidiEventList {
public:
    // Channels 0-15, data bytes 0-127; out-of-range arguments throw HostError.
    // deltaFrames is passed on as given, so tests can hand a plug-in bad offsets.
    void addNoteOn(VstInt32 deltaFrames, int channel, int note, int velocity);
    void addNoteOff(VstInt32 deltaFrames, int channel, int note, int velocity = 0);
    void addControlChange(VstInt32 deltaFrames, int channel, int controller, int value);
    // value 0-16383, 8192 is the centre.
    void addPitchBend(VstInt32 deltaFrames, int channel, int value);
    // Any three bytes, unchecked.
    void addMidi(VstInt32 deltaFrames, unsigned char status, unsigned char data1, unsigned char data2);
    // A SysEx-typed record, which an instrument that only reads MIDI must skip.
    void addSysEx(VstInt32 deltaFrames, std::vector<unsigned char> dump);

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    void clear();

    // The block to pass with effProcessEvents; valid until the list changes.
    VstEvents* vstEvents();

private:
    union Record {
        VstEvent header;
        VstMidiEvent midi;
        VstSysExEvent sysex;
    };

    void addChecked(VstInt32 deltaFrames, int status, int channel, int data1, int data2);

    std::vector<Record> records_;
    std::vector<std::vector<unsigned char>> dumps_;
    std::vector<std::byte> block_;
};

} // namespace sorrel::host
