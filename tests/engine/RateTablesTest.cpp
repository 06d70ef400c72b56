#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "SorlKnobTable.h"
#include "SorlOnePole.h"
#include "SorlRateTables.h"

namespace {

class RateTablesTest : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override { tables.Rebuild(GetParam(), curve, 1.0f); }

    double C(int k) const { return curve[k]; }

    const CSorlKnobTable curve = CSorlKnobTable::KnobCurve();
    CSorlRateTables tables;
};

void ExpectRelative(float actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, std::abs(expected) * 1e-6) << what;
}

TEST_P(RateTablesTest, KnobTablesFollowTheirFormulas)
{
    const double fs = GetParam();
    ExpectRelative(tables.pwmRate[0], (19.33334 * C(0) + 0.66666) / (fs / 4), "PWM rate k=0");
    ExpectRelative(tables.pwmRate[128], 80.0 / fs, "PWM rate k=128");
    ExpectRelative(tables.mgRate[64], (49.95 * C(64) * C(64) + 0.05) / fs, "MG rate k=64");
    ExpectRelative(tables.mgRate[128], 50.0 / fs, "MG rate k=128");
    ExpectRelative(tables.mgDelay[64], 10.0 * C(64) * 0.5 * fs, "MG delay k=64");
    ExpectRelative(tables.mgDelay[128], 10.0 * fs, "MG delay k=128");
    ExpectRelative(tables.egAttackRate[96], 1.0 / ((13.0 * C(96) * C(96) + 0.001) * fs), "attack k=96");
    ExpectRelative(tables.egDecayRate[32], 1.0 / ((10.0 * C(32) * C(32) + 0.001) * fs), "decay k=32");
    ExpectRelative(tables.egReleaseRate[128], 1.0 / (10.002 * fs), "release k=128");
    EXPECT_FLOAT_EQ(tables.egSustainLevel[0], 0.00001f);
    EXPECT_FLOAT_EQ(tables.egSustainLevel[32], 0.25f);
    ExpectRelative(tables.effectSpeed[0], 0.125 / fs, "effect speed k=0");
    ExpectRelative(tables.effectSpeed[128], 7.0 / fs, "effect speed k=128");
    ExpectRelative(tables.arpSpeed[128], 40.0 / fs, "arp speed k=128");
}

TEST_P(RateTablesTest, NoteAndPitchTables)
{
    const double fs = GetParam();
    ExpectRelative(tables.noteIncrement[69], 2048.0 * 440.0 / fs, "A4");
    ExpectRelative(tables.noteIncrement[57], 2048.0 * 220.0 / fs, "A3");
    ExpectRelative(tables.noteIncrement[0], 2048.0 * 440.0 * std::exp2(-69.0 / 12.0) / fs, "note 0");
    EXPECT_FLOAT_EQ(tables.finePitch[0], 1.0f);
    ExpectRelative(tables.finePitch[127], std::exp2(127.0 / 1536.0), "fine pitch 127");
    EXPECT_FLOAT_EQ(tables.velocity[0], 0.0f);
    EXPECT_FLOAT_EQ(tables.velocity[127], 1.0f);
}

TEST_P(RateTablesTest, Scalars)
{
    const double fs = GetParam();
    ExpectRelative(tables.smoothingPole1ms, 1.0 - 1.0 / (0.001 * fs), "1 ms pole");
    ExpectRelative(tables.mgDelayFadePole, 1.0 - 1.0 / (0.0484 * fs), "MG fade pole");
    ExpectRelative(tables.fastAttackRate, tables.egAttackRate[0], "fast attack");
    ExpectRelative(tables.fastReleaseRate, 1.0 / ((10.0 * C(0) * C(0) + 0.002) * fs), "fast release");
    ExpectRelative(tables.ensembleFastIncrement, 20.8 / fs, "ensemble fast");
    ExpectRelative(tables.ensembleSlowIncrement, 1.08 / fs, "ensemble slow");
    ExpectRelative(tables.chorusCentre, 0.0042666 * fs, "chorus centre");
    ExpectRelative(tables.chorusDepth, 0.2 * 0.004267 * fs, "chorus depth");
    ExpectRelative(tables.phaseCentre, 0.001024 * fs, "phase centre");
    ExpectRelative(tables.phaseDepth, 0.2 * 0.004096 * fs, "phase depth");
    ExpectRelative(tables.effectFadeStep, 1.0 / (0.02 * fs), "fade step");
    ExpectRelative(tables.arpLampDecrement, 10.0 / fs, "lamp decrement");
    ExpectRelative(tables.effectSmoothingPole, SorlLowPassPole(3.3865754, fs), "effect smoothing");
    ExpectRelative(tables.effectDryHighPass, SorlHighPassPole(48.228771, fs), "dry high-pass");
    ExpectRelative(tables.effectWetHighPass, SorlHighPassPole(32.152514, fs), "wet high-pass");
}

