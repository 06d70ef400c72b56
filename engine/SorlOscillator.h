// The voice oscillators, four voices of a group at a time: a saw, a pulse
// or a width-modulated pulse read from the shared wavetables, optionally
// with a square one or two octaves down. Each of the nine combinations is
// its own function, so the per-sample path tests neither wave nor sub.
#pragma once

#include <array>
#include <cstdint>

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

    // The variant for a wave form and sub setting (0 off, 1 or 2 octaves down).
    static Variant VariantFor(int wave, int subOctaves);

    // Semitones added to every voice's own pitch: bend, octave, vibrato,
    // tune and transpose.
    static float PitchOffset(const SorlPitchControls& controls);

    // Holds each lane's pitch to 0..127 and derives its phase increment and
    // table rows from it.
    static void Tune(SorlOscillatorLanes& lanes, const Floats& pitch, const CSorlRateTables& rates);
};
