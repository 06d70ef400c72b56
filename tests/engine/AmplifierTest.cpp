#include <gtest/gtest.h>

#include <cmath>

#include "SorlAmplifier.h"

namespace {

using Amp = CSorlAmplifier;
using Floats = Amp::Floats;

class AmplifierTest : public ::testing::Test {
protected:
    SorlStereo Run(Amp::Variant variant, const Floats& signal, float spread = 0.0f, float attenuator = 1.0f)
    {
        SorlAmplifierSum sum;
        variant(frame, lanes, envelope, signal, vca, sum);
        return Amp::Mix(sum, spread, attenuator);
    }

    const CSorlVcaTable vca;
    SorlAmplifierFrame frame;
    SorlAmplifierLanes lanes;
    SorlEnvelopeLanes envelope;
};

TEST_F(AmplifierTest, VoiceGainIsCurveTimesHalfTimesAttenuatorTimesThree)
{
    envelope.level = {1.0f, 0.2f, 0.06f, 0.0f};
    const Amp::Variant eg = Amp::VariantFor(1, false);
    EXPECT_FLOAT_EQ(Run(eg, {1.0f, 0.0f, 0.0f, 0.0f}).left, 0.5f * 3.0f);
    EXPECT_FLOAT_EQ(Run(eg, {0.0f, 1.0f, 0.0f, 0.0f}, 0.0f, 0.5f).right, vca[100] * 0.5f * 1.5f);
    // Below 34/500 the curve is silent.
    EXPECT_EQ(Run(eg, {0.0f, 0.0f, 1.0f, 0.0f}).left, 0.0f);
}

TEST_F(AmplifierTest, SilentLanesAddNothingEvenWhenTheirSignalIsNotFinite)
{
    envelope.level = {0.5f, 0.0f, 0.0f, 0.0f};
    const SorlStereo out = Run(Amp::VariantFor(1, false), {0.1f, NAN, INFINITY, NAN});
    EXPECT_TRUE(std::isfinite(out.left));
    EXPECT_GT(out.left, 0.0f);
}

TEST_F(AmplifierTest, GateModeFollowsTheGateNotTheEnvelope)
{
    envelope.level = {0.0f, 1.0f, 0.0f, 0.0f};
    envelope.gate = {1.0f, 0.0f, 0.0f, 0.0f};
    EXPECT_FLOAT_EQ(Run(Amp::VariantFor(0, false), {1.0f, 1.0f, 0.0f, 0.0f}).left, 1.5f);
    EXPECT_FLOAT_EQ(Run(Amp::VariantFor(1, false), {1.0f, 0.0f, 0.0f, 0.0f}).left, 0.0f);
}

TEST_F(AmplifierTest, MgScalesTheLevelByItsDepth)
{
    envelope.level = {0.5f, 0.5f, 0.0f, 0.0f};
    lanes.mgOffset = {0.0f, -1.0f, 0.0f, 0.0f};
    frame.mgDepth = 1.0f;
    frame.mgSweep = -1.0f;
    const Amp::Variant withMg = Amp::VariantFor(1, true);
    // Lane 0 is swept to silence; lane 1's own offset takes its depth to 0.
    EXPECT_FLOAT_EQ(Run(withMg, {1.0f, 0.0f, 0.0f, 0.0f}).left, 0.0f);
    EXPECT_FLOAT_EQ(Run(withMg, {0.0f, 1.0f, 0.0f, 0.0f}).left, vca[250] * 1.5f);
    frame.mgSweep = 1.0f;
    EXPECT_FLOAT_EQ(Run(withMg, {1.0f, 0.0f, 0.0f, 0.0f}).left, 1.5f);
}

TEST_F(AmplifierTest, ExternalGainIsHeldBetweenNearZeroAndOne)
{
    envelope.level = {1.0f, 1.0f, 0.0f, 0.0f};
    lanes.vcaOffset = {2.0f, -2.0f, 0.0f, 0.0f};
    const Amp::Variant eg = Amp::VariantFor(1, false);
    EXPECT_FLOAT_EQ(Run(eg, {1.0f, 0.0f, 0.0f, 0.0f}).left, 3.0f);
    // The mix's denormal flush rounds to steps of 2^-23.
    EXPECT_NEAR(Run(eg, {0.0f, 1.0f, 0.0f, 0.0f}).left, 0.00001f * 3.0f, 1.2e-7f);
}

struct CompensationCase {
    float resonance;
    float gain;
};

class AmplifierCompensation : public ::testing::TestWithParam<CompensationCase> {};

TEST_P(AmplifierCompensation, RisesWithResonanceUpToTwoPointZeroTwo)
{
    EXPECT_FLOAT_EQ(Amp::ResonanceCompensation(GetParam().resonance), GetParam().gain);
}

INSTANTIATE_TEST_SUITE_P(Resonances, AmplifierCompensation,
                         ::testing::Values(CompensationCase{0.0f, 1.0f}, CompensationCase{0.5f, 1.5f},
                                           CompensationCase{1.0f, 2.0f}, CompensationCase{1.03f, 2.02f},
                                           CompensationCase{6.0f, 2.02f}));

TEST_F(AmplifierTest, UnisonSpreadSendsSidesApart)
{
    envelope.level = {1.0f, 1.0f, 1.0f, 0.0f};
    lanes.side = {0, 1, 2, 0};
    const Amp::Variant eg = Amp::VariantFor(1, false);
    const Floats centre{1.0f, 0.0f, 0.0f, 0.0f};
    const Floats sideOne{0.0f, 1.0f, 0.0f, 0.0f};
    const Floats sideTwo{0.0f, 0.0f, 1.0f, 0.0f};

    const SorlStereo spreadCentre = Run(eg, centre, 1.0f);
    EXPECT_FLOAT_EQ(spreadCentre.left, 1.5f);
    EXPECT_FLOAT_EQ(spreadCentre.right, 1.5f);
    const SorlStereo spreadOne = Run(eg, sideOne, 1.0f);
    EXPECT_EQ(spreadOne.left, 0.0f);
    EXPECT_FLOAT_EQ(spreadOne.right, 1.5f);
    const SorlStereo spreadTwo = Run(eg, sideTwo, 1.0f);
    EXPECT_FLOAT_EQ(spreadTwo.left, 1.5f);
    EXPECT_EQ(spreadTwo.right, 0.0f);

    const SorlStereo narrow = Run(eg, sideOne, 0.0f);
    EXPECT_FLOAT_EQ(narrow.left, 0.75f);
    EXPECT_FLOAT_EQ(narrow.right, 0.75f);
}

} // namespace
