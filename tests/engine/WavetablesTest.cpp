#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <thread>

#include "OscillatorSpectrum.h"
#include "SorlWavetables.h"

namespace {

using Tables = CSorlWavetables;
constexpr int kCycle = Tables::kCycleLength;

std::span<const float> Cycle(const float* row)
{
    return {row, static_cast<std::size_t>(kCycle)};
}

// Harmonics a row may hold: those below half of 44.1 kHz for its note.
int HarmonicLimit(int row)
{
    const double hz = 440.0 * std::exp2((row - 69) / 12.0);
    return static_cast<int>(std::clamp(22050.0 / hz, 1.0, 1024.0));
}

TEST(Wavetables, BuiltOnceAndSharedAcrossThreads)
{
    const Tables* seen[2] = {};
    std::thread first([&] { seen[0] = &Tables::Shared(); });
    std::thread second([&] { seen[1] = &Tables::Shared(); });
    first.join();
    second.join();
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], &Tables::Shared());
}

TEST(Wavetables, GuardSampleRepeatsTheFirst)
{
    const Tables& tables = Tables::Shared();
    for (int r = 0; r < Tables::kRows; ++r) {
        ASSERT_EQ(tables.SawRow(r)[kCycle], tables.SawRow(r)[0]) << "saw row " << r;
        ASSERT_EQ(tables.SquareRow(r)[kCycle], tables.SquareRow(r)[0]) << "square row " << r;
    }
}

TEST(Wavetables, SawPeaksAtOneTenthOverAllRows)
{
    const Tables& tables = Tables::Shared();
    float peak = 0.0f;
    for (int i = 0; i < Tables::kRows * Tables::kRowLength; ++i) {
        peak = std::max(peak, std::abs(tables.Saw()[i]));
    }
    EXPECT_NEAR(peak, Tables::kPeak, 1e-7);
}

class WavetableRows : public ::testing::TestWithParam<int> {};

TEST_P(WavetableRows, NoHarmonicAtOrAboveTheLimit)
{
    const int row = GetParam();
    const int limit = HarmonicLimit(row);
    const Tables& tables = Tables::Shared();
    for (const float* table : {tables.SawRow(row), tables.SquareRow(row)}) {
        const double fundamental = CycleMagnitude(Cycle(table), 1);
        ASSERT_GT(fundamental, 1.0);
        // Every harmonic from the limit up to the table's own Nyquist bin.
        for (int h = std::max(limit, 2); h <= kCycle / 2; h += (h < limit + 8 ? 1 : 37)) {
            EXPECT_LT(CycleMagnitude(Cycle(table), h), 1e-5 * fundamental) << "row " << row << " harmonic " << h;
        }
    }
    if (limit > 2) {
        // The last harmonic kept is there, rolled off rather than cut.
        const double top = CycleMagnitude(Cycle(tables.SawRow(row)), limit - 1);
        EXPECT_GT(top, 1e-4 * CycleMagnitude(Cycle(tables.SawRow(row)), 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, WavetableRows, ::testing::Values(0, 24, 48, 69, 90, 105, 117, 127));

TEST(Wavetables, LowRowIsAFallingSaw)
{
    const float* row = Tables::Shared().SawRow(10);
    // Ideal: 0 at the start, falling linearly to -A just before mid-cycle,
    // jumping to +A and falling back to 0.
    const auto ideal = [](int k) { return -static_cast<double>(k < kCycle / 2 ? k : k - kCycle) / (kCycle / 2); };
    double dot = 0.0;
    double norm = 0.0;
    for (int k = 0; k < kCycle; ++k) {
        dot += row[k] * ideal(k);
        norm += ideal(k) * ideal(k);
    }
    const double amplitude = dot / norm;
    EXPECT_GT(amplitude, 0.07);
    constexpr int kAwayFromJump = 48;
    for (int k = 0; k < kCycle; ++k) {
        if (std::abs(k - kCycle / 2) > kAwayFromJump && k > 0 && k < kCycle) {
            ASSERT_NEAR(row[k], amplitude * ideal(k), 0.02 * amplitude) << "sample " << k;
        }
    }
}

TEST(Wavetables, SquareRowIsAHalfCycleSquareWithOddHarmonicsOnly)
{
    const float* square = Tables::Shared().SquareRow(10);
    const float level = square[kCycle / 4];
    EXPECT_LT(level, -0.04f);
    for (int k = 48; k < kCycle / 2 - 48; ++k) {
        ASSERT_NEAR(square[k], level, 0.02f * std::abs(level)) << k;
        ASSERT_NEAR(square[k + kCycle / 2], -level, 0.02f * std::abs(level)) << k;
    }
    const double fundamental = CycleMagnitude(Cycle(square), 1);
    for (int h = 2; h <= 40; h += 2) {
        EXPECT_LT(CycleMagnitude(Cycle(square), h), 1e-5 * fundamental) << "harmonic " << h;
    }
}

} // namespace
