// Standard MIDI Files with any bytes through sorrel-render's reader: a file is
// read or refused with a RenderError, never anything else.
#include "MidiFile.h"
#include "RenderError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const auto file = sorrel::render::MidiFile::parse({data, size});
        std::uint64_t last = 0;
        for (const auto& event : file.events()) {
            if (event.tick < last || event.tick > file.endTick())
                __builtin_trap(); // events out of order or past the end
            last = event.tick;
        }
    } catch (const sorrel::render::RenderError&) {
    }
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }
