// A byte stream of MIDI events through processEvents, interleaved with rendering.
// Five bytes make one step: a kind, three MIDI bytes and a frame offset. Kind
// bit 0 ends the block: the gathered events go to processEvents and the next
// three bytes give the block's length; bit 1 makes the event a SysEx-typed record
// that must be skipped. Offsets may be negative or beyond the block, as from a
// careless host.
#include "FuzzInstrument.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace sorrel::fuzz;

namespace {

constexpr std::size_t kStep = 5;
constexpr std::size_t kMaxEventsPerBlock = 256;
constexpr int kMaxBlock = 4096;

struct EventBlock {
    std::vector<VstMidiEvent> records;
    std::vector<std::uint8_t> storage;

    void deliver(CSorlVst& instrument)
    {
        storage.assign(sizeof(VstEvents) + records.size() * sizeof(VstEvent*), 0);
        auto* events = reinterpret_cast<VstEvents*>(storage.data());
        events->numEvents = static_cast<VstInt32>(records.size());
        VstEvent** list = events->events; // numEvents entries, whatever the declaration says
        for (std::size_t i = 0; i < records.size(); ++i)
            list[i] = reinterpret_cast<VstEvent*>(&records[i]);
        instrument.processEvents(events);
        records.clear();
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    keepDefaultFilesAway();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto instrument = makeInstrument();
    EventBlock block;
    for (std::size_t at = 0; at + kStep <= size; at += kStep) {
        const std::uint8_t* step = data + at;
        if ((step[0] & 1) != 0 || block.records.size() == kMaxEventsPerBlock) {
            block.deliver(*instrument);
            renderChecked(*instrument, 1 + ((step[1] << 8) | step[2]) % kMaxBlock);
            continue;
        }
        VstMidiEvent event{};
        event.type = (step[0] & 2) != 0 ? kVstSysExType : kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = static_cast<std::int8_t>(step[4]) * 16;
        event.midiData[0] = static_cast<char>(step[1]);
        event.midiData[1] = static_cast<char>(step[2]);
        event.midiData[2] = static_cast<char>(step[3]);
        block.records.push_back(event);
    }
    block.deliver(*instrument);
    renderChecked(*instrument, kMaxBlock);
    return 0;
}
