// The effect in the engine's chain, measured on the rendered output.
#include <cmath>

#include "SoundFixture.h"

namespace {

class SoundEffectTest : public SoundTest, public ::testing::WithParamInterface<float> {};

// The effect's lines and filters are flushed, so a note's tail never lingers
// in denormal numbers: it dies away to silence, or in Chorus to a residue
// far below hearing that its high-passes settle on.
TEST_P(SoundEffectTest, SilenceAfterANoteDecaysToExactZero)
{
    Create(44100.0f);
    Set(kInputFxMode, GetParam());
    Set(kInputFxSpeed, 0.7f);
    Set(kInputFxSpread, 1.0f);
    Set(kInputEgRelease, 0.3f);
    Note(48, Seconds(0.5));
    Lift(48);
    int unusual = 0;
    float largest = 0.0f;
    for (int second = 0; second < 60; ++second) {
        const std::vector<float> left = Render(Seconds(1.0));
        for (std::size_t i = 0; i < left.size(); ++i) {
            for (const float x : {left[i], right[i]}) {
                const int kind = std::fpclassify(x);
                unusual += kind == FP_SUBNORMAL || kind == FP_NAN || kind == FP_INFINITE ? 1 : 0;
                largest = second == 59 ? std::max(largest, std::abs(x)) : largest;
            }
        }
    }
    EXPECT_EQ(unusual, 0);
    EXPECT_EQ(engine->NonIdleVoices(), 0);
    EXPECT_LT(largest, 1e-5f) << "below -100 dB";
}

// FX Mode values for Chorus, Phase and Ensemble.
INSTANTIATE_TEST_SUITE_P(Modes, SoundEffectTest, ::testing::Values(0.3f, 0.6f, 1.0f));

TEST_F(SoundTest, FxModeSwitchesTheEffectStageAfterTheFadeOut)
{
    Create(44100.0f);
    Set(kInputCutoff, 0.3f); // a smooth tone, so any step at the switch would stand out
    Play(45);
    Render(Seconds(0.3));
    const std::vector<float> steady = Render(Seconds(0.1));
    Set(kInputFxMode, 1.0f);
    ASSERT_EQ(engine->Effect().ActiveMode(), CSorlEffect::kOff);
    const std::vector<float> fadeOut = Render(Seconds(0.02));
    EXPECT_EQ(engine->Effect().ActiveMode(), CSorlEffect::kEnsemble);
    EXPECT_LT(std::abs(fadeOut.back()), 0.01f * Rms(steady));
    const std::vector<float> fadeIn = Render(Seconds(0.02));
    const float steadyStep = std::max(LargestStep(steady), LargestStep(Render(Seconds(0.1))));
    EXPECT_LE(LargestStep(fadeOut), steadyStep);
    EXPECT_LE(LargestStep(fadeIn), steadyStep);
}

} // namespace