INSTANTIATE_TEST_SUITE_P(SampleRates, RateTablesTest, ::testing::Values(44100.0f, 48000.0f));

TEST(RateTables, AttenuatorGainsStepBy2Decibels)
{
    CSorlRateTables tables;
    tables.Rebuild(44100.0f, CSorlKnobTable::KnobCurve(), 1.0f);
    EXPECT_FLOAT_EQ(tables.attenuatorGain[0], 0.31622776f);
    EXPECT_FLOAT_EQ(tables.attenuatorGain[5], 1.0f);
    EXPECT_FLOAT_EQ(tables.attenuatorGain[6], 1.2589254f);
    EXPECT_FLOAT_EQ(tables.attenuatorGain[10], 3.1622777f);
}

TEST(RateTables, NoteIncrementIsCappedAtHalfATable)
{
    CSorlRateTables tables;
    tables.Rebuild(22050.0f, CSorlKnobTable::KnobCurve(), 1.0f);
    EXPECT_FLOAT_EQ(tables.noteIncrement[127], 1024.0f);
    EXPECT_LT(tables.noteIncrement[100], 1024.0f);
}

TEST(RateTables, FinePitchCarriesTheMasterTune)
{
    CSorlRateTables tables;
    tables.Rebuild(44100.0f, CSorlKnobTable::KnobCurve(), 1.02f);
    EXPECT_FLOAT_EQ(tables.finePitch[0], 1.02f);
    tables.RebuildFinePitch(0.98f);
    EXPECT_FLOAT_EQ(tables.finePitch[0], 0.98f);
    EXPECT_NEAR(tables.finePitch[127], 0.98 * std::exp2(127.0 / 1536.0), 1e-6);
}

struct PoleCase {
    double hz;
    double fs;
};

class OnePoleTest : public ::testing::TestWithParam<PoleCase> {
protected:
    double W() const { return 2.0 * std::numbers::pi * GetParam().hz / GetParam().fs; }
};

TEST_P(OnePoleTest, HighPassPoleIsOneMinusSineOverCosine)
{
    const double w = W();
    EXPECT_NEAR(SorlHighPassPole(GetParam().hz, GetParam().fs), (1.0 - std::sin(w)) / std::cos(w), 1e-6);
}

TEST_P(OnePoleTest, LowPassPoleSolvesItsQuadratic)
{
    // p is the root below 1 of p + 1/p = 4 - 2 cos w.
    const double p = SorlLowPassPole(GetParam().hz, GetParam().fs);
    EXPECT_GT(p, 0.0);
    EXPECT_LT(p, 1.0);
    EXPECT_NEAR(p + 1.0 / p, 4.0 - 2.0 * std::cos(W()), 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, OnePoleTest,
                         ::testing::Values(PoleCase{3.3865754, 44100.0}, PoleCase{48.228771, 44100.0},
                                           PoleCase{32.152514, 48000.0}, PoleCase{1000.0, 48000.0},
                                           PoleCase{8000.0, 44100.0}));

TEST(OnePole, LowPassStopsAtNyquist)
{
    const float atNyquist = SorlLowPassPole(22050.0, 44100.0);
    EXPECT_NEAR(atNyquist, 3.0 - 2.0 * std::sqrt(2.0), 1e-6);
    EXPECT_EQ(SorlLowPassPole(40000.0, 44100.0), atNyquist);
}

TEST(OnePole, HighPassIsDefinedAtAQuarterOfTheRate)
{
    EXPECT_NEAR(SorlHighPassPole(11025.0, 44100.0), 0.0, 1e-7);
}

} // namespace
