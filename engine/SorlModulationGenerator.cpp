#include "SorlModulationGenerator.h"

namespace {

float Flushed(float x)
{
    return (x + 1.0f) - 1.0f;
}

float Smoothed(float previous, float input, float pole)
{
    return Flushed(pole * previous + (1.0f - pole) * input);
}

} // namespace

void CSorlModulationGenerator::Step(const SorlMgRates& rates)
{
    phase_ -= rates.increment;
    if (phase_ < 0.0) {
        phase_ += 1.0;
    } else if (phase_ >= 1.0) {
        phase_ -= 1.0; // a negative synced rate runs the phase upwards
    }

    const int delay = static_cast<int>(rates.delayLength);
    if (++delayCounter_ >= delay) {
        delayCounter_ = delay;
        fade_ = rates.fadePole * fade_ + (1.0f - rates.fadePole);
    }
    outputs_.smoothedFade = Smoothed(outputs_.smoothedFade, fade_, rates.smoothingPole);

    const auto phase = static_cast<float>(phase_);
    outputs_.triangle = phase >= 0.5f ? 4.0f * phase - 3.0f : 1.0f - 4.0f * phase;
    outputs_.smoothedTriangle = Smoothed(outputs_.smoothedTriangle, outputs_.triangle, rates.smoothingPole);
}

void CSorlModulationGenerator::RestartDelay()
{
    delayCounter_ = 0;
    fade_ = 0.0f;
}
