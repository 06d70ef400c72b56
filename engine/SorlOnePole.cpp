#include "SorlOnePole.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double AngularFrequency(double hz, double sampleRate)
{
    return 2.0 * std::numbers::pi * hz / sampleRate;
}

} // namespace

float SorlLowPassPole(double hz, double sampleRate)
{
    const double w = std::min(AngularFrequency(hz, sampleRate), std::numbers::pi);
    const double b = 4.0 - 2.0 * std::cos(w);
    return static_cast<float>((b - std::sqrt(b * b - 4.0)) / 2.0);
}

float SorlHighPassPole(double hz, double sampleRate)
{
    // cos w / (1 + sin w) equals (1 - sin w) / cos w but stays defined at
    // w = pi / 2, where the other form divides zero by zero.
    const double w = AngularFrequency(hz, sampleRate);
    return static_cast<float>(std::cos(w) / (1.0 + std::sin(w)));
}
