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
    for (auto _ : state) {
        engine->ProcessReplacing(nullptr, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.counters["realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

BENCHMARK(RenderHeldNotes)
    ->ArgNames({"voices", "pwm"})
    ->ArgsProduct({{1, 6, 32}, {kSawWithSub, kPwmWithSub}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
