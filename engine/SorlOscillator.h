// The voice oscillators, four voices of a group at a time: a saw, a pulse
// or a width-modulated pulse read from the shared wavetables, optionally
// with a square one or two octaves down. Each of the nine combinations is
// its own function, so the per-sample path tests neither wave nor sub.
#pragma once

#include <array>
#include <cstdint>

#include "SorlLaneVector.h"
#include "SorlRateTables.h"
#include "SorlWavetables.h"

// One group's oscillator lanes; part of the voice group record.
struct alignas(16) SorlOscillatorLanes {
    static constexpr int kLanes = 4;
    static constexpr int kSubOctaves = 2;
    using Floats = std::array<float, kLanes>;
    using Ints = std::array<std::int32_t, kLanes>;

    Floats phase{};     // 0..8192: four table cycles, so subs can run at 1/2 and 1/4
    Floats increment{}; // table steps per sample; set by Tune
    Floats pitch{};     // semitones 0..127; set by Tune
    Ints row{};         // start of the wave's table row; set by Tune
    std::array<Ints, kSubOctaves> subRow{}; // rows one and two octaves down; set by Tune
    Floats pulseWidthOffset{}; // the voice's two external PW offsets, fixed at voice start
    Floats output{};
};

// Values the pulse variants read, constant between control ticks.
struct SorlOscillatorFrame {
    float pulseWidth = 1024.0f; // table steps; 1024 is a square
    float pwmSweep = 0.0f;      // 512 times the PWM triangle (0..1)
};

// Control-bank values behind the pitch shared by all voices, as read (with
// their resting offsets still in them).
struct SorlPitchControls {
    float bendRange = 12.0f;  // settles at 12 (x + 1)
    float bend = 3.0f;        // settles at 2 (x + 1)
    float modulation = 2.0f;  // settles at 2 (x + 1)
    float vibrato = 1.0f;     // settles at x + 1
    float tune = 3.0f;        // settles at 2 (x + 1)
    float mgTriangle = 0.0f;  // -1..1
    int octave = 0;           // semitones
    int transpose = 0;        // semitones
};

class CSorlOscillator {
public:
    enum Wave : int { kSaw, kPulse, kPulseModulated, kWaveCount };
    static constexpr int kSubSettings = 3; // off, one octave down, two octaves down
    static constexpr int kVariantCount = kWaveCount * kSubSettings;
    static constexpr float kTableSpan = 4.0f * CSorlWavetables::kCycleLength;

    using Floats = SorlOscillatorLanes::Floats;
    // Writes each lane's output from its phase, then advances the phase.
    using Variant = void (*)(SorlOscillatorLanes&, const SorlOscillatorFrame&, const CSorlWavetables&);

    // The variant for a wave form and sub setting (0 off, 1 or 2 octaves
    // down). Usable at compile time, so a caller can inline the variant.
    static constexpr Variant VariantFor(int wave, int subOctaves);

    // Semitones added to every voice's own pitch: bend, octave, vibrato,
    // tune and transpose.
    static float PitchOffset(const SorlPitchControls& controls);

    // Holds each lane's pitch to 0..127 and derives its phase increment and
    // table rows from it.
    static void Tune(SorlOscillatorLanes& lanes, const Floats& pitch, const CSorlRateTables& rates);

private:
    static constexpr int kCycleMask = CSorlWavetables::kCycleLength - 1;
    static constexpr float kNarrowestPulse = 0.001f;
    static constexpr float kSquarePulse = CSorlWavetables::kCycleLength / 2.0f;

    // Linear interpolation in the rows starting at rowStart; positions wrap
    // at the cycle length and the guard sample serves the last step.
    static SorlLaneFloats Read(const float* table, SorlLaneInts rowStart, SorlLaneFloats position)
    {
        const SorlLaneInts whole = __builtin_convertvector(position, SorlLaneInts);
        const SorlLaneFloats fraction = position - __builtin_convertvector(whole, SorlLaneFloats);
        return SorlInterpolateLanes(table, rowStart + (whole & kCycleMask), fraction);
    }

    static SorlLaneFloats PulseWidth(const SorlOscillatorLanes& lanes, const SorlOscillatorFrame& frame, bool modulated)
    {
        SorlLaneFloats width = SorlClampLanes(SorlSplat(frame.pulseWidth) + SorlLoadLanes(lanes.pulseWidthOffset),
                                              kNarrowestPulse, kSquarePulse);
        if (modulated) {
            width = SorlClampLanes(width + frame.pwmSweep, kNarrowestPulse, kSquarePulse);
        }
        return width;
    }

    template <Wave W, int SubOctaves>
    static void Render(SorlOscillatorLanes& lanes, const SorlOscillatorFrame& frame, const CSorlWavetables& tables)
    {
        const SorlLaneFloats phase = SorlLoadLanes(lanes.phase);
        const SorlLaneInts row = SorlLoadLanes(lanes.row);
        SorlLaneFloats out = Read(tables.Saw(), row, phase);
        if constexpr (W != kSaw) {
            // The difference of two saws a width apart is a pulse that width wide.
            const SorlLaneFloats width = PulseWidth(lanes, frame, W == kPulseModulated);
            out = (out - Read(tables.Saw(), row, phase + width)) * 0.5f;
        }
        if constexpr (SubOctaves > 0) {
            constexpr float kRate = 1.0f / (1 << SubOctaves);
            out += Read(tables.Square(), SorlLoadLanes(lanes.subRow[SubOctaves - 1]), phase * kRate);
        }
        SorlStoreLanes(lanes.output, out);

        const SorlLaneFloats advanced = phase + SorlLoadLanes(lanes.increment);
        const SorlLaneFloats span = SorlSplat(kTableSpan);
        SorlStoreLanes(lanes.phase, advanced >= span ? advanced - span : advanced);
    }

    // Indexed by 3 * wave + sub octaves.
    static constexpr Variant kVariants[kVariantCount] = {
        &Render<kSaw, 0>,           &Render<kSaw, 1>,           &Render<kSaw, 2>,
        &Render<kPulse, 0>,         &Render<kPulse, 1>,         &Render<kPulse, 2>,
        &Render<kPulseModulated, 0>, &Render<kPulseModulated, 1>, &Render<kPulseModulated, 2>,
    };
};

constexpr CSorlOscillator::Variant CSorlOscillator::VariantFor(int wave, int subOctaves)
{
    const int w = wave < 0 ? 0 : (wave >= kWaveCount ? kWaveCount - 1 : wave);
    const int s = subOctaves < 0 ? 0 : (subOctaves >= kSubSettings ? kSubSettings - 1 : subOctaves);
    return kVariants[w * kSubSettings + s];
}
