// The amplifier and voice mix: weights each voice's filter output by its
// envelope or gate through the VCA curve, applies the external and MG
// modulation of the VCA and the resonance compensation, and sums the voices
// into a stereo pair. One function per VCA mode and MG routing, so the
// per-sample path tests neither.
#pragma once

#include <array>
#include <cstdint>

#include "SorlEnvelope.h"
#include "SorlLaneVector.h"
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
    // Usable at compile time, so a caller can inline the variant.
    static constexpr Variant VariantFor(int vcaMode, bool mgToVca);

    // Gain making up for the level resonance takes away; resonance 0..6.
    static float ResonanceCompensation(float resonance);

    // The mix pair: both sums folded towards the centre by the unison
    // spread (0..1) and scaled by the attenuator gain.
    static SorlStereo Mix(const SorlAmplifierSum& sum, float unisonSpread, float attenuatorGain);

private:
    static constexpr float kVcaSteps = CSorlVcaTable::kLastEntry;
    static constexpr float kSilentSteps = 0.00001f;
    static constexpr float kLeastVcaGain = 0.00001f;
    static constexpr std::int32_t kLeftOnly = 1;
    static constexpr std::int32_t kRightOnly = 2;

    static SorlLaneFloats VcaCurve(SorlLaneFloats level, const CSorlVcaTable& vca)
    {
        const SorlLaneFloats steps = level * kVcaSteps;
        // Lanes at or above full level (and NaN lanes, silenced below) read a
        // valid cell; they take the full gain instead.
        const SorlLaneFloats inRange = steps < SorlSplat(kVcaSteps) ? steps : SorlLaneFloats{};
        const SorlLaneFloats held = inRange > SorlLaneFloats{} ? inRange : SorlLaneFloats{};
        const SorlLaneInts cell = __builtin_convertvector(held, SorlLaneInts);
        const SorlLaneFloats fraction = held - __builtin_convertvector(cell, SorlLaneFloats);
        const SorlLaneFloats curve = SorlInterpolateLanes(vca.Data(), cell, fraction);
        const SorlLaneFloats full = SorlSplat(1.0f);
        const SorlLaneFloats silent{};
        return steps > SorlSplat(kSilentSteps) ? (steps < SorlSplat(kVcaSteps) ? curve : full) : silent;
    }

    template <bool GateMode, bool MgToVca>
    static void AddVoices(const SorlAmplifierFrame& frame, const SorlAmplifierLanes& lanes,
                          const SorlEnvelopeLanes& envelope, const Floats& signal, const CSorlVcaTable& vca,
                          SorlAmplifierSum& sum)
    {
        const SorlLaneFloats gain =
            SorlClampLanes(SorlSplat(frame.vcaGain) + SorlLoadLanes(lanes.vcaOffset), kLeastVcaGain, 1.0f);
        SorlLaneFloats level = SorlLoadLanes(GateMode ? envelope.gate : envelope.level);
        if constexpr (MgToVca) {
            const SorlLaneFloats depth =
                SorlClampLanes(SorlSplat(frame.mgDepth) + SorlLoadLanes(lanes.mgOffset), 0.0f, 1.0f);
            level = (depth * frame.mgSweep + 1.0f) * level;
        }
        const SorlLaneFloats amp = VcaCurve(level, vca) * (gain * frame.compensation);
        // Selected rather than multiplied, so a silent lane adds exactly nothing.
        const SorlLaneFloats y = amp != SorlLaneFloats{} ? amp * SorlLoadLanes(signal) : SorlLaneFloats{};

        const SorlLaneInts side = SorlLoadLanes(lanes.side);
        const SorlLaneFloats zero{};
        SorlStoreLanes(sum.left, SorlLoadLanes(sum.left) + (side != kRightOnly ? y : zero));
        SorlStoreLanes(sum.right, SorlLoadLanes(sum.right) + (side != kLeftOnly ? y : zero));
    }

    // Indexed by 2 * VCA mode + MG routing.
    static constexpr Variant kVariants[kVariantCount] = {
        &AddVoices<true, false>,
        &AddVoices<true, true>,
        &AddVoices<false, false>,
        &AddVoices<false, true>,
    };
};

constexpr CSorlAmplifier::Variant CSorlAmplifier::VariantFor(int vcaMode, bool mgToVca)
{
    const int mode = vcaMode < 0 ? 0 : (vcaMode > 1 ? 1 : vcaMode);
    return kVariants[2 * mode + (mgToVca ? 1 : 0)];
}
