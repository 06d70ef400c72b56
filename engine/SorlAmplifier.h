// The amplifier and voice mix: weights each voice's filter output by its
// envelope or gate through the VCA curve, applies the external and MG
// modulation of the VCA and the resonance compensation, and sums the voices
// into a stereo pair. One function per VCA mode and MG routing, so the
// per-sample path tests neither.
#pragma once

#include <array>
#include <cstdint>

#include "SorlEnvelope.h"
#include "SorlStereo.h"
#include "SorlVcaTable.h"

// One group's amplifier lanes; part of the voice group record. All are
// fixed at voice start.
struct alignas(16) SorlAmplifierLanes {
    static constexpr int kLanes = 4;

    std::array<float, kLanes> vcaOffset{}; // the voice's two external VCA-gain offsets
    std::array<float, kLanes> mgOffset{};  // the voice's two external MG-level offsets
    std::array<std::int32_t, kLanes> side{}; // 0 both sides, 1 left sum only, 2 right sum only
};

// Values shared by all voices, constant between control ticks except the
// MG sweep.
struct SorlAmplifierFrame {
    float vcaGain = 0.5f;      // 0.5 plus the global external VCA terms
    float compensation = 1.0f; // from ResonanceCompensation
    float mgSweep = 0.0f;      // smoothed MG triangle times the smoothed delay fade
    float mgDepth = 0.0f;      // global MG depth before the voices' own offsets
};

// Running sums of the voices, lane by lane; Mix folds them.
struct alignas(16) SorlAmplifierSum {
    std::array<float, SorlAmplifierLanes::kLanes> left{};
    std::array<float, SorlAmplifierLanes::kLanes> right{};
};

class CSorlAmplifier {
public:
    static constexpr int kVariantCount = 4;

    using Floats = std::array<float, SorlAmplifierLanes::kLanes>;
    // Adds one group's weighted filter outputs to the sum.
    using Variant = void (*)(const SorlAmplifierFrame&, const SorlAmplifierLanes&, const SorlEnvelopeLanes&,
                             const Floats& signal, const CSorlVcaTable&, SorlAmplifierSum&);

    // vcaMode 0 Gate, 1 EG; mgToVca when the MG destination is the VCA.
    static Variant VariantFor(int vcaMode, bool mgToVca);

    // Gain making up for the level resonance takes away; resonance 0..6.
    static float ResonanceCompensation(float resonance);

    // The mix pair: both sums folded towards the centre by the unison
    // spread (0..1) and scaled by the attenuator gain.
    static SorlStereo Mix(const SorlAmplifierSum& sum, float unisonSpread, float attenuatorGain);
};
