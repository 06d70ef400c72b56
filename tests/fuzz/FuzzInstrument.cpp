#include "FuzzInstrument.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sorrel::fuzz {

namespace {

constexpr int kBlock = 256;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return 44100;
    case audioMasterGetBlockSize:
        return kBlock;
    default:
        return 0;
    }
}

} // namespace

void require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void keepDefaultFilesAway()
{
    setenv("XDG_DATA_HOME", "/nonexistent/sorrel-fuzz", 1);
    setenv("XDG_DATA_DIRS", "/nonexistent/sorrel-fuzz", 1);
}

std::unique_ptr<CSorlVst> makeInstrument()
{
    auto instrument = std::make_unique<CSorlVst>(&quietHost);
    require(instrument->initialize(), "initialize");
    instrument->setSampleRate(44100.0f);
    instrument->setBlockSize(kBlock);
    instrument->resume();
    return instrument;
}

Bytes bankOf(CSorlVst& instrument)
{
    void* data = nullptr;
    const VstInt32 size = instrument.getChunk(&data, false);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}

void renderChecked(CSorlVst& instrument, int frames)
{
    float left[kBlock];
    float right[kBlock];
    float* outputs[2] = {left, right};
    for (int done = 0; done < frames; done += kBlock) {
        instrument.processReplacing(nullptr, outputs, kBlock);
        for (int i = 0; i < kBlock; ++i)
            require(std::isfinite(left[i]) && std::isfinite(right[i]), "rendered a sample that is not finite");
    }
}

void requireUnchanged(CSorlVst& instrument, const Bytes& before)
{
    require(bankOf(instrument) == before, "a refused input changed the state");
}

} // namespace sorrel::fuzz
