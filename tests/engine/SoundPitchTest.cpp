// Pitch and band limiting, measured on the engine's rendered output.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "SoundFixture.h"

namespace {

constexpr int kWindow = 1 << 16;
constexpr double kTolerance = 0.0005; // 0.05 %

struct PitchCase {
    std::string name;
    std::function<void(CSorlDsp&)> apply;
    double semitones; // expected distance of note 69 from 440 Hz
};

void Param(CSorlDsp& dsp, SorlEngineInput input, float value)
{
    dsp.SetParameter(0, input, value);
}

// Pitch class A (9) moved by the given cents through the scale table.
void ScaleA(CSorlDsp& dsp, double cents)
{
    dsp.SetTuning(2 + 9, static_cast<float>((cents + 99.0) / 198.0));
}

class PitchTest : public SoundTest, public ::testing::WithParamInterface<std::tuple<float, PitchCase>> {};

TEST_P(PitchTest, NoteSixtyNineMovesByExactlyTheOffset)
{
    const auto& [sampleRate, c] = GetParam();
    Create(sampleRate);
    c.apply(*engine);
    Render(Seconds(0.5)); // controls settle before the note
    const std::vector<float> out = Note(69, kWindow);
    const double expected = 440.0 * std::exp2(c.semitones / 12.0);
    const double measured = FundamentalHz(out, expected);
    EXPECT_NEAR(measured / expected, 1.0, kTolerance) << measured << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, PitchTest,
    ::testing::Combine(
        ::testing::Values(44100.0f, 48000.0f),
        ::testing::Values(
            PitchCase{"none", [](CSorlDsp&) {}, 0.0},
            PitchCase{"TuneUp", [](CSorlDsp& d) { Param(d, kInputTune, 1.0f); }, 1.0},
            PitchCase{"TuneDown", [](CSorlDsp& d) { Param(d, kInputTune, 0.0f); }, -1.0},
            PitchCase{"TransposeUp", [](CSorlDsp& d) { Param(d, kInputTranspose, 0.75f); }, 12.0},
            PitchCase{"TransposeDown", [](CSorlDsp& d) { Param(d, kInputTranspose, 0.0f); }, -24.0},
            PitchCase{"TransposeStep", [](CSorlDsp& d) { Param(d, kInputTranspose, 25.0f / 48.0f); }, 1.0},
            PitchCase{"OctaveUp", [](CSorlDsp& d) { Param(d, kInputVcoOctave, 1.0f); }, 12.0},
            PitchCase{"OctaveDown", [](CSorlDsp& d) { Param(d, kInputVcoOctave, 0.0f); }, -12.0},
            PitchCase{"BendFullRangeUp",
                      [](CSorlDsp& d) {
                          Param(d, kInputPitchBendRange, 1.0f);
                          Param(d, kInputPitchBend, 1.0f);
                      },
                      12.0},
            PitchCase{"BendHalfRangeDown",
                      [](CSorlDsp& d) {
                          Param(d, kInputPitchBendRange, 0.5f);
                          Param(d, kInputPitchBend, 0.0f);
                      },
                      -6.0},
            PitchCase{"BendWithoutRange", [](CSorlDsp& d) { Param(d, kInputPitchBend, 1.0f); }, 0.0},
            PitchCase{"ScaleHalfUp", [](CSorlDsp& d) { ScaleA(d, 50.0); }, 0.5},
            PitchCase{"ScaleLowest", [](CSorlDsp& d) { ScaleA(d, -99.0); }, -0.99},
            PitchCase{"MasterTuneTop", [](CSorlDsp& d) { d.SetTuning(0, 1.0f); }, 12.0 * std::log2(460.0 / 440.0)})),
    [](const auto& info) {
        return std::get<1>(info.param).name + "_" + std::to_string(static_cast<int>(std::get<0>(info.param)));
    });

// Power more than six bins away from every harmonic (the window's main lobe
// is four bins each side) is what folded back from above Nyquist.
double FoldedDecibels(std::span<const float> samples, double fundamentalHz, double rate)
{
    const std::vector<double> power = PowerSpectrum(samples);
    const double harmonicBins = fundamentalHz * static_cast<double>(samples.size()) / rate;
    double fundamental = 0.0;
    double folded = 0.0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        const double position = static_cast<double>(k) / harmonicBins;
        const double distance = std::abs(position - std::round(position)) * harmonicBins;
        if (distance > 6.0) {
            folded += power[k];
        } else if (std::round(position) == 1.0) {
            fundamental += power[k];
        }
    }
    return 10.0 * std::log10(folded / fundamental);
}

class AliasingTest : public SoundTest, public ::testing::WithParamInterface<float> {};

// Across the keyboard, including pitches just below the next table row,
// where the row's top harmonics lie highest.
TEST_P(AliasingTest, FoldedEnergyStaysFarBelowTheFundamental)
{
    Create(GetParam());
    double worst = -300.0;
    for (const double fraction : {0.0, 0.99}) {
        for (int pitchClass = 0; pitchClass < 12; ++pitchClass) {
            engine->SetTuning(2 + pitchClass, static_cast<float>((fraction * 100.0 + 99.0) / 198.0));
        }
        for (const int note : {24, 36, 48, 60, 69, 72, 84, 96, 102, 108, 114, 120, 126}) {
            const double hz = 440.0 * std::exp2((note + fraction - 69.0) / 12.0);
            const std::vector<float> out = Note(note, kWindow);
            Lift(note);
            Render(Seconds(0.1));
            const double measuredHz = FundamentalHz(out, hz);
            const double db = FoldedDecibels(out, measuredHz, rate);
            EXPECT_LT(db, -40.0) << "note " << note << " + " << fraction;
            worst = std::max(worst, db);
        }
    }
    std::printf("worst folded energy at %.0f Hz: %.1f dB\n", rate, worst);
}

INSTANTIATE_TEST_SUITE_P(Rates, AliasingTest, ::testing::Values(44100.0f, 48000.0f));

} // namespace
