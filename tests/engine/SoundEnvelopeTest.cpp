// Envelope, amplifier and voice finishing, measured through the engine.
#include <cmath>

#include "SoundFixture.h"

namespace {

class EnvelopeSoundTest : public SoundTest {
protected:
    void SetUp() override { Create(44100.0f); }

    SorlVoiceView First() const { return engine->Voice(0); }
};

TEST_F(EnvelopeSoundTest, AttackAtZeroIsFullAfterAboutOneAndAHalfMilliseconds)
{
    Play(60);
    int samples = 0;
    while (First().state != kEnvelopeDecay && samples < 1000) {
        Render(1);
        ++samples;
    }
    // 1.3 * (1 - exp(-t / 1 ms)) reaches 1 at 1.466 ms.
    EXPECT_NEAR(samples, 0.001466 * rate, 2.0);
}

TEST_F(EnvelopeSoundTest, AttackAtMaximumWouldBeFullAfterAboutNineteenSeconds)
{
    Set(kInputEgAttack, 1.0f);
    Play(60);
    Render(Seconds(1.0));
    // The level rises as 1.3 * (1 - exp(-t / T)); one point gives T.
    const double level = First().level;
    const double timeConstant = -1.0 / std::log(1.0 - level / 1.3);
    const double toFull = -timeConstant * std::log(1.0 - 1.0 / 1.3);
    EXPECT_NEAR(toFull, 19.06, 0.1);
    EXPECT_EQ(First().state, kEnvelopeAttack);
}

TEST_F(EnvelopeSoundTest, ReleaseFallsExponentiallyThenTheVoiceFinishes)
{
    Set(kInputEgRelease, 0.5f);
    Play(60);
    Render(Seconds(0.1));
    Lift(60);
    Render(1);
    const double start = First().level;
    const int n = Seconds(0.05);
    Render(n);
    // Time constant 10 C(64)^2 + 0.002 s, C the knob curve.
    const double d = std::exp2(0.5) - 1.0;
    const double c = (d * d * d + d) / 2.0;
    const double timeConstant = 10.0 * c * c + 0.002;
    EXPECT_NEAR(First().level / start, std::exp(-n / (timeConstant * rate)), 0.01);
    EXPECT_TRUE(engine->IsSounding());

    // Cut below 0.04, after which the voice is idle and the output silent.
    const double cutAfter = timeConstant * std::log(First().level / 0.04);
    Render(Seconds(cutAfter) + Seconds(0.02));
    EXPECT_EQ(First().state, kEnvelopeIdle);
    EXPECT_FALSE(engine->IsSounding());
    EXPECT_EQ(engine->NonIdleVoices(), 0);
    for (const float x : Render(256)) {
        ASSERT_EQ(x, 0.0f);
    }
}

TEST_F(EnvelopeSoundTest, DecayTowardsNoSustainStopsAtMinusNinetySixDecibels)
{
    Set(kInputEgSustain, 0.0f);
    Set(kInputEgDecay, 0.3f);
    Render(Seconds(0.5));
    Play(60);
    Render(Seconds(3.0));
    float highest = 0.0f;
    for (int i = 0; i < 64; ++i) {
        Render(1);
        highest = std::max(highest, First().level);
        ASSERT_TRUE(First().level == 0.0f || std::isnormal(First().level));
    }
    EXPECT_LE(highest, 0.000015848933f);
    EXPECT_EQ(First().state, kEnvelopeDecay); // still held
}

TEST_F(EnvelopeSoundTest, GateModeIsAtFullGainAfterItsRampWhateverTheEnvelope)
{
    const std::vector<float> egMode = Note(60, Seconds(0.2));
    Lift(60);
    Render(Seconds(0.2));

    Set(kInputVcaMode, 0.0f);
    Set(kInputEgAttack, 1.0f); // the envelope stays near 0
    Play(60);
    Render(Seconds(0.005));
    EXPECT_GT(First().gate, 0.99f);
    EXPECT_LT(First().level, 0.01f);
    const std::vector<float> gateMode = Render(Seconds(0.2));
    EXPECT_NEAR(Rms(gateMode) / Rms(egMode), 1.0, 0.01);
}

TEST_F(EnvelopeSoundTest, StolenVoiceFadesOutBeforeTheNewNoteStarts)
{
    for (const int key : {48, 52, 55, 59, 62, 65}) {
        Play(key);
    }
    const std::vector<float> steady = Render(Seconds(0.1));
    Play(70); // takes the slot of 48, voice 0

    std::vector<float> out;
    float lastFadeLevel = 1.0f;
    int fadeSamples = 0;
    while (out.size() < 2000) {
        out.push_back(Render(1)[0]);
        if (First().state == kEnvelopeSteal) {
            lastFadeLevel = First().level;
            ++fadeSamples;
        } else if (fadeSamples > 0) {
            break;
        }
    }
    EXPECT_GT(fadeSamples, 0);
    EXPECT_EQ(First().state, kEnvelopeAttack);
    EXPECT_EQ(First().note, 70);
    EXPECT_LT(lastFadeLevel, 0.04f);
    EXPECT_EQ(First().gate, 0.0f);
    // No click: the fade never steps harder than the chord itself.
    EXPECT_LE(LargestStep(out), 1.1f * LargestStep(steady));
}

TEST_F(EnvelopeSoundTest, UnisonSpreadSendsTheSidesApart)
{
    Create(44100.0f, 2);
    Set(kInputVoicesUnison, 1.0f);
    Set(kInputKeyAssignUnison, 1.0f);
    Set(kInputUnisonDetune, 0.5f);
    Render(Seconds(0.3));
    std::vector<float> left = Note(60, 4096);
    EXPECT_EQ(left, right) << "centred without spread";

    Set(kInputUnisonSpread, 1.0f);
    Render(Seconds(0.3));
    left = Render(4096);
    EXPECT_GT(Rms(left), 0.01);
    double difference = 0.0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        difference += std::abs(left[i] - right[i]);
    }
    EXPECT_GT(difference / static_cast<double>(left.size()), 0.01);
}

