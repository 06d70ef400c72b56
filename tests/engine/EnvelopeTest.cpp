#include <gtest/gtest.h>

#include <cmath>

#include "SorlEnvelope.h"
#include "SorlKnobTable.h"
#include "SorlRateTables.h"

namespace {

constexpr float kRate = 44100.0f;

class EnvelopeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tables.Rebuild(kRate, CSorlKnobTable::KnobCurve(), 1.0f);
        rates = {tables.egAttackRate[0], tables.egDecayRate[0], tables.egReleaseRate[0],
                 tables.fastAttackRate, tables.fastReleaseRate, 0.5f};
    }

    void Set(int lane, SorlEnvelopeState state, float level, float gate)
    {
        lanes.state[lane] = state;
        lanes.level[lane] = level;
        lanes.gate[lane] = gate;
    }

    // Steps until lane's state differs from `state`, returning the samples taken.
    int StepsWhile(int lane, SorlEnvelopeState state, int limit)
    {
        int steps = 0;
        while (lanes.state[lane] == state && steps < limit) {
            last = CSorlEnvelope::Step(lanes, rates);
            ++steps;
        }
        return steps;
    }

    CSorlRateTables tables;
    SorlEnvelopeRates rates;
    SorlEnvelopeLanes lanes;
    SorlEnvelopeEvents last;
};

// Samples an exponential from `from` aimed at `target` takes to pass `to`.
double Samples(double rate, double from, double target, double to)
{
    return std::log((target - to) / (target - from)) / std::log(1.0 - rate);
}

TEST_F(EnvelopeTest, AttackTakesAboutOneAndAHalfMillisecondsAtZero)
{
    Set(0, kEnvelopeAttack, 0.0f, 0.0f);
    const int steps = StepsWhile(0, kEnvelopeAttack, 1000000);
    EXPECT_NEAR(steps, Samples(rates.attack, 0.0, 1.3, 1.0), 2.0);
    EXPECT_NEAR(steps / kRate, 0.0015, 0.0001);
    EXPECT_EQ(lanes.state[0], kEnvelopeDecay);
    EXPECT_EQ(lanes.level[0], 1.0f);
}

TEST_F(EnvelopeTest, AttackTakesAboutNineteenSecondsAtMaximum)
{
    rates.attack = tables.egAttackRate[CSorlKnobTable::kLastPosition];
    Set(0, kEnvelopeAttack, 0.0f, 0.0f);
    const int steps = StepsWhile(0, kEnvelopeAttack, 30 * static_cast<int>(kRate));
    EXPECT_NEAR(steps / kRate, 13.001 * std::log(1.3 / 0.3), 0.02);
}

TEST_F(EnvelopeTest, GateRisesWithOneMillisecondWhileHeld)
{
    Set(0, kEnvelopeDecay, 1.0f, 0.0f);
    for (int n = 0; n < static_cast<int>(0.001f * kRate); ++n) {
        CSorlEnvelope::Step(lanes, rates);
    }
    EXPECT_NEAR(lanes.gate[0], 1.0 - std::exp(-1.0), 0.01);
}

TEST_F(EnvelopeTest, DecaySettlesOnSustainAndJumpsUpWhenSustainRises)
{
    rates.decay = tables.egDecayRate[64];
    Set(0, kEnvelopeDecay, 1.0f, 1.0f);
    for (int n = 0; n < 10 * static_cast<int>(kRate); ++n) {
        CSorlEnvelope::Step(lanes, rates);
    }
    // Single precision stalls the last per mille of the approach.
    EXPECT_NEAR(lanes.level[0], 0.5f, 1e-3f);
    rates.sustain = 0.8f;
    CSorlEnvelope::Step(lanes, rates);
    EXPECT_EQ(lanes.level[0], 0.8f);
}

TEST_F(EnvelopeTest, DecayIsCutAtMinusNinetySixDecibels)
{
    rates.sustain = 0.00001f;
    Set(0, kEnvelopeDecay, 0.001f, 1.0f);
    float before = lanes.level[0];
    for (int n = 0; n < 10000 && lanes.level[0] > 0.0f; ++n) {
        before = lanes.level[0];
        CSorlEnvelope::Step(lanes, rates);
    }
    EXPECT_EQ(lanes.level[0], 0.0f);
    EXPECT_LT(before + (rates.sustain - before) * rates.decay, 0.000015848933f * 1.0001f);
}

TEST_F(EnvelopeTest, ReleaseEndsOnlyOnceBothEnvelopeAndGateAreSilent)
{
    // Lane 0 releases slowly, lane 1 quickly; lane 2 is idle, lane 3 decays.
    rates.release = tables.egReleaseRate[32];
    Set(0, kEnvelopeRelease, 1.0f, 1.0f);
    Set(1, kEnvelopeRelease, 0.03f, 1.0f);
    Set(2, kEnvelopeIdle, 0.0f, 0.0f);
    Set(3, kEnvelopeDecay, 0.5f, 1.0f);

    // The gate falls with a 2 ms time constant and is cut below 0.04.
    const int gateSteps = StepsWhile(1, kEnvelopeRelease, 100000);
    EXPECT_NEAR(gateSteps, Samples(rates.fastRelease, 1.0, 0.0, 0.04) + 2.0, 2.0);
    EXPECT_EQ(last.finished, 0b0010u);
    EXPECT_EQ(lanes.level[1], 0.0f);
    EXPECT_EQ(lanes.state[1], kEnvelopeIdle);
    EXPECT_EQ(lanes.state[2], kEnvelopeIdle);
    EXPECT_EQ(lanes.state[3], kEnvelopeDecay);
    EXPECT_EQ(lanes.gate[0], 0.0f);
    EXPECT_GT(lanes.level[0], 0.5f);

    const int releaseSteps = StepsWhile(0, kEnvelopeRelease, 10 * static_cast<int>(kRate));
    EXPECT_NEAR(gateSteps + releaseSteps, Samples(rates.release, 1.0, 0.0, 0.04) + 1.0, 2.0);
    EXPECT_EQ(last.finished, 0b0001u);
}

TEST_F(EnvelopeTest, StealFadesBelowTheCutBeforeThePendingNoteStarts)
{
    Set(2, kEnvelopeSteal, 1.0f, 1.0f);
    Set(3, kEnvelopeFastRelease, 1.0f, 1.0f);
    float quietest = 1.0f;
    while (lanes.state[2] == kEnvelopeSteal) {
        quietest = lanes.level[2];
        last = CSorlEnvelope::Step(lanes, rates);
        ASSERT_EQ(last.finished & 0b0100u, 0u);
    }
    EXPECT_LT(quietest, 0.04f);
    EXPECT_EQ(last.stolen, 0b0100u);
    EXPECT_EQ(lanes.state[2], kEnvelopeAttack);
    EXPECT_EQ(lanes.level[2], 0.0f);
    EXPECT_EQ(lanes.gate[2], 0.0f);
    // Fast release ran in step and ends the voice instead.
    EXPECT_EQ(last.finished, 0b1000u);
    EXPECT_EQ(lanes.state[3], kEnvelopeIdle);
}

TEST_F(EnvelopeTest, IdleOnlyRunsTheGateTail)
{
    Set(0, kEnvelopeIdle, 0.0f, 0.5f);
    last = CSorlEnvelope::Step(lanes, rates);
    EXPECT_EQ(lanes.state[0], kEnvelopeIdle);
    EXPECT_FLOAT_EQ(lanes.gate[0], 0.5f - 0.5f * rates.fastRelease);
    EXPECT_EQ(last.finished, 0u);
}

} // namespace
