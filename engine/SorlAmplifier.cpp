#include "SorlAmplifier.h"

namespace {

constexpr float kMostCompensation = 2.02f;
constexpr float kAttenuatorScale = 3.0f;

float Flushed(float x)
{
    return (x + 1.0f) - 1.0f;
}

} // namespace

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
