// setChunk with any bytes: the first byte chooses a program (odd) or bank (even)
// chunk, the rest is the chunk. Bank chunks with the compressed flag go through
// the inflater. A refusal must leave the state exactly as it was; what is
// accepted must render.
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
    Bytes chunk(data + 1, data + size);
    auto instrument = makeInstrument();
    const Bytes before = bankOf(*instrument);
    if (instrument->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), program) == 0)
        requireUnchanged(*instrument, before);
    else
        renderChecked(*instrument, 1024);
    return 0;
}
