// The voice filter heard through the engine.
#include <cmath>

#include "SoundFixture.h"

namespace {

constexpr int kWindow = 1 << 14;

double CentroidHz(std::span<const float> samples, double rate)
{
    const std::vector<double> power = PowerSpectrum(samples);
    double weighted = 0.0;
    double total = 0.0;
    for (std::size_t k = 1; k < power.size(); ++k) {
        weighted += static_cast<double>(k) * power[k];
        total += power[k];
    }
    return weighted / total * rate / static_cast<double>(samples.size());
}

class FilterSoundTest : public SoundTest {
protected:
    void SetUp() override { Create(44100.0f); }

    std::vector<float> HeldNote(int key)
    {
        Render(Seconds(0.3));
        std::vector<float> out = Note(key, kWindow);
        Lift(key);
        Render(Seconds(0.1));
        return out;
    }
};

TEST_F(FilterSoundTest, LowerCutoffLowersTheSpectralCentroid)
{
    double previous = 1e9;
    for (const float cutoff : {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f}) {
        Set(kInputCutoff, cutoff);
        const double centroid = CentroidHz(HeldNote(48), rate);
        EXPECT_LT(centroid, previous) << "cutoff " << cutoff;
        previous = centroid;
    }
}

TEST_F(FilterSoundTest, FullResonancePeaksAtTheCutoff)
{
    constexpr int kPosition = 76; // 1046.5 Hz
    const double cutoffHz = 523.2511306011972 * std::exp2((kPosition - 64) / 12.0);
    Set(kInputCutoff, kPosition / 128.0f);
    const double binHz = rate / kWindow;
    auto peakHz = [&](std::span<const float> samples) {
        const std::vector<double> power = PowerSpectrum(samples);
        // Above the lowest harmonics, which the filter passes anyway.
        const auto first = static_cast<std::size_t>(300.0 / binHz);
        const auto last = static_cast<std::size_t>(8000.0 / binHz);
        return static_cast<double>(std::max_element(power.begin() + first, power.begin() + last) - power.begin()) *
               binHz;
    };
    auto bandRatio = [&](std::span<const float> samples) {
        const std::vector<double> power = PowerSpectrum(samples);
        double band = 0.0;
        double all = 0.0;
        for (std::size_t k = 1; k < power.size(); ++k) {
            const double hz = static_cast<double>(k) * binHz;
            all += power[k];
            band += std::abs(std::log2(hz / cutoffHz)) < 0.25 ? power[k] : 0.0;
        }
        return band / all;
    };

    const double plain = bandRatio(HeldNote(36));
    Set(kInputResonance, 1.0f);
    const std::vector<float> resonant = HeldNote(36);
    EXPECT_NEAR(std::log2(peakHz(resonant) / cutoffHz), 0.0, 1.0 / 12.0);
    EXPECT_GT(bandRatio(resonant), 10.0 * plain);
}

TEST_F(FilterSoundTest, FullResonanceIsHeldBelowTheLimitAbovePositionNinety)
{
    Set(kInputResonance, 1.0f);
    struct Case {
        int position;
        float feedback;
    };
    const Case cases[] = {{40, 6.0f}, {89, 6.0f}, {90, 6.0f}, {95, 5.8871882f}, {100, 5.5487528f},
                          {111, 4.01f}, {120, 4.01f}, {128, 4.01f}};
    for (const Case& c : cases) {
        Set(kInputCutoff, c.position / 128.0f);
        Render(Seconds(0.3));
        Play(60);
        Render(64);
        EXPECT_NEAR(engine->Voice(0).feedback, c.feedback, 2e-3f) << "position " << c.position;
        Lift(60);
        Render(Seconds(0.1));
    }
}

} // namespace
