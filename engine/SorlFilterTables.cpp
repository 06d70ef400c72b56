#include "SorlFilterTables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "SorlOnePole.h"

namespace {

constexpr double kCentreHz = 523.2511306011972; // position 64, C5
constexpr int kCentrePosition = 64;
constexpr double kSaturationDrive = 4.0;

// Full resonance up to position 90, then easing down to the high limit at 111.
constexpr int kLimitFadeStart = 90;
constexpr int kLimitFadeEnd = 111;
constexpr double kLowLimit = 6.0;
constexpr double kHighLimit = 4.01;

// Where the sample rate is so low that cutoffs fold onto Nyquist, the
// all-pass coefficient reaches -1 and the all-pass would sit on the unit
// circle; keeping it just inside leaves the feedback loop stable.
constexpr double kMaxCompensation = 0.999;

// Coefficient of the first-order all-pass that, added to the phase of four
// poles with coefficient a and one sample of delay, turns the loop phase to
// a half turn at w, so resonance peaks at the cutoff.
double AllPassCoefficient(double a, double w)
{
    const double c = std::cos(w);
    const double s = std::sin(w);
    const double a2 = a * a;
    const double a3 = a2 * a;
    const double a4 = a3 * a;
    const double re = 1.0 - 4.0 * a * c + 6.0 * a2 * std::cos(2.0 * w) - 4.0 * a3 * std::cos(3.0 * w) +
                      a4 * std::cos(4.0 * w);
    const double im = 4.0 * a * s - 6.0 * a2 * std::sin(2.0 * w) + 4.0 * a3 * std::sin(3.0 * w) -
                      a4 * std::sin(4.0 * w);
    const double gain = std::pow(1.0 - a, 4.0);
    const double phase = std::atan2(-gain * (s * re + c * im), gain * (c * re - s * im));
    const double k = std::tan(phase + std::numbers::pi / 2.0);
    const double l = k * s - c;
    const double b = (2.0 - std::sqrt(4.0 - 4.0 * l * (-c - k * s))) / (-2.0 * l);
    return std::clamp(b, -kMaxCompensation, kMaxCompensation);
}

} // namespace

CSorlFilterTables::CSorlFilterTables()
{
    BuildResonanceLimits();
    BuildSaturation();
}

double CSorlFilterTables::PositionHz(int position)
{
    return kCentreHz * std::exp2((position - kCentrePosition) / 12.0);
}

void CSorlFilterTables::SetSampleRate(float sampleRate)
{
    const double fs = sampleRate;
    for (int j = 0; j < kPositions; ++j) {
        const double hz = PositionHz(j);
        const double w = 2.0 * std::numbers::pi * std::min(hz / fs, 0.5);
        const float a = SorlLowPassPole(hz, fs);
        coefficient_[j] = a;
        compensation_[j] = static_cast<float>(AllPassCoefficient(a, w));
    }
}

void CSorlFilterTables::BuildResonanceLimits()
{
    for (int j = 0; j < kPositions; ++j) {
        const double fade =
            std::clamp(static_cast<double>(j - kLimitFadeStart) / (kLimitFadeEnd - kLimitFadeStart), 0.0, 1.0);
        resonanceLimit_[j] = static_cast<float>((1.0 - fade * fade) * (kLowLimit - kHighLimit) + kHighLimit);
    }
}

void CSorlFilterTables::BuildSaturation()
{
    saturation_[0] = 1.0f;
    for (int i = 1; i < kSaturationSize; ++i) {
        const double drive = kSaturationDrive * i / kSaturationSteps;
        saturation_[i] = static_cast<float>(std::tanh(drive) / drive);
    }
}
