#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "SorlEffect.h"
#include "SorlKnobTable.h"
#include "SorlRateTables.h"

namespace {

// The effect on its own, fed a mono signal, at a given rate and settings.
class EffectTest : public ::testing::Test {
protected:
    void Create(float sampleRate)
    {
        rate = sampleRate;
        rates.Rebuild(sampleRate, CSorlKnobTable::KnobCurve(), 1.0f);
        effect = std::make_unique<CSorlEffect>(rates);
        SetSpeed(0.5f);
    }

    void SetUp() override { Create(44100.0f); }

    void SetSpeed(float x)
    {
        controls.rate = rates.effectSpeed.Lookup(x);
        controls.ensembleDepth = 0.0128f * rate * (0.125f + 0.375f * x);
    }
    void SetSpread(float x) { controls.spread = x * x; }

    // Selects mode and lets the cross-fade finish on silence.
    void Select(int mode)
    {
        effect->Select(mode);
        Run(std::vector<float>(static_cast<std::size_t>(0.05 * rate), 0.0f));
    }

    // Runs input through the effect in the active mode.
    void Run(const std::vector<float>& input)
    {
        left.clear();
        right.clear();
        for (const float x : input) {
            SorlStereo out;
            switch (effect->ActiveMode()) {
            case CSorlEffect::kOff:
                effect->Process<CSorlEffect::kOff>({x, x}, controls, out);
                break;
            case CSorlEffect::kChorus:
                effect->Process<CSorlEffect::kChorus>({x, x}, controls, out);
                break;
            case CSorlEffect::kPhase:
                effect->Process<CSorlEffect::kPhase>({x, x}, controls, out);
                break;
            default:
                effect->Process<CSorlEffect::kEnsemble>({x, x}, controls, out);
                break;
            }
            left.push_back(out.left);
            right.push_back(out.right);
        }
    }

    std::vector<float> Noise(double seconds) const
    {
        std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
        std::uint32_t state = 12345;
        for (float& x : samples) {
            state = state * 1664525u + 1013904223u;
            x = 0.2f * (static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
        }
        return samples;
    }

    std::vector<float> Sine(double hz, double seconds, float amplitude) const
    {
        std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * i / rate));
        }
        return samples;
    }

    // Normalised cross-correlation of left and right at lag 0 from sample first on.
    double Correlation(std::size_t first) const
    {
        double lr = 0.0;
        double ll = 0.0;
        double rr = 0.0;
        for (std::size_t i = first; i < left.size(); ++i) {
            lr += static_cast<double>(left[i]) * right[i];
            ll += static_cast<double>(left[i]) * left[i];
            rr += static_cast<double>(right[i]) * right[i];
        }
        return lr / std::sqrt(ll * rr);
    }

    static float LargestStep(const std::vector<float>& samples, std::size_t first, std::size_t last)
    {
        float largest = 0.0f;
        for (std::size_t i = first + 1; i < last; ++i) {
            largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
        }
        return largest;
    }

    float rate = 44100.0f;
    CSorlRateTables rates;
    SorlEffectControls controls;
    std::unique_ptr<CSorlEffect> effect;
    std::vector<float> left;
    std::vector<float> right;
};

