// The tuning scales measured on the instrument's rendered output.
#include "InstrumentFixture.h"

#include "OscillatorSpectrum.h"
#include "ParameterConversions.h"

#include <algorithm>
#include <cmath>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

constexpr int kScaleSetting = 1;
constexpr int kWindow = 1 << 16;

class TuningSound : public InstrumentTest {
protected:
    // Fundamental of a held key in the given scale, from the interpolated spectral peak.
    double heldKeyHz(int scale, int key, double nearHz)
    {
        instrument->setGlobalSetting(kScaleSetting, fromStep(scale, 16, 0));
        resumeSettled();
        midi({{0, 0x90, static_cast<std::uint8_t>(key), 100}});
        renderLeft(8192);
        const std::vector<float> held = renderLeft(kWindow);
        const std::vector<double> power = PowerSpectrum(held);
        const double binHz = 44100.0 / kWindow;
        const auto first = power.begin() + static_cast<long>(nearHz * 0.9 / binHz);
        const auto last = power.begin() + static_cast<long>(nearHz * 1.1 / binHz);
        const auto peak = std::max_element(first, last) - power.begin();
        const double a = std::log(power[peak - 1]), b = std::log(power[peak]), c = std::log(power[peak + 1]);
        return (static_cast<double>(peak) + 0.5 * (a - c) / (a - 2.0 * b + c)) * binHz;
    }

    std::vector<float> renderLeft(int frames)
    {
        std::vector<float> left(static_cast<size_t>(frames)), right(left.size());
        float* outputs[2] = {left.data(), right.data()};
        instrument->processReplacing(nullptr, outputs, frames);
        return left;
    }
};

double cents(double hz, double referenceHz) { return 1200.0 * std::log2(hz / referenceHz); }

} // namespace

TEST_F(TuningSound, PureMajorThirdIsFourteenCentsFlat)
{
    const double equalE = heldKeyHz(0, 64, 329.63);
    EXPECT_NEAR(cents(equalE, 440.0 * std::pow(2.0, -5.0 / 12.0)), 0.0, 0.5);
    const double pureE = heldKeyHz(1, 64, 329.63);
    EXPECT_NEAR(cents(pureE, equalE), -14.0, 1.0);
    const double pureC = heldKeyHz(1, 60, 261.63);
    EXPECT_NEAR(cents(pureC, 440.0 * std::pow(2.0, -9.0 / 12.0)), 0.0, 0.5); // the key note stays
}
