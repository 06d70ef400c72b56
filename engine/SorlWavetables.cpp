#include "SorlWavetables.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// The tables are cut for this rate whatever rate an engine runs at.
constexpr double kTableRate = 44100.0;
constexpr int kMaxHarmonics = 1024;
// Gaussian roll-off exp(-kRollOffScale * (h * e)^2), tuned so that the
// harmonic at the Nyquist limit keeps kNyquistGain * limit of its level.
constexpr double kRollOffScale = 0.34657359027997264; // ln 2 / 2
constexpr double kNyquistGain = 0.0015707963267948967; // pi / 2000

double NoteHz(int note)
{
    return 440.0 * std::exp2((note - 69) / 12.0);
}

double RollOffWidth(double harmonicLimit)
{
    const double logGain = std::log(harmonicLimit * kNyquistGain);
    // Rows with room for many harmonics keep them all at full level.
    return logGain < 0.0 ? std::sqrt(logGain / (-kRollOffScale * harmonicLimit * harmonicLimit)) : 0.0;
}

} // namespace

const CSorlWavetables& CSorlWavetables::Shared()
{
    // Function-local statics are initialised once, with concurrent callers
    // waiting for the first.
    static const CSorlWavetables tables;
    return tables;
}

CSorlWavetables::CSorlWavetables()
{
    BuildSaw();
    BuildSquare();
}

void CSorlWavetables::BuildSaw()
{
    std::vector<double> sine(kCycleLength);
    for (int k = 0; k < kCycleLength; ++k) {
        sine[k] = std::sin(2.0 * std::numbers::pi * k / kCycleLength);
    }

    // Summed in double precision, scaled to the common peak afterwards.
    std::vector<double> rows(static_cast<std::size_t>(kRows) * kCycleLength);
    for (int r = 0; r < kRows; ++r) {
        double* row = rows.data() + static_cast<std::size_t>(r) * kCycleLength;
        std::copy(sine.begin(), sine.end(), row);
        const double limit = std::clamp(kTableRate / (2.0 * NoteHz(r)), 1.0, static_cast<double>(kMaxHarmonics));
        const double width = RollOffWidth(limit);
        const int harmonicCount = static_cast<int>(limit);
        for (int h = 2; h < harmonicCount; ++h) {
            const double spread = h * width;
            const double sign = (h % 2 == 1) ? 1.0 : -1.0;
            const double amplitude = sign * std::exp(-kRollOffScale * spread * spread) / h;
            for (int k = 0; k < kCycleLength; ++k) {
                row[k] += amplitude * sine[(h * k) % kCycleLength];
            }
        }
    }

    double peak = 0.0;
    for (const double sample : rows) {
        peak = std::max(peak, std::abs(sample));
    }
    // Inverted, so the ramp falls through each cycle.
    const double scale = -kPeak / peak;
    for (int r = 0; r < kRows; ++r) {
        const double* source = rows.data() + static_cast<std::size_t>(r) * kCycleLength;
        float* row = saw_.data() + r * kRowLength;
        for (int k = 0; k < kCycleLength; ++k) {
            row[k] = static_cast<float>(source[k] * scale);
        }
        row[kCycleLength] = row[0];
    }
}

void CSorlWavetables::BuildSquare()
{
    // A saw minus itself half a cycle later leaves only the odd harmonics.
    constexpr int kHalfCycle = kCycleLength / 2;
    for (int r = 0; r < kRows; ++r) {
        const float* saw = SawRow(r);
        float* row = square_.data() + r * kRowLength;
        for (int k = 0; k < kCycleLength; ++k) {
            row[k] = (saw[k] - saw[(k + kHalfCycle) % kCycleLength]) * 0.5f;
        }
        row[kCycleLength] = row[0];
    }
}