struct Extreme {
    const char* name;
    std::vector<std::pair<SorlEngineInput, float>> settings;
};

class ExtremeSoundTest : public SoundTest, public ::testing::WithParamInterface<Extreme> {};

TEST_P(ExtremeSoundTest, OutputStaysFinite)
{
    Create(44100.0f, 32);
    for (const auto& [input, value] : GetParam().settings) {
        Set(input, value);
    }
    Render(Seconds(0.2));
    for (const int key : {0, 24, 60, 96, 127, 1, 126, 64}) {
        Play(key);
    }
    for (int block = 0; block < 20; ++block) {
        for (const float x : Render(4410)) {
            ASSERT_TRUE(std::isfinite(x)) << "block " << block;
        }
    }
    EXPECT_TRUE(engine->IsSounding());
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, ExtremeSoundTest,
    ::testing::Values(
        Extreme{"ResonanceAllTheWayUp",
                {{kInputResonance, 1.0f}, {kInputCutoff, 1.0f}, {kInputKbdTrack, 1.0f}, {kInputEgIntensity, 1.0f}}},
        Extreme{"ResonanceLowCutoffNegativeEg",
                {{kInputResonance, 1.0f}, {kInputCutoff, 0.0f}, {kInputKbdTrack, 1.0f}, {kInputEgIntensity, 0.0f}}},
        Extreme{"UnisonOfThirtyTwo",
                {{kInputVoicesUnison, 1.0f},
                 {kInputKeyAssignUnison, 1.0f},
                 {kInputUnisonDetune, 1.0f},
                 {kInputUnisonSpread, 1.0f},
                 {kInputResonance, 1.0f},
                 {kInputVcaAttenuator, 1.0f}}},
        Extreme{"PwmWithSubAndEveryOffset",
                {{kInputWaveForm, 1.0f},
                 {kInputSubOsc, 0.0f},
                 {kInputPwmAdjust, 1.0f},
                 {kInputPwmSpeed, 1.0f},
                 {kInputTranspose, 1.0f},
                 {kInputVcoOctave, 1.0f},
                 {kInputPitchBend, 1.0f},
                 {kInputPitchBendRange, 1.0f},
                 {kInputAnalog, 1.0f},
                 {kInputResonance, 1.0f},
                 {kInputVcaAttenuator, 1.0f}}},
        Extreme{"EverythingLow",
                {{kInputWaveForm, 0.5f},
                 {kInputPwmAdjust, 1.0f},
                 {kInputTranspose, 0.0f},
                 {kInputVcoOctave, 0.0f},
                 {kInputPitchBend, 0.0f},
                 {kInputPitchBendRange, 1.0f},
                 {kInputCutoff, 0.0f},
                 {kInputVcaMode, 0.0f},
                 {kInputMgDestination, 0.0f}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