TEST_F(EffectTest, OffPassesSmallSignalsAtUnityAndLimitsAtOne)
{
    struct Case {
        float input;
        float output;
        float tolerance;
    };
    const Case cases[] = {
        {0.001f, 0.001f, 1e-7f}, {-0.01f, -0.01f, 1e-6f}, {1.5f, 1.0f, 0.0f},
        {-1.5f, -1.0f, 0.0f},    {4.0f, 1.0f, 0.0f},      {-100.0f, -1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        Run({c.input});
        EXPECT_NEAR(left[0], c.output, c.tolerance) << c.input;
        EXPECT_EQ(left[0], right[0]);
    }
}

TEST_F(EffectTest, SpreadDecorrelatesChorusAndEnsemble)
{
    struct Case {
        int mode;
        float spread;
        double lowest;
        double highest;
    };
    const Case cases[] = {
        {CSorlEffect::kChorus, 0.0f, 0.9999, 1.0001},  {CSorlEffect::kChorus, 1.0f, 0.0, 0.85},
        {CSorlEffect::kEnsemble, 0.0f, 0.9999, 1.0001}, {CSorlEffect::kEnsemble, 1.0f, -1.0, 0.6},
    };
    for (const Case& c : cases) {
        Create(44100.0f);
        SetSpread(c.spread);
        Select(c.mode);
        Run(Noise(2.0));
        const double correlation = Correlation(static_cast<std::size_t>(0.1 * rate));
        EXPECT_GE(correlation, c.lowest) << "mode " << c.mode << " spread " << c.spread;
        EXPECT_LE(correlation, c.highest) << "mode " << c.mode << " spread " << c.spread;
    }
}

// An impulse through Phase comes out twice, at equal strength: directly and
// after a short delay that the modulator sweeps. The delay's notch falls
// where the echo cancels the direct sound.
TEST_F(EffectTest, PhaseMixesASweptShortDelayWithTheDrySignal)
{
    SetSpeed(1.0f);
    Select(CSorlEffect::kPhase);
    const float centre = 0.001024f * rate;
    const float depth = 0.2f * 0.004096f * rate;
    const std::size_t spacing = 512;
    std::vector<float> impulses(static_cast<std::size_t>(0.2 * rate), 0.0f);
    for (std::size_t i = 0; i < impulses.size(); i += spacing) {
        impulses[i] = 0.01f;
    }
    Run(impulses);

    float shortest = 1e9f;
    float longest = 0.0f;
    for (std::size_t start = 0; start + spacing <= left.size(); start += spacing) {
        // Each path has gain 0.75 after the limiter's slope of 1.5.
        ASSERT_NEAR(left[start], 0.0075f, 1e-5f) << "the dry impulse";
        double echo = 0.0;
        double weighted = 0.0;
        for (std::size_t i = 1; i < spacing; ++i) {
            echo += left[start + i];
            weighted += left[start + i] * static_cast<double>(i);
        }
        // The moving delay stretches or squeezes the echo by a few percent.
        ASSERT_NEAR(echo, 0.0075, 0.0075 * 0.05) << "the delayed impulse";
        const auto delay = static_cast<float>(weighted / echo);
        shortest = std::min(shortest, delay);
        longest = std::max(longest, delay);
        ASSERT_GE(delay, centre - 0.5f);
        ASSERT_LE(delay, centre + depth + 0.5f);

        // Response at the first notch of this delay, relative to DC.
        const double notch = std::numbers::pi / delay;
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < spacing; ++i) {
            re += left[start + i] * std::cos(notch * static_cast<double>(i));
            im -= left[start + i] * std::sin(notch * static_cast<double>(i));
        }
        EXPECT_LT(std::hypot(re, im), 0.02 * 0.01) << "at " << start;
    }
    // The modulator's smoothing takes some of the 7 Hz triangle's swing.
    EXPECT_GT(longest - shortest, 0.3f * depth);
}

TEST_F(EffectTest, ModeChangesFadeThroughSilenceWithoutAClick)
{
    const std::vector<float> tone = Sine(440.0, 0.3, 0.5f);
    Run(tone);
    const float steadyOff = LargestStep(left, left.size() / 2, left.size());

    effect->Select(CSorlEffect::kChorus);
    Run(tone);
    const auto fadeEnd = static_cast<std::size_t>(0.04 * rate);
    EXPECT_EQ(effect->ActiveMode(), CSorlEffect::kChorus);
    const float steady = std::max(steadyOff, LargestStep(left, fadeEnd, left.size()));
    EXPECT_LT(LargestStep(left, 0, fadeEnd), 1.05f * steady);
    const auto halfway = static_cast<std::size_t>(0.02 * rate);
    EXPECT_LT(std::abs(left[halfway - 1]) + std::abs(left[halfway]), 0.001f) << "silent at the switch";
}

TEST_F(EffectTest, ASecondChangeReplacesThePendingModeWithoutRestartingTheFade)
{
    const std::vector<float> tenMs(static_cast<std::size_t>(0.01 * rate), 0.0f);
    effect->Select(CSorlEffect::kChorus);
    Run(tenMs);
    const float fadingOut = effect->FadePosition();
    ASSERT_NEAR(fadingOut, -0.5f, 0.01f);
    effect->Select(CSorlEffect::kPhase);
    EXPECT_EQ(effect->FadePosition(), fadingOut);
    Run(tenMs);
    Run(tenMs);
    EXPECT_EQ(effect->ActiveMode(), CSorlEffect::kPhase);

    // Half way back up, a change turns round at the same level.
    const float fadingIn = effect->FadePosition();
    ASSERT_NEAR(fadingIn, 0.5f, 0.01f);
    effect->Select(CSorlEffect::kEnsemble);
    EXPECT_EQ(effect->FadePosition(), -fadingIn);
    EXPECT_EQ(effect->ActiveMode(), CSorlEffect::kPhase);
    Run(std::vector<float>(static_cast<std::size_t>(0.06 * rate), 0.0f));
    EXPECT_EQ(effect->ActiveMode(), CSorlEffect::kEnsemble);
    EXPECT_EQ(effect->FadePosition(), 1.0f);
}

TEST_F(EffectTest, TheLongestEnsembleTapFitsTheLinesAt192kHz)
{
    Create(192000.0f);
    SetSpeed(1.0f);
    Select(CSorlEffect::kEnsemble);
    // The last tap's modulators start at the top of their sweep.
    const float longest = (0.499966f + 0.041663814f) * 2.0000353f * controls.ensembleDepth;
    ASSERT_NEAR(longest, 1331.0f, 1.0f);
    ASSERT_LT(longest, 4096.0f);

    std::vector<float> impulse(4096, 0.0f);
    impulse[0] = 0.01f;
    Run(impulse);
    std::size_t last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i] != 0.0f) {
            last = i;
        }
    }
    EXPECT_GT(last, 1200u);
    EXPECT_LE(last, static_cast<std::size_t>(longest) + 1);
}

} // namespace
