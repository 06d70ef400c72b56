#include <gtest/gtest.h>

#include <cmath>

#include "SorlVcaTable.h"

namespace {

struct Row {
    int entry;
    float value;
};

// The rows the curve is pinned to.
constexpr Row kTellingRows[] = {
    {43, 0.0095658f}, {50, 0.017363f}, {60, 0.034214f}, {75, 0.063593f},  {100, 0.11584f},
    {125, 0.16957f},  {150, 0.22395f}, {200, 0.33371f}, {250, 0.44415f}, {300, 0.55497f},
    {350, 0.66603f},  {400, 0.77725f}, {450, 0.88858f}, {475, 0.94428f}, {500, 1.0f},
};

class VcaTableTest : public ::testing::Test {
protected:
    const CSorlVcaTable vca;
};

TEST_F(VcaTableTest, PassesThroughEveryTellingRow)
{
    for (const Row& row : kTellingRows) {
        EXPECT_EQ(vca[row.entry], row.value) << "entry " << row.entry;
    }
}

TEST_F(VcaTableTest, SilentThenLinearToe)
{
    for (int i = 0; i <= 33; ++i) {
        EXPECT_EQ(vca[i], 0.0f) << i;
    }
    for (int i = 34; i <= 42; ++i) {
        EXPECT_FLOAT_EQ(vca[i], 0.001f * static_cast<float>(i - 33)) << i;
    }
}

TEST_F(VcaTableTest, RisesStrictlyAndSmoothlyAboveTheToe)
{
    for (int i = 33; i < CSorlVcaTable::kLastEntry; ++i) {
        ASSERT_GT(vca[i + 1], vca[i]) << i;
    }
    // Second differences: the curve bends most just above the knee at 43
    // and ever less towards full level. A straight-line join of the rows
    // would kink by more than these bounds at 50, 60, 75, 100 and 150..200.
    struct Bound {
        int from;
        float bend;
    };
    constexpr Bound kBounds[] = {{44, 2.5e-4f}, {60, 5e-5f}, {150, 5e-6f}};
    for (const Bound& bound : kBounds) {
        for (int i = bound.from; i < CSorlVcaTable::kLastEntry; ++i) {
            const float bend = vca[i + 1] - 2.0f * vca[i] + vca[i - 1];
            ASSERT_LT(std::abs(bend), bound.bend) << i;
        }
    }
}

TEST_F(VcaTableTest, ClimbsFasterThanLinearBelowUnity)
{
    // Slightly below the straight line from the toe to full level.
    for (int i = 60; i < CSorlVcaTable::kLastEntry; i += 20) {
        const float line = 0.009f + (1.0f - 0.009f) * static_cast<float>(i - 42) / (500 - 42);
        EXPECT_LT(vca[i], line) << i;
        EXPECT_GT(vca[i], line - 0.03f) << i;
    }
}

} // namespace
