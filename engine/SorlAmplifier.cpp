#include "SorlAmplifier.h"

#include <algorithm>

#include "SorlLaneVector.h"

namespace {

constexpr float kVcaSteps = CSorlVcaTable::kLastEntry;
constexpr float kSilentSteps = 0.00001f;
constexpr float kLeastVcaGain = 0.00001f;
constexpr float kMostCompensation = 2.02f;
constexpr float kAttenuatorScale = 3.0f;
constexpr std::int32_t kLeftOnly = 1;
constexpr std::int32_t kRightOnly = 2;

SorlLaneFloats VcaCurve(SorlLaneFloats level, const CSorlVcaTable& vca)
{
    const SorlLaneFloats steps = level * kVcaSteps;
    // Lanes at or above full level (and NaN lanes, silenced below) read a
    // valid cell; they take the full gain instead.
    const SorlLaneFloats inRange = steps < SorlSplat(kVcaSteps) ? steps : SorlLaneFloats{};
    const SorlLaneFloats held = inRange > SorlLaneFloats{} ? inRange : SorlLaneFloats{};
    const SorlLaneInts cell = __builtin_convertvector(held, SorlLaneInts);
    const SorlLaneFloats fraction = held - __builtin_convertvector(cell, SorlLaneFloats);
    SorlLaneFloats here;
    SorlLaneFloats next;
    for (int lane = 0; lane < SorlAmplifierLanes::kLanes; ++lane) {
        here[lane] = vca[cell[lane]];
        next[lane] = vca[cell[lane] + 1];
    }
    const SorlLaneFloats curve = here + (next - here) * fraction;
    const SorlLaneFloats full = SorlSplat(1.0f);
    const SorlLaneFloats silent{};
    return steps > SorlSplat(kSilentSteps) ? (steps < SorlSplat(kVcaSteps) ? curve : full) : silent;
}

template <bool GateMode, bool MgToVca>
void AddVoices(const SorlAmplifierFrame& frame, const SorlAmplifierLanes& lanes, const SorlEnvelopeLanes& envelope,
               const CSorlAmplifier::Floats& signal, const CSorlVcaTable& vca, SorlAmplifierSum& sum)
{
    const SorlLaneFloats gain =
        SorlClampLanes(SorlSplat(frame.vcaGain) + SorlLoadLanes(lanes.vcaOffset), kLeastVcaGain, 1.0f);
    SorlLaneFloats level = SorlLoadLanes(GateMode ? envelope.gate : envelope.level);
    if constexpr (MgToVca) {
        const SorlLaneFloats depth = SorlClampLanes(SorlSplat(frame.mgDepth) + SorlLoadLanes(lanes.mgOffset), 0.0f, 1.0f);
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
constexpr CSorlAmplifier::Variant kVariants[CSorlAmplifier::kVariantCount] = {
    &AddVoices<true, false>,
    &AddVoices<true, true>,
    &AddVoices<false, false>,
    &AddVoices<false, true>,
};

float Flushed(float x)
{
    return (x + 1.0f) - 1.0f;
}

} // namespace

CSorlAmplifier::Variant CSorlAmplifier::VariantFor(int vcaMode, bool mgToVca)
{
    const int mode = std::clamp(vcaMode, 0, 1);
    return kVariants[2 * mode + (mgToVca ? 1 : 0)];
}

float CSorlAmplifier::ResonanceCompensation(float resonance)
{
    const float q = resonance + 1.0f;
    return q > kMostCompensation ? kMostCompensation : (q > 1.0f ? q : 1.0f);
}

SorlStereo CSorlAmplifier::Mix(const SorlAmplifierSum& sum, float unisonSpread, float attenuatorGain)
{
    float left = 0.0f;
    float right = 0.0f;
    for (int lane = 0; lane < SorlAmplifierLanes::kLanes; ++lane) {
        left += sum.left[lane];
        right += sum.right[lane];
    }
    // At no spread both sums meet in the centre; at full spread they swap sides.
    const float h = (1.0f - unisonSpread) * 0.5f;
    const float w = attenuatorGain * kAttenuatorScale;
    return {Flushed(((1.0f - h) * right + h * left) * w), Flushed((h * right + (1.0f - h) * left) * w)};
}
