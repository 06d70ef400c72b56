// A silent VST 2.4 module for the renderer tests. It takes program and bank
// chunks beginning with "good" and answers 1; chunks beginning with "zero" it
// takes too but answers 0, as some real plug-ins do; all others it refuses
// (answer 0, state unchanged). effGetChunk hands back the last chunk taken.
// Built twice: as an instrument, and with CHUNK_SYNTH_AS_EFFECT as an effect
// that a renderer must turn down.
#include "VstAbi.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::size_t kPrefixLength = 4;

struct ChunkSynth {
    AEffect effect{};
    std::string chunk = "initial";
};

ChunkSynth& self(AEffect* effect)
{
    return *static_cast<ChunkSynth*>(effect->object);
}

VstIntPtr takeChunk(ChunkSynth& synth, const char* data, VstIntPtr size)
{
    const std::string prefix(data, static_cast<std::size_t>(std::min<VstIntPtr>(size, kPrefixLength)));
    if (prefix != "good" && prefix != "zero") {
        return 0;
    }
    synth.chunk.assign(data, static_cast<std::size_t>(size));
    return prefix == "good" ? 1 : 0;
}

#ifdef CHUNK_SYNTH_AS_EFFECT
constexpr VstInt32 kKindFlags = 0;
constexpr VstIntPtr kCategory = 1; // effect
#else
constexpr VstInt32 kKindFlags = effFlagsIsSynth;
constexpr VstIntPtr kCategory = kPlugCategSynth;
#endif

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr, float)
{
    switch (opcode) {
    case effClose:
        delete &self(effect);
        return 1;
    case effSetChunk:
        return takeChunk(self(effect), static_cast<const char*>(ptr), value);
    case effGetChunk:
        *static_cast<void**>(ptr) = self(effect).chunk.data();
        return static_cast<VstIntPtr>(self(effect).chunk.size());
    case effGetPlugCategory:
        return kCategory;
    case effProcessEvents:
        return 1;
    default:
        return 0;
    }
}

void processReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames)
{
    for (VstInt32 channel = 0; channel < effect->numOutputs; ++channel) {
        std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
    }
}

void setParameter(AEffect*, VstInt32, float) {}

float getParameter(AEffect*, VstInt32)
{
    return 0.0f;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback)
{
    auto* synth = new ChunkSynth;
    AEffect* effect = &synth->effect;
    effect->object = synth;
    effect->magic = kEffectMagic;
    effect->dispatcher = dispatcher;
    effect->processReplacing = processReplacing;
    effect->setParameter = setParameter;
    effect->getParameter = getParameter;
    effect->numPrograms = 1;
    effect->numOutputs = 2;
    effect->flags = effFlagsCanReplacing | effFlagsProgramChunks | kKindFlags;
    effect->uniqueID = fourCharCode("ChSy");
    return effect;
}
