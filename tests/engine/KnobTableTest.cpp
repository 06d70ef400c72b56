#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SorlKnobTable.h"

namespace {

struct CurvePoint {
    int k;
    double value;
};

TEST(KnobCurve, FollowsTheTaper)
{
    const CSorlKnobTable curve = CSorlKnobTable::KnobCurve();
    const CurvePoint points[] = {{0, 0.00001},       {1, 0.0027150306}, {32, 0.0979903017},
                                 {64, 0.2426406871}, {96, 0.4993592039}, {127, 0.9785720612}, {128, 1.0}};
    for (const CurvePoint& p : points) {
        EXPECT_FLOAT_EQ(curve[p.k], static_cast<float>(p.value)) << "k = " << p.k;
    }
}

TEST(KnobCurve, RisesStrictly)
{
    const CSorlKnobTable curve = CSorlKnobTable::KnobCurve();
    for (int k = 1; k < CSorlKnobTable::kSize; ++k) {
        EXPECT_GT(curve[k], curve[k - 1]) << "k = " << k;
    }
}

TEST(KnobTableLookup, InterpolatesBetweenPositions)
{
    const CSorlKnobTable table = CSorlKnobTable::Built([](int k) { return k * k; });
    struct Case {
        float x;
        float expected;
    };
    const Case cases[] = {
        {0.0f, 0.0f},
        {0.5f, 4096.0f},
        {64.5f / 128.0f, (4096.0f + 4225.0f) / 2.0f},
        {0.25f + 0.25f / 128.0f, 1024.0f + 0.25f * (1089.0f - 1024.0f)},
        {1.0f, 16384.0f},
        {std::nextafter(1.0f, 0.0f), 16384.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(table.Lookup(c.x), c.expected, 0.01f) << "x = " << c.x;
    }
}

TEST(KnobTableLookup, ValuesOutsideTheKnobReadTheEnds)
{
    const CSorlKnobTable table = CSorlKnobTable::Built([](int k) { return k + 1; });
    EXPECT_EQ(table.Lookup(-0.5f), 1.0f);
    EXPECT_EQ(table.Lookup(2.0f), 129.0f);
    EXPECT_EQ(table.Lookup(std::numeric_limits<float>::infinity()), 129.0f);
    EXPECT_EQ(table.Lookup(std::numeric_limits<float>::quiet_NaN()), 1.0f);
}

} // namespace
