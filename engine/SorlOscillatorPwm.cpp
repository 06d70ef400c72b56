#include "SorlOscillatorPwm.h"

void CSorlOscillatorPwm::Advance(float rate)
{
    phase_ -= rate;
    if (phase_ < 0.0f) {
        phase_ += 1.0f;
    }
}

float CSorlOscillatorPwm::Triangle() const
{
    return phase_ >= 0.5f ? 2.0f * phase_ - 1.0f : 1.0f - 2.0f * phase_;
}
