// An engine set to a plain patch (saw, open filter untouched by the
// envelope, full sustain, no offsets), rendered and analysed as audio.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "OscillatorSpectrum.h"
#include "SorlDsp.h"
#include "SorlParameterTable.h"

class SoundTest : public ::testing::Test {
protected:
    void Create(float sampleRate, int voices = 6)
    {
        rate = sampleRate;
        engine = CSorlDsp::Create(sampleRate, voices);
        ASSERT_NE(engine, nullptr);
        for (const auto& [input, value] : kPlainPatch) {
            Set(input, value);
        }
        Set(kInputVoicesTotal, static_cast<float>(voices - 1) / 32.0f);
        engine->Resume();
        Render(Seconds(0.3)); // controls glide to their targets
    }

    void Set(SorlEngineInput input, float value) { engine->SetParameter(0, input, value); }
    void Play(int key, int velocity = 100) { engine->QueueNote(0, key, velocity); }
    void Lift(int key) { engine->QueueNoteOff(0, key, 0); }
    int Seconds(double s) const { return static_cast<int>(s * rate); }

    // The left channel of the next n samples.
    std::vector<float> Render(int n)
    {
        std::vector<float> left(static_cast<std::size_t>(n));
        right.assign(left.size(), 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        engine->ProcessReplacing(nullptr, outputs, n);
        return left;
    }

    // Holds the note for a while, then renders n samples of it.
    std::vector<float> Note(int key, int n)
    {
        Play(key);
        Render(Seconds(0.2));
        return Render(n);
    }

    // Fundamental near expectedHz, from the interpolated peak of the log
    // spectrum over a power-of-two window.
    double FundamentalHz(std::span<const float> samples, double expectedHz) const
    {
        const std::vector<double> power = PowerSpectrum(samples);
        const double binHz = rate / static_cast<double>(samples.size());
        const auto first = static_cast<std::size_t>(expectedHz * 0.9 / binHz);
        const auto last = static_cast<std::size_t>(expectedHz * 1.1 / binHz);
        const auto peak = std::max_element(power.begin() + first, power.begin() + last) - power.begin();
        const double a = std::log(power[peak - 1]);
        const double b = std::log(power[peak]);
        const double c = std::log(power[peak + 1]);
        return (static_cast<double>(peak) + 0.5 * (a - c) / (a - 2.0 * b + c)) * binHz;
    }

    static double Rms(std::span<const float> samples)
    {
        double sum = 0.0;
        for (const float x : samples) {
            sum += static_cast<double>(x) * x;
        }
        return std::sqrt(sum / static_cast<double>(samples.size()));
    }

    static float LargestStep(std::span<const float> samples)
    {
        float largest = 0.0f;
        for (std::size_t i = 1; i < samples.size(); ++i) {
            largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
        }
        return largest;
    }

    static constexpr std::pair<SorlEngineInput, float> kPlainPatch[] = {
        {kInputWaveForm, 0.0f},       {kInputSubOsc, 1.0f},        {kInputVcoOctave, 0.5f},
        {kInputTune, 0.5f},           {kInputPitchBend, 0.5f},     {kInputPitchBendRange, 0.0f},
        {kInputTranspose, 0.5f},      {kInputCutoff, 1.0f},        {kInputResonance, 0.0f},
        {kInputEgIntensity, 0.5f},    {kInputKbdTrack, 0.0f},      {kInputEgAttack, 0.0f},
        {kInputEgDecay, 0.0f},        {kInputEgSustain, 1.0f},     {kInputEgRelease, 0.0f},
        {kInputVcaMode, 1.0f},        {kInputMgDestination, 1.0f}, {kInputVoicesUnison, 0.0f},
    };

    float rate = 44100.0f;
    std::unique_ptr<CSorlDsp> engine;
    std::vector<float> right;
};
