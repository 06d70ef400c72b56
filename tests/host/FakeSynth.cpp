// A tiny VST 2.4 instrument for the host tests. Its output makes event
// delivery visible: left = level parameter + sum of held note numbers, right =
// the negative of that. It asks the host what a real synth asks and keeps the
// answers for the tests (see FakeSynthProbe.h).
#include "FakeSynthProbe.h"
#include "VstAbi.h"
#include "VstSysExEvent.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>

using fake_synth::Observations;

namespace {

constexpr int kNumParams = 3;
constexpr int kNumPrograms = 2;
constexpr int kMaxPendingNotes = 64;

struct ParameterInfo {
    const char* name;
    const char* label;
    bool automatable;
};

constexpr std::array<ParameterInfo, kNumParams> kParameters{{
    {"Level", "%", true},
    {"Cutoff", "Hz", true},
    {"Mode", "", false},
}};

constexpr std::array<const char*, kNumPrograms> kProgramNames{"Init", "Bright"};

std::atomic<int> liveInstances{0};

struct NoteChange {
    VstInt32 deltaFrames;
    int noteSumChange;
};

struct FakeSynth {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    Observations seen{};
    std::array<float, kNumParams> parameters{0.5f, 0.5f, 0.0f};
    VstInt32 program = 0;
    int heldNoteSum = 0;
    std::array<NoteChange, kMaxPendingNotes> pending{};
    int pendingCount = 0;

    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return host(&effect, opcode, index, value, ptr, opt);
    }
};

FakeSynth& self(AEffect* effect)
{
    return *static_cast<FakeSynth*>(effect->object);
}

void copyText(void* destination, const char* text)
{
    std::strcpy(static_cast<char*>(destination), text);
}

void displayParameter(const FakeSynth& synth, VstInt32 index, char* text)
{
    const float value = synth.parameters[static_cast<std::size_t>(index)];
    switch (index) {
    case 0:
        std::sprintf(text, "%.1f", value * 100.0f);
        break;
    case 1:
        std::sprintf(text, "%.0f", 20.0f * 1000.0f * value);
        break;
    default:
        std::strcpy(text, value < 0.5f ? "Saw" : "Square");
        break;
    }
}

void receiveEvents(FakeSynth& synth, const VstEvents& events)
{
    synth.seen.eventCount = std::min(events.numEvents, fake_synth::kMaxEventsSeen);
    for (int i = 0; i < synth.seen.eventCount; ++i) {
        const VstEvent& event = *events.events[i];
        fake_synth::EventSeen& seen = synth.seen.events[i];
        seen = {};
        seen.type = event.type;
        seen.deltaFrames = event.deltaFrames;
        if (event.type == kVstSysExType) {
            const auto& sysex = reinterpret_cast<const sorrel::host::VstSysExEvent&>(event);
            seen.sysexBytes = sysex.dumpBytes;
            seen.sysexFirstByte = sysex.dumpBytes > 0 ? static_cast<unsigned char>(sysex.sysexDump[0]) : 0;
            continue;
        }
        if (event.type != kVstMidiType) {
            continue;
        }
        const auto& midi = reinterpret_cast<const VstMidiEvent&>(event);
        std::memcpy(seen.midi, midi.midiData, 3);
        const int kind = seen.midi[0] & 0xF0;
        const bool noteOn = kind == 0x90 && seen.midi[2] > 0;
        const bool noteOff = kind == 0x80 || (kind == 0x90 && seen.midi[2] == 0);
        if ((noteOn || noteOff) && synth.pendingCount < kMaxPendingNotes) {
            synth.pending[static_cast<std::size_t>(synth.pendingCount++)] = {
                event.deltaFrames, noteOn ? seen.midi[1] : -seen.midi[1]};
        }
    }
}

// Applies the pending note changes in the order received, each at its frame.
template <typename Write>
void render(FakeSynth& synth, float** outputs, VstInt32 frames, Write write)
{
    auto* time = reinterpret_cast<VstTimeInfo*>(synth.callHost(audioMasterGetTime, 0, kVstTempoValid | kVstPpqPosValid));
    ++synth.seen.timeAsked;
    synth.seen.timeAnswered = time != nullptr;
    synth.seen.lastTime = time != nullptr ? *time : VstTimeInfo{};

    int next = 0;
    for (VstInt32 frame = 0; frame < frames; ++frame) {
        while (next < synth.pendingCount && synth.pending[static_cast<std::size_t>(next)].deltaFrames <= frame) {
            synth.heldNoteSum += synth.pending[static_cast<std::size_t>(next++)].noteSumChange;
        }
        const float value = synth.parameters[0] + static_cast<float>(synth.heldNoteSum);
        write(outputs[0][frame], value);
        write(outputs[1][frame], -value);
    }
    while (next < synth.pendingCount) {
        synth.heldNoteSum += synth.pending[static_cast<std::size_t>(next++)].noteSumChange;
    }
    synth.pendingCount = 0;
}

void processReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames)
{
    render(self(effect), outputs, frames, [](float& out, float value) { out = value; });
}

void processAccumulating(AEffect* effect, float**, float** outputs, VstInt32 frames)
{
    render(self(effect), outputs, frames, [](float& out, float value) { out += value; });
}

