#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "OscillatorSpectrum.h"
#include "SorlKnobTable.h"
#include "SorlOscillator.h"
#include "SorlOscillatorPwm.h"
#include "SorlRateTables.h"

namespace {

using Osc = CSorlOscillator;
using Floats = Osc::Floats;

class OscillatorTest : public ::testing::Test {
protected:
    void SetRate(float rate)
    {
        sampleRate = rate;
        rates.Rebuild(rate, CSorlKnobTable::KnobCurve(), 1.0f);
    }

    void Tune(float pitch) { Osc::Tune(lanes, {pitch, pitch, pitch, pitch}, rates); }

    // Lane 0's output over a run of samples.
    std::vector<float> Render(Osc::Variant variant, int samples, const SorlOscillatorFrame& frame = {})
    {
        std::vector<float> out;
        for (int n = 0; n < samples; ++n) {
            variant(lanes, frame, CSorlWavetables::Shared());
            out.push_back(lanes.output[0]);
        }
        return out;
    }

    // Frequency from the first and last falling zero crossings, interpolated.
    double CrossingHz(const std::vector<float>& s) const
    {
        double first = -1.0;
        double last = -1.0;
        int count = 0;
        for (std::size_t n = 1; n < s.size(); ++n) {
            if (s[n - 1] > 0.0f && s[n] <= 0.0f) {
                const double at = static_cast<double>(n - 1) + s[n - 1] / (s[n - 1] - s[n]);
                first = count == 0 ? at : first;
                last = at;
                ++count;
            }
        }
        return (count - 1) * sampleRate / (last - first);
    }

