// The engine alone, rendering held notes in 256-frame blocks at 44.1 kHz.
// The counter "realtime" is audio seconds rendered per CPU second.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "SorlDsp.h"
#include "SorlParameterTable.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 256;

enum Wave { kSawWithSub, kPwmWithSub };

void RenderBlocks(benchmark::State& state, CSorlDsp& engine)
{
    std::array<float, kBlock> left{};
    std::array<float, kBlock> right{};
    float* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        engine.ProcessReplacing(nullptr, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.counters["realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

void RenderHeldNotes(benchmark::State& state)
{
    const int voices = static_cast<int>(state.range(0));
    const auto wave = static_cast<Wave>(state.range(1));
    const auto engine = CSorlDsp::Create(kRate, voices);
    const std::pair<SorlEngineInput, float> patch[] = {
        {kInputWaveForm, wave == kSawWithSub ? 0.0f : 1.0f},
        {kInputSubOsc, 0.5f}, // one octave down
        {kInputPwmSpeed, 0.5f},
        {kInputPwmAdjust, 0.3f},
        {kInputVcoOctave, 0.5f},
        {kInputTune, 0.5f},
        {kInputCutoff, 0.7f},
        {kInputResonance, 0.4f},
        {kInputEgIntensity, 0.7f},
        {kInputKbdTrack, 0.5f},
        {kInputEgSustain, 0.8f},
        {kInputMgDestination, 1.0f}, // VCO
        {kInputVoicesTotal, static_cast<float>(voices - 1) / 32.0f},
    };
    for (const auto& [input, value] : patch) {
        engine->SetParameter(0, input, value);
    }
    engine->Resume();
    for (int v = 0; v < voices; ++v) {
        engine->QueueNote(0, 36 + (v * 7) % 60, 100);
    }

    std::array<float, kBlock> left{};
    std::array<float, kBlock> right{};
    float* outputs[2] = {left.data(), right.data()};
    engine->ProcessReplacing(nullptr, outputs, kBlock);
    if (engine->NonIdleVoices() != voices) {
        state.SkipWithError("not every voice is sounding");
        return;
    }
    RenderBlocks(state, *engine);
}

BENCHMARK(RenderHeldNotes)
    ->ArgNames({"voices", "pwm"})
    ->ArgsProduct({{1, 6, 32}, {kSawWithSub, kPwmWithSub}})
    ->Unit(benchmark::kMicrosecond);

// FX Mode values for Off, Chorus, Phase and Ensemble.
constexpr float kFxModes[] = {0.0f, 0.3f, 0.6f, 1.0f};

void SetUpEffect(CSorlDsp& engine, int mode)
{
    engine.SetParameter(0, kInputFxMode, kFxModes[mode]);
    engine.SetParameter(0, kInputFxSpeed, 0.5f);
    engine.SetParameter(0, kInputFxSpread, 1.0f);
    engine.Resume();
}

// One held note through each effect mode.
void RenderEffectModes(benchmark::State& state)
{
    const auto engine = CSorlDsp::Create(kRate, 6);
    SetUpEffect(*engine, static_cast<int>(state.range(0)));
    engine->QueueNote(0, 48, 100);
    RenderBlocks(state, *engine);
}

BENCHMARK(RenderEffectModes)->ArgNames({"fx"})->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// Silence through each effect mode, from a fresh engine (tail 0) and after a
// note's tail has died away for a minute (tail 1). Denormals lingering in
// the effect would make the second case slower.
void RenderSilence(benchmark::State& state)
{
    const auto engine = CSorlDsp::Create(kRate, 6);
    SetUpEffect(*engine, static_cast<int>(state.range(0)));
    if (state.range(1) != 0) {
        std::array<float, kBlock> left{};
        std::array<float, kBlock> right{};
        float* outputs[2] = {left.data(), right.data()};
        engine->QueueNote(0, 48, 100);
        const int noteBlocks = static_cast<int>(0.5f * kRate) / kBlock;
        const int tailBlocks = static_cast<int>(60.0f * kRate) / kBlock;
        for (int block = 0; block < noteBlocks + tailBlocks; ++block) {
            if (block == noteBlocks) {
                engine->QueueNoteOff(0, 48, 0);
            }
            engine->ProcessReplacing(nullptr, outputs, kBlock);
        }
    }
    RenderBlocks(state, *engine);
}

BENCHMARK(RenderSilence)
    ->ArgNames({"fx", "tail"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
