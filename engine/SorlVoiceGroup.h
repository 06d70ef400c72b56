// Four voices stored side by side, one lane each, so that a stage can work
// on a group's four voices together. A group with an empty active mask is
// skipped by every stage. Each stage owns its lanes; what is left here
// belongs to the voice as a whole.
#pragma once

#include <array>
#include <cstdint>

#include "SorlAmplifier.h"
#include "SorlEnvelope.h"
#include "SorlFilter.h"
#include "SorlOscillator.h"

struct alignas(16) SorlVoiceGroup {
    static constexpr int kLanes = 4;

    using Floats = std::array<float, kLanes>;
    using Ints = std::array<std::int32_t, kLanes>;

    Ints note{};
    Floats detune{}; // unison detune in semitones
    Ints pendingNote{};
    Floats pendingVelocity{};
    Floats scaleOffset{};  // pitch-class offset in semitones
    Floats analogOffset{}; // random pitch offset in semitones
    Floats cutoffOffset{}; // the voice's two external VCF offsets, fixed at voice start
    SorlOscillatorLanes oscillator;
    SorlFilterLanes filter;
    SorlEnvelopeLanes envelope;
    SorlAmplifierLanes amplifier;
    std::uint32_t activeMask = 0;
};
