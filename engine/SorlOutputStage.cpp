#include "SorlOutputStage.h"

#include <algorithm>
#include <array>

#include "SorlSwitchPosition.h"

namespace {

constexpr float kRampSeconds = 0.02f;
// Below this the ramp is exactly 0, so a muted output is true silence.
constexpr float kRampFloor = 0.00001f;

constexpr std::array<float, 2> kSwitchThresholds{0.25f, 0.75f};
constexpr std::array<float, 3> kSwitchLevels{0.0f, 0.090909f, 1.0f};

float PanGain(float distance)
{
    return std::min(distance * distance, 1.0f);
}

} // namespace

void CSorlOutputStage::SetSampleRate(float sampleRate)
{
    rampStep_ = 1.0f / (kRampSeconds * sampleRate);
}

void CSorlOutputStage::SetOutputSwitch(float value)
{
    level_ = kSwitchLevels[SorlSwitchPosition(value, kSwitchThresholds)];
}

void CSorlOutputStage::SetMute(bool flag)
{
    muted_ = flag;
}

void CSorlOutputStage::SetRampGain(float gain)
{
    rampGain_ = gain;
}

SorlStereo CSorlOutputStage::Render(float volume, float pan, SorlStereo effect)
{
    const float v = (volume - 1.0f) * level_;
    const float left = std::clamp(v * PanGain(2.0f - pan) * effect.left, -1.0f, 1.0f);
    const float right = std::clamp(v * PanGain(pan) * effect.right, -1.0f, 1.0f);
    AdvanceRamp();
    const float gain = rampGain_ * rampGain_;
    return {gain * left, gain * right};
}

void CSorlOutputStage::AdvanceRamp()
{
    if (muted_) {
        rampGain_ -= rampStep_;
        if (rampGain_ < kRampFloor) {
            rampGain_ = 0.0f;
        }
    } else {
        rampGain_ += rampStep_;
        if (rampGain_ > 1.0f) {
            rampGain_ = 1.0f;
        }
    }
}
