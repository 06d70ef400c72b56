#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "SorlFilterTables.h"

namespace {

using Tables = CSorlFilterTables;

class FilterTablesAtRate : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override { tables.SetSampleRate(GetParam()); }

    double W(int j) const { return 2.0 * std::numbers::pi * Tables::PositionHz(j) / GetParam(); }

    // Four poles and one sample of delay, as the feedback loop sees them.
    std::complex<double> Poles(int j) const
    {
        const double a = tables.Coefficient(j);
        const std::complex<double> delay = std::polar(1.0, -W(j));
        return delay * std::pow((1.0 - a) / (1.0 - a * delay), 4.0);
    }

    Tables tables;
};

TEST_P(FilterTablesAtRate, EachPoleIsThreeDecibelsDownAtItsPosition)
{
    for (int j = 0; j <= Tables::kLastPosition; j += 8) {
        EXPECT_NEAR(std::abs(Poles(j)), 0.25, 1e-4) << "position " << j;
    }
}

TEST_P(FilterTablesAtRate, AllPassTurnsTheLoopToAHalfTurnAtTheCutoff)
{
    for (int j = 0; j <= Tables::kLastPosition; j += 4) {
        const double b = tables.Compensation(j);
        const std::complex<double> delay = std::polar(1.0, -W(j));
        const std::complex<double> allPass = (delay - b) / (1.0 - b * delay);
        const double loopPhase = std::arg(Poles(j) * allPass);
        EXPECT_NEAR(std::abs(loopPhase), std::numbers::pi, 1e-3) << "position " << j;
        EXPECT_LT(std::abs(b), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, FilterTablesAtRate, ::testing::Values(44100.0f, 48000.0f, 96000.0f));

TEST(FilterTables, PositionsAreSemitonesAroundC5)
{
    EXPECT_NEAR(Tables::PositionHz(64), 523.2511306, 1e-6);
    EXPECT_NEAR(Tables::PositionHz(76), 2.0 * 523.2511306, 1e-6);
    EXPECT_NEAR(Tables::PositionHz(128), 21096.2, 0.1);
}

TEST(FilterTables, LowRatesKeepTheAllPassInsideTheUnitCircle)
{
    // Positions above Nyquist fold onto it; the loop must stay stable there.
    for (const float rate : {8000.0f, 22050.0f, 32000.0f}) {
        Tables tables;
        tables.SetSampleRate(rate);
        for (int j = 0; j <= Tables::kLastPosition; ++j) {
            ASSERT_TRUE(std::isfinite(tables.Coefficient(j))) << rate << " " << j;
            ASSERT_LT(std::abs(tables.Compensation(j)), 1.0f) << rate << " " << j;
        }
    }
}

TEST(FilterTables, ResonanceLimitFallsFromSixToFourAboveNinety)
{
    const Tables tables;
    for (int j = 0; j <= 90; ++j) {
        EXPECT_FLOAT_EQ(tables.ResonanceLimit(j), 6.0f) << j;
    }
    EXPECT_NEAR(tables.ResonanceLimit(100), (1.0 - std::pow(10.0 / 21.0, 2.0)) * 1.99 + 4.01, 1e-6);
    for (int j = 111; j <= Tables::kLastPosition; ++j) {
        EXPECT_FLOAT_EQ(tables.ResonanceLimit(j), 4.01f) << j;
    }
    for (int j = 90; j < Tables::kLastPosition; ++j) {
        EXPECT_LE(tables.ResonanceLimit(j + 1), tables.ResonanceLimit(j)) << j;
    }
}

TEST(FilterTables, SaturationIsTanhOfFourXOverFourX)
{
    const Tables tables;
    const float* g = tables.Saturation();
    EXPECT_EQ(g[0], 1.0f);
    EXPECT_NEAR(g[1000], std::tanh(2.0) / 2.0, 1e-7);
    EXPECT_NEAR(g[Tables::kSaturationSteps], std::tanh(4.0) / 4.0, 1e-7);
    for (int i = 0; i < Tables::kSaturationSteps; ++i) {
        ASSERT_LT(g[i + 1], g[i]) << i;
    }
}

} // namespace
