// Controller-map (.cmap) files with any bytes. A refused file must leave the map
// exactly as it was.
#include "FuzzInstrument.h"
#include "MemoryFile.h"

#include <cstddef>
#include <cstdint>

using namespace sorrel::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    keepDefaultFilesAway();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto instrument = makeInstrument();
    const Bytes before = bankOf(*instrument);
    MemoryFile check(data, size);
    const bool acceptable = instrument->readControllerMap(check, true);
    requireUnchanged(*instrument, before);
    MemoryFile file(data, size);
    const bool loaded = instrument->readControllerMap(file, false);
    require(acceptable == loaded, "the check-only read and the load disagree");
    if (!loaded)
        requireUnchanged(*instrument, before);
    for (VstInt32 controller = 0; controller < 128; ++controller)
        instrument->getControllerParameter(controller);
    return 0;
}
