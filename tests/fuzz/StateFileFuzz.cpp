// Program (.fxp) and bank (.fxb) files with any bytes: the first byte chooses the
// kind (odd: program), the rest is the file. The check-only read changes nothing
// and passes every file that loads; a refused file leaves the state exactly as it
// was; a loaded one renders.
#include "FuzzInstrument.h"

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
    if (size < 1)
        return 0;
    const bool program = (data[0] & 1) != 0;
    auto instrument = makeInstrument();
    const Bytes before = bankOf(*instrument);
    const bool acceptable = instrument->readStateFromMemory(data + 1, size - 1, program, true);
    requireUnchanged(*instrument, before);
    const bool loaded = instrument->readStateFromMemory(data + 1, size - 1, program, false);
    require(acceptable || !loaded, "the check-only read refused a file that loads");
    if (loaded)
        renderChecked(*instrument, 1024);
    else
        requireUnchanged(*instrument, before);
    return 0;
}
