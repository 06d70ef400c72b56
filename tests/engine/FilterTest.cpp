#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "SorlFilter.h"

namespace {

using Floats = CSorlFilter::Floats;
constexpr float kRate = 44100.0f;

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tables.SetSampleRate(kRate);
        CSorlFilter::Reset(lanes, tables);
        for (Floats& pole : lanes.pole) {
            pole.fill(0.0f);
        }
    }

    void Tune(const Floats& position, float resonance) { CSorlFilter::Tune(lanes, position, resonance, tables); }

    void Run(const Floats& input) { CSorlFilter::Process(lanes, input, tables.Saturation()); }

    // Peak output of each lane over the last half of a run of sines.
    Floats SinePeaks(const Floats& hz, float amplitude, int samples)
    {
        Floats peak{};
        for (int n = 0; n < samples; ++n) {
            Floats input;
            for (int l = 0; l < 4; ++l) {
                input[l] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz[l] * n / kRate));
            }
            Run(input);
            for (int l = 0; l < 4 && n >= samples / 2; ++l) {
                peak[l] = std::max(peak[l], std::abs(CSorlFilter::Output(lanes)[l]));
            }
        }
        return peak;
    }

    CSorlFilterTables tables;
    SorlFilterLanes lanes;
};

TEST_F(FilterTest, ResetStartsAtPositionZeroWithAChargedFirstPole)
{
    CSorlFilter::Reset(lanes, tables);
    for (int l = 0; l < 4; ++l) {
        EXPECT_EQ(lanes.coefficient[l], tables.Coefficient(0));
        EXPECT_EQ(lanes.compensation[l], tables.Compensation(0));
        EXPECT_EQ(lanes.feedback[l], 0.0f);
        EXPECT_EQ(lanes.pole[0][l], 0.1f);
        EXPECT_EQ(lanes.pole[3][l], 0.0f);
        EXPECT_EQ(lanes.allPass[l], 0.0f);
    }
}

TEST_F(FilterTest, TuneHoldsPositionsToTheTableAndInterpolates)
{
    Tune({-12.0f, 64.25f, 140.0f, NAN}, 0.0f);
    EXPECT_EQ(lanes.coefficient[0], tables.Coefficient(0));
    EXPECT_FLOAT_EQ(lanes.coefficient[1], tables.Coefficient(64) + 0.25f * (tables.Coefficient(65) - tables.Coefficient(64)));
    EXPECT_FLOAT_EQ(lanes.compensation[1],
                    tables.Compensation(64) + 0.25f * (tables.Compensation(65) - tables.Compensation(64)));
    EXPECT_EQ(lanes.coefficient[2], tables.Coefficient(128));
    EXPECT_EQ(lanes.compensation[2], tables.Compensation(128));
    EXPECT_EQ(lanes.coefficient[3], tables.Coefficient(0));
    // Resonance 0 still feeds back a trace.
    EXPECT_EQ(lanes.feedback[0], 0.00001f);
}

TEST_F(FilterTest, FullResonanceIsHeldToTheLimitOfEachPosition)
{
    Tune({50.0f, 100.0f, 120.0f, 200.0f}, 6.0f);
    EXPECT_EQ(lanes.feedback[0], 6.0f);
    EXPECT_FLOAT_EQ(lanes.feedback[1], tables.ResonanceLimit(100));
    EXPECT_FLOAT_EQ(lanes.feedback[2], 4.01f);
    EXPECT_FLOAT_EQ(lanes.feedback[3], 4.01f);
}

TEST(FilterCutoff, PositionCombinesKeyEnvelopeMgAndOffsets)
{
    SorlCutoffControls controls;
    controls.keyTrack = 1.0f;
    controls.egIntensity = 105.0f;
    controls.cutoff = 40.0f;
    controls.mgSweep = 38.4f;
    controls.mgDepth = 0.5f;
    const Floats position =
        CSorlFilter::CutoffPosition(controls, {12.0f, -12.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f},
                                    {0.0f, 0.0f, 0.0f, 3.0f}, {-0.5f, -0.5f, -0.5f, 0.9f});
    EXPECT_FLOAT_EQ(position[0], 52.0f); // one position per semitone above note 48
    EXPECT_FLOAT_EQ(position[1], 28.0f);
    EXPECT_FLOAT_EQ(position[2], 145.0f);
    EXPECT_FLOAT_EQ(position[3], 40.0f + 3.0f + 38.4f); // MG depth held at 1
}