    float sampleRate = 44100.0f;
    CSorlRateTables rates;
    SorlOscillatorLanes lanes;
};

double NoteHz(double note)
{
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

TEST_F(OscillatorTest, NineDistinctVariants)
{
    std::set<Osc::Variant> variants;
    for (int wave = 0; wave < Osc::kWaveCount; ++wave) {
        for (int sub = 0; sub < Osc::kSubSettings; ++sub) {
            variants.insert(Osc::VariantFor(wave, sub));
        }
    }
    EXPECT_EQ(variants.size(), 9u);
}

TEST_F(OscillatorTest, TuneHoldsPitchAndPicksRows)
{
    SetRate(44100.0f);
    Osc::Tune(lanes, {69.0f, 140.0f, -3.0f, 20.5f}, rates);
    EXPECT_FLOAT_EQ(lanes.increment[0], 2048.0f * 440.0f / 44100.0f);
    EXPECT_EQ(lanes.pitch[1], 127.0f);
    EXPECT_EQ(lanes.increment[1], rates.noteIncrement[127]);
    EXPECT_EQ(lanes.pitch[2], 0.0f);
    EXPECT_EQ(lanes.row[3], 20 * CSorlWavetables::kRowLength);
    EXPECT_EQ(lanes.subRow[0][3], 8 * CSorlWavetables::kRowLength);
    EXPECT_EQ(lanes.subRow[1][3], 0); // two octaves below note 20 reads row 0
    EXPECT_FLOAT_EQ(lanes.increment[3], rates.finePitch[64] * rates.noteIncrement[20]);
}

TEST(OscillatorPitch, OffsetsAddUp)
{
    SorlPitchControls c;
    EXPECT_EQ(Osc::PitchOffset(c), 0.0f);
    c.bendRange = 24.0f; // 12 semitones
    c.bend = 4.0f;       // full up
    EXPECT_FLOAT_EQ(Osc::PitchOffset(c), 12.0f);
    c.bend = 2.0f;
    c.octave = 12;
    c.transpose = -5;
    c.tune = 2.0f;
    EXPECT_FLOAT_EQ(Osc::PitchOffset(c), -12.0f + 12.0f - 5.0f - 1.0f);
    SorlPitchControls vibrato;
    vibrato.modulation = 4.0f; // wheel fully up
    vibrato.vibrato = 2.0f;    // full depth
    vibrato.mgTriangle = -1.0f;
    EXPECT_FLOAT_EQ(Osc::PitchOffset(vibrato), -2.0f);
}

struct PitchCase {
    float rate;
    float note;
};

class OscillatorFrequency : public OscillatorTest, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(OscillatorFrequency, SawAndSubsRunAtTheirPitch)
{
    const PitchCase& c = GetParam();
    SetRate(c.rate);
    Tune(c.note);
    const int samples = static_cast<int>(c.rate);
    const double hz = NoteHz(c.note);

    lanes.phase.fill(100.0f);
    const std::vector<float> saw = Render(Osc::VariantFor(Osc::kSaw, 0), samples);
    EXPECT_NEAR(CrossingHz(saw), hz, 0.005 * hz);

    for (const int sub : {1, 2}) {
        lanes.phase.fill(100.0f);
        std::vector<float> withSub = Render(Osc::VariantFor(Osc::kSaw, sub), samples);
        for (std::size_t n = 0; n < withSub.size(); ++n) {
            withSub[n] -= saw[n];
        }
        const double subHz = hz / (1 << sub);
        EXPECT_NEAR(CrossingHz(withSub), subHz, 0.005 * subHz) << "sub " << sub;
    }
}

INSTANTIATE_TEST_SUITE_P(Notes, OscillatorFrequency,
                         ::testing::Values(PitchCase{44100.0f, 33.0f}, PitchCase{44100.0f, 69.0f},
                                           PitchCase{48000.0f, 69.0f}, PitchCase{48000.0f, 96.5f}));

struct WidthCase {
    Osc::Wave wave;
    float width;
    float offset;
    float sweep;
    double lowShare; // share of the cycle spent in the pulse's low part
};

class OscillatorPulse : public OscillatorTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(OscillatorPulse, WidthSetsTheDutyCycle)
{
    const WidthCase& c = GetParam();
    SetRate(44100.0f);
    Tune(36.0f);
    lanes.pulseWidthOffset.fill(c.offset);
    const std::vector<float> out = Render(Osc::VariantFor(c.wave, 0), 44100, {c.width, c.sweep});
    const auto [low, high] = std::minmax_element(out.begin(), out.end());
    const float middle = (*low + *high) / 2.0f;
    const auto below = std::count_if(out.begin(), out.end(), [&](float v) { return v < middle; });
    EXPECT_NEAR(static_cast<double>(below) / out.size(), c.lowShare, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Widths, OscillatorPulse,
                         ::testing::Values(WidthCase{Osc::kPulse, 1024.0f, 0.0f, 0.0f, 0.5},
                                           WidthCase{Osc::kPulse, 512.0f, 0.0f, 0.0f, 0.25},
                                           WidthCase{Osc::kPulse, 512.0f, -256.0f, 0.0f, 0.125},
                                           WidthCase{Osc::kPulse, 1024.0f, 900.0f, 0.0f, 0.5},
                                           WidthCase{Osc::kPulseModulated, 256.0f, 0.0f, 512.0f, 0.375},
                                           WidthCase{Osc::kPulseModulated, 768.0f, 0.0f, 512.0f, 0.5}));

TEST_F(OscillatorTest, NarrowestPulseIsNearlySilentButFinite)
{
    SetRate(44100.0f);
    Tune(60.0f);
    lanes.pulseWidthOffset.fill(-5000.0f);
    for (const float v : Render(Osc::VariantFor(Osc::kPulse, 0), 4096, {0.01f, 0.0f})) {
        ASSERT_TRUE(std::isfinite(v));
        ASSERT_LT(std::abs(v), 0.001f);
    }
}

// Energy away from the harmonics (aliases folded below the fundamental or
// between harmonics), relative to the fundamental, in dB.
double AliasLevel(const std::vector<float>& signal, double hz, double rate)
{
    const std::vector<double> power = PowerSpectrum(signal);
    const double binHz = rate / static_cast<double>(signal.size());
    constexpr double kMainLobeBins = 5.0;
    double fundamental = 0.0;
    double stray = 0.0;
    for (std::size_t k = 1; k < power.size(); ++k) {
        const double f = static_cast<double>(k) * binHz;
        const double harmonic = std::round(f / hz);
        const bool nearHarmonic = harmonic >= 1.0 && std::abs(f - harmonic * hz) <= kMainLobeBins * binHz;
        if (nearHarmonic && harmonic == 1.0) {
            fundamental += power[k];
        } else if (!nearHarmonic) {
            stray += power[k];
        }
    }
    return 10.0 * std::log10(stray / fundamental);
}

TEST_F(OscillatorTest, AliasingStaysFarBelowTheFundamental)
{
    double worst = -1000.0;
    for (const float rate : {44100.0f, 48000.0f}) {
        SetRate(rate);
        for (const float note : {24.0f, 48.0f, 69.0f, 84.0f, 96.0f, 108.0f, 120.0f}) {
            for (const float fraction : {0.0f, 0.5f, 0.99f}) {
                Tune(note + fraction);
                const double hz = NoteHz(note) * rates.finePitch[static_cast<int>(fraction * 128.0f)];
                const std::vector<float> out = Render(Osc::VariantFor(Osc::kSaw, 0), 16384);
                const double level = AliasLevel(out, hz, rate);
                EXPECT_LT(level, -40.0) << rate << " Hz, note " << note + fraction;
                worst = std::max(worst, level);
            }
        }
    }
    RecordProperty("worst_alias_db", std::to_string(worst));
}

TEST(OscillatorPwm, PhaseFallsAndWrapsAndTheTriangleSpansZeroToOne)
{
    CSorlOscillatorPwm pwm;
    EXPECT_EQ(pwm.Triangle(), 1.0f);
    pwm.Advance(0.25f);
    EXPECT_FLOAT_EQ(pwm.Phase(), 0.75f);
    EXPECT_FLOAT_EQ(pwm.Triangle(), 0.5f);
    pwm.Advance(0.25f);
    EXPECT_FLOAT_EQ(pwm.Triangle(), 0.0f);
    pwm.Advance(0.6f);
    EXPECT_FLOAT_EQ(pwm.Phase(), 0.9f);
}

} // namespace