void setParameter(AEffect* effect, VstInt32 index, float value)
{
    if (index >= 0 && index < kNumParams) {
        self(effect).parameters[static_cast<std::size_t>(index)] = value;
    }
}

float getParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < kNumParams ? self(effect).parameters[static_cast<std::size_t>(index)] : 0.0f;
}

VstIntPtr probe(FakeSynth& synth, VstInt32 action, VstIntPtr value, float opt)
{
    switch (action) {
    case fake_synth::kObserve:
        return reinterpret_cast<VstIntPtr>(&synth.seen);
    case fake_synth::kEditParameter:
        synth.callHost(audioMasterBeginEdit, static_cast<VstInt32>(value));
        synth.callHost(audioMasterAutomate, static_cast<VstInt32>(value), 0, nullptr, opt);
        synth.callHost(audioMasterEndEdit, static_cast<VstInt32>(value));
        return 1;
    case fake_synth::kResizeWindow:
        return synth.callHost(audioMasterSizeWindow, static_cast<VstInt32>(value), static_cast<VstIntPtr>(opt));
    default:
        return 0;
    }
}

bool validParameter(VstInt32 index)
{
    return index >= 0 && index < kNumParams;
}

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    FakeSynth& synth = self(effect);
    switch (opcode) {
    case effOpen:
        synth.seen.canDoSendVstTimeInfo = synth.callHost(audioMasterCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo"));
        synth.seen.canDoUnknown = synth.callHost(audioMasterCanDo, 0, 0, const_cast<char*>("makeCoffee"));
        return 0;
    case effClose:
        delete &synth;
        --liveInstances;
        return 1;
    case effSetProgram:
        synth.program = static_cast<VstInt32>(value);
        synth.callHost(audioMasterUpdateDisplay);
        return 0;
    case effGetProgram:
        return synth.program;
    case effGetParamName:
    case effGetParamLabel:
        if (!validParameter(index)) {
            return 0;
        }
        copyText(ptr, opcode == effGetParamName ? kParameters[static_cast<std::size_t>(index)].name
                                                : kParameters[static_cast<std::size_t>(index)].label);
        return 0;
    case effGetParamDisplay:
        if (validParameter(index)) {
            displayParameter(synth, index, static_cast<char*>(ptr));
        }
        return 0;
    case effCanBeAutomated:
        return validParameter(index) && kParameters[static_cast<std::size_t>(index)].automatable ? 1 : 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= kNumPrograms) {
            return 0;
        }
        copyText(ptr, kProgramNames[static_cast<std::size_t>(index)]);
        return 1;
    case effMainsChanged:
        if (value != 0) {
            synth.seen.sampleRateAnswer = synth.callHost(audioMasterGetSampleRate);
            synth.seen.blockSizeAnswer = synth.callHost(audioMasterGetBlockSize);
            synth.callHost(audioMasterWantMidi, 0, 1);
        }
        return 0;
    case effProcessEvents:
        receiveEvents(synth, *static_cast<const VstEvents*>(ptr));
        return 1;
    case effGetEffectName:
    case effGetProductString:
        copyText(ptr, "Fake Synth");
        return 1;
    case effGetVendorString:
        copyText(ptr, "Sorrel Tests");
        return 1;
    case effGetVendorVersion:
        return 0x010203;
    case effGetVstVersion:
        return 2400;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case fake_synth::kProbeOpcode:
        return probe(synth, index, value, opt);
    default:
        return 0;
    }
}

AEffect* createFakeSynth(audioMasterCallback host)
{
    // The version is asked before any record exists, as real plug-ins do.
    const VstIntPtr version = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
    if (version == 0) {
        return nullptr;
    }
    auto* synth = new FakeSynth;
    ++liveInstances;
    synth->host = host;
    synth->seen.hostVersion = version;
    AEffect& effect = synth->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.process = processAccumulating;
    effect.processReplacing = processReplacing;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = kNumPrograms;
    effect.numParams = kNumParams;
    effect.numOutputs = 2;
    effect.flags = effFlagsCanReplacing | effFlagsIsSynth;
    effect.ioRatio = 1.0f;
    effect.object = synth;
    effect.uniqueID = fourCharCode("FkSy");
    effect.version = 7;
    // Asked with the record the host has not seen yet: effect.user is still null.
    synth->callHost(audioMasterGetProductString, 0, 0, synth->seen.hostProduct);
    synth->callHost(audioMasterGetVendorString, 0, 0, synth->seen.hostVendor);
    synth->seen.hostVendorVersion = synth->callHost(audioMasterGetVendorVersion);
    if (std::strcmp(synth->seen.hostProduct, fake_synth::kBadMagicProduct) == 0) {
        // The host must not touch such a record, so it cannot free it either.
        delete synth;
        --liveInstances;
        static AEffect notAnEffect{};
        return &notAnEffect;
    }
    return &effect;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int fakeSynthLiveInstances()
{
    return liveInstances.load();
}

#ifdef FAKE_SYNTH_MAIN_ONLY
__attribute__((visibility("default"))) AEffect* fakeSynthEntry(audioMasterCallback host) __asm__("main");
AEffect* fakeSynthEntry(audioMasterCallback host)
{
    return createFakeSynth(host);
}
#else
__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    return createFakeSynth(host);
}
#endif
}