TEST_F(FilterTest, LowCutoffRemovesHighSineAndHighCutoffPassesLowSine)
{
    // Lanes: 75 Hz cutoff with a 5 kHz sine, 4.2 kHz cutoff with 200 Hz,
    // then the same two with the sines swapped.
    Tune({30.0f, 100.0f, 100.0f, 30.0f}, 0.0f);
    const Floats peak = SinePeaks({5000.0f, 200.0f, 5000.0f, 200.0f}, 0.1f, 8192);
    EXPECT_LT(peak[0], 0.1f * 1e-5f);
    EXPECT_NEAR(peak[1], 0.1f, 0.01f);
    EXPECT_GT(peak[2], 0.01f); // 5 kHz is above a 4.2 kHz cutoff but not far
    EXPECT_LT(peak[2], 0.1f);
    EXPECT_LT(peak[3], 0.1f * 0.03f);
}

TEST_F(FilterTest, FullResonanceRingsOnButStaysFinite)
{
    Tune({64.0f, 64.0f, 110.0f, 110.0f}, 6.0f);
    lanes.feedback[1] = 0.00001f;
    lanes.feedback[3] = 0.00001f;
    Run({0.5f, 0.5f, 0.5f, 0.5f});
    Floats late{};
    for (int n = 0; n < static_cast<int>(kRate); ++n) {
        Run({});
        for (int l = 0; l < 4; ++l) {
            ASSERT_TRUE(std::isfinite(CSorlFilter::Output(lanes)[l]));
            ASSERT_LT(std::abs(CSorlFilter::Output(lanes)[l]), 4.0f);
            if (n > kRate / 2) {
                late[l] = std::max(late[l], std::abs(CSorlFilter::Output(lanes)[l]));
            }
        }
    }
    EXPECT_GT(late[0], 0.01f);
    EXPECT_LT(late[1], 1e-6f);
    EXPECT_GT(late[2], 0.01f);
    EXPECT_LT(late[3], 1e-6f);
}

TEST_F(FilterTest, LoudInputAtFullResonanceStaysBounded)
{
    Tune({0.0f, 40.0f, 90.0f, 128.0f}, 6.0f);
    for (int n = 0; n < static_cast<int>(kRate); ++n) {
        // A square of amplitude 1 (far above the oscillators' 0.2).
        const float x = (n / 100) % 2 ? 1.0f : -1.0f;
        Run({x, x, x, x});
        for (int l = 0; l < 4; ++l) {
            ASSERT_LT(std::abs(CSorlFilter::Output(lanes)[l]), 10.0f) << "lane " << l << " sample " << n;
        }
    }
}

TEST_F(FilterTest, DecayReachesExactZeroWithoutDenormals)
{
    const Floats positions{0.0f, 64.0f, 100.0f, 128.0f};
    Tune(positions, 3.0f);
    for (int n = 0; n < 100; ++n) {
        Run({0.2f, 0.2f, 0.2f, 0.2f});
    }
    const auto normalOrZero = [](float v) { return std::fpclassify(v) != FP_SUBNORMAL; };
    for (int n = 0; n < 20 * static_cast<int>(kRate); ++n) {
        // As the engine does: retuned every fourth sample.
        if (n % 4 == 0) {
            Tune(positions, 3.0f);
        }
        Run({});
        for (int l = 0; l < 4; ++l) {
            ASSERT_TRUE(normalOrZero(lanes.allPass[l]));
            for (const Floats& pole : lanes.pole) {
                ASSERT_TRUE(normalOrZero(pole[l])) << "lane " << l << " sample " << n;
            }
        }
    }
    for (int l = 0; l < 4; ++l) {
        EXPECT_EQ(CSorlFilter::Output(lanes)[l], 0.0f) << l;
    }
}

} // namespace
