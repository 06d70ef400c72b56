// Four voices stored side by side, one lane each, so that a stage can work
// on a group's four voices together. A group with an empty active mask is
// skipped by every stage.
#pragma once

#include <array>
#include <cstdint>

#include "SorlEnvelope.h" // the envelope states

struct alignas(16) SorlVoiceGroup {
    static constexpr int kLanes = 4;
    static constexpr int kExtModTargets = 4; // PW, cutoff, MG level, VCA gain
    static constexpr int kFilterPoles = 4;

    using Floats = std::array<float, kLanes>;
    using Ints = std::array<std::int32_t, kLanes>;

    Ints note{};
    Floats pitch{};           // semitones, also the wavetable row
    Floats phase{};           // 0..8192, four table cycles
    Floats detune{};          // unison detune in semitones
    Floats oscillatorOut{};
    Floats filterCoefficient{};
    Floats filterCompensation{};
    Floats filterFeedback{};
    std::array<Floats, kFilterPoles> filterState{};
    Ints envelopeState{};
    Floats envelopeLevel{};
    Floats gateLevel{};
    Ints pendingNote{};
    Floats pendingVelocity{};
    std::array<Floats, kExtModTargets> extMod1Offset{};
    std::array<Floats, kExtModTargets> extMod2Offset{};
    Floats scaleOffset{};
    Floats analogOffset{};
    Ints side{};              // 0 centre, 1 and 2 the two stereo sides
    std::uint32_t activeMask = 0;
};
