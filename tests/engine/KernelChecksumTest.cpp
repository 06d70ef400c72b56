// Guards the per-voice kernels against any change in their output: a fixed
// phrase is rendered through the whole engine for several patches and the
// output bytes are hashed. The expected hashes were taken from the kernels
// before they were optimised; a kernel rewrite must reproduce them exactly.
// The effect stays off; the modulation generator does take part (the patches
// send it to the VCF, VCA and VCO), so a deliberate change of its sound needs
// new hashes too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "SorlDsp.h"
#include "SorlParameterTable.h"

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 256;
constexpr int kBlocks = 96;

struct Patch {
    const char* name;
    std::vector<std::pair<SorlEngineInput, float>> settings;
    std::uint64_t expectedHash;
};

// Eight voices in two groups, so that both a full and a partly used group run.
const std::vector<std::pair<SorlEngineInput, float>> kCommon = {
    {kInputVoicesTotal, 7.0f / 32.0f}, {kInputAnalog, 0.4f},      {kInputMgFrequency, 0.7f},
    {kInputMgLevel, 0.5f},             {kInputKbdTrack, 0.6f},    {kInputEgIntensity, 0.75f},
    {kInputEgDecay, 0.4f},             {kInputEgSustain, 0.6f},   {kInputCutoff, 0.55f},
    {kInputModulation, 0.3f},          {kInputPitchBend, 0.6f},
};

const Patch kPatches[] = {
    {"saw, sub one octave, EG, resonance, MG to VCF",
     {{kInputWaveForm, 0.0f}, {kInputSubOsc, 0.5f}, {kInputVcaMode, 1.0f}, {kInputResonance, 0.5f},
      {kInputMgDestination, 0.5f}, {kInputEgRelease, 0.3f}},
     0x96f93e358b7aca6dull},
    {"PW, sub two octaves, gate, high resonance, MG to VCA",
     {{kInputWaveForm, 0.5f}, {kInputSubOsc, 0.0f}, {kInputVcaMode, 0.0f}, {kInputResonance, 0.95f},
      {kInputPwmAdjust, 0.6f}, {kInputMgDestination, 0.0f}},
     0x227eaffeccccb71dull},
    {"PWM, no sub, slow attack, MG to VCO, negative EG intensity",
     {{kInputWaveForm, 1.0f}, {kInputSubOsc, 1.0f}, {kInputVcaMode, 1.0f}, {kInputPwmSpeed, 0.6f},
      {kInputPwmAdjust, 0.4f}, {kInputEgAttack, 0.5f}, {kInputEgIntensity, 0.2f}, {kInputMgDestination, 1.0f},
      {kInputEgRelease, 0.5f}, {kInputResonance, 0.2f}},
     0xb46a82e65c209101ull},
    {"unison stack, detune and spread",
     {{kInputWaveForm, 0.0f}, {kInputSubOsc, 0.5f}, {kInputVcaMode, 1.0f}, {kInputKeyAssignUnison, 1.0f},
      {kInputUnisonDetune, 0.5f}, {kInputUnisonSpread, 0.7f}, {kInputResonance, 0.3f}, {kInputEgRelease, 0.4f}},
     0x4243f901cb765469ull},
    {"full sustain, so held voices settle",
     {{kInputWaveForm, 0.0f}, {kInputSubOsc, 1.0f}, {kInputVcaMode, 1.0f}, {kInputEgSustain, 1.0f},
      {kInputResonance, 0.6f}, {kInputEgRelease, 0.2f}},
     0x8797f64f3ea36849ull},
};

// FNV-1a over the bytes of the rendered samples.
class OutputHash {
public:
    void Add(const std::vector<float>& samples)
    {
        std::vector<unsigned char> bytes(samples.size() * sizeof(float));
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        for (const unsigned char byte : bytes) {
            hash_ = (hash_ ^ byte) * 0x100000001b3ull;
        }
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

struct Rendered {
    std::uint64_t hash;
    float peak; // a silent phrase would hash the same whatever the kernels do
};

// Chords with a voice steal, releases that overlap new notes, and a silent end.
Rendered RenderPhrase(const Patch& patch)
{
    const auto engine = CSorlDsp::Create(kSampleRate, 6);
    for (const auto& settings : {kCommon, patch.settings}) {
        for (const auto& [input, value] : settings) {
            engine->SetParameter(0, input, value);
        }
    }
    engine->Resume();

    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    OutputHash hash;
    float peak = 0.0f;
    for (int block = 0; block < kBlocks; ++block) {
        if (block == 1) {
            for (const int key : {36, 48, 55, 60, 64, 67, 71}) {
                engine->QueueNote(static_cast<std::uint32_t>(key), key, 40 + key);
            }
        } else if (block == 30) {
            engine->QueueNoteOff(10, 55, 64);
            engine->QueueNoteOff(100, 64, 64);
            engine->QueueNote(200, 79, 127);
            engine->QueueNote(201, 84, 90);
        } else if (block == 60) {
            for (const int key : {36, 48, 60, 67, 71, 79, 84}) {
                engine->QueueNoteOff(static_cast<std::uint32_t>(key), key, 64);
            }
        }
        engine->ProcessReplacing(nullptr, outputs, kBlock);
        hash.Add(left);
        hash.Add(right);
        for (const float sample : left) {
            peak = std::max(peak, std::abs(sample));
        }
    }
    return {hash.Value(), peak};
}

TEST(KernelChecksum, OutputMatchesTheRecordedHashForEveryPatch)
{
    for (const Patch& patch : kPatches) {
        SCOPED_TRACE(patch.name);
        const Rendered rendered = RenderPhrase(patch);
        EXPECT_GT(rendered.peak, 0.01f);
        EXPECT_EQ(rendered.hash, patch.expectedHash) << std::hex << "rendered 0x" << rendered.hash;
    }
}

} // namespace
