// The modulation generator and the external modulation inputs, measured on
// the engine's state and its rendered output.
#include <cmath>

#include "EngineFixture.h"
#include "SoundFixture.h"
#include "SorlParameterTable.h"

namespace {

using Bank = CSorlControlBank;

// Cycles the generator runs through in the next n samples.
double CyclesOver(CSorlDsp& engine, int n)
{
    constexpr int kBlock = 32;
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    double cycles = 0.0;
    float phase = engine.MgPhase();
    for (int done = 0; done < n; done += kBlock) {
        engine.ProcessReplacing(nullptr, outputs, kBlock);
        const float next = engine.MgPhase();
        // The phase counts down and wraps from 0 to 1.
        cycles += next <= phase ? phase - next : 1.0 + phase - next;
        phase = next;
    }
    return cycles;
}

TEST_F(EngineTest, MgFrequencyCoversItsRangeFreeAndSynced)
{
    struct Case {
        float frequency;
        bool synced;
        float syncRate;
        double hz;
        double seconds;
    };
    const Case cases[] = {
        {0.0f, false, 0.0f, 0.05, 40.0},
        {1.0f, false, 0.0f, 50.0, 1.0},
        {0.0f, true, 2.0f / kSampleRate, 2.0, 2.0},
        {1.0f, true, 0.75f, 0.0, 1.0}, // out of range: the synced rate stays 0
    };
    for (const Case& c : cases) {
        engine->SetParameter(0, kInputMgFrequency, c.frequency);
        engine->SetMgSyncRate(0.0f);
        engine->SetMgSyncRate(c.syncRate);
        engine->SetMgTempoSync(c.synced);
        const auto n = static_cast<int>(c.seconds * kSampleRate);
        const double hz = CyclesOver(*engine, n) * kSampleRate / n;
        EXPECT_NEAR(hz, c.hz, 0.01 * c.hz + 1e-6) << c.frequency << (c.synced ? " synced" : " free");
    }
}

TEST_F(EngineTest, KeySyncStartsTheTriangleAtItsPositivePeak)
{
    engine->SetParameter(0, kInputMgFrequency, 0.5f);
    RenderBlock(1000);
    engine->QueueMgPhase(0.0f, 100);
    RenderBlock(101);
    const float start = engine->ModulationGenerator().Outputs().triangle;
    EXPECT_GT(start, 0.999f);
    EXPECT_NEAR(engine->GetLedState(0), 1.0f, 0.001f);
    RenderBlock(100);
    EXPECT_LT(engine->ModulationGenerator().Outputs().triangle, start) << "falling after the peak";
}

TEST_F(EngineTest, TheMgWaitsOutItsDelayThenFadesIn)
{
    for (const float delayTime : {0.0f, 0.5f}) {
        engine->SetParameter(0, kInputMgDelay, delayTime);
        const auto delay = static_cast<int>(engine->RateTables().mgDelay.Lookup(delayTime));
        const int timeConstant = static_cast<int>(0.0484f * kSampleRate);
        engine->QueueNote(0, 60, 100);
        if (delay > 100) {
            RenderBlock(delay - 100);
            EXPECT_EQ(engine->ModulationGenerator().Fade(), 0.0f) << "still waiting";
            RenderBlock(100 + timeConstant);
        } else {
            RenderBlock(delay + timeConstant);
        }
        EXPECT_NEAR(engine->ModulationGenerator().Fade(), 1.0f - std::exp(-1.0f), 0.01f) << delayTime;

        // A second key while the first holds its slot does not restart it.
        engine->QueueNote(0, 64, 100);
        RenderBlock(1);
        EXPECT_GT(engine->ModulationGenerator().Fade(), 0.6f);

        // After all keys are up, the next key does.
        engine->QueueNoteOff(0, 60, 0);
        engine->QueueNoteOff(0, 64, 0);
        engine->QueueNote(1, 67, 100);
        RenderBlock(2);
        EXPECT_LT(engine->ModulationGenerator().Fade(), 0.001f) << delayTime;
        engine->QueueNoteOff(0, 67, 0);
        RenderBlock(1);
    }
}

class ModulationSoundTest : public SoundTest {
protected:
    // The triangle's value in the middle of the next window, and the
    // fundamental of note 69 over it against the pitch a swing of the given
    // semitones at the peak gives there.
    std::tuple<float, double, double> TriangleAndPitch(double semitonesAtPeak)
    {
        constexpr int kWindow = 1 << 12;
        const float before = engine->ModulationGenerator().Outputs().triangle;
        const std::vector<float> out = Render(kWindow);
        const float triangle = 0.5f * (before + engine->ModulationGenerator().Outputs().triangle);
        const double expected = 440.0 * std::exp2(semitonesAtPeak * triangle / 12.0);
        return {triangle, FundamentalHz(out, expected), expected};
    }
};

TEST_F(ModulationSoundTest, TheMgAndTheWheelSwingThePitch)
{
    struct Case {
        const char* name;
        float level;
        float wheel;
        double semitonesAtPeak;
    };
    const Case cases[] = {
        {"wheel vibrato with the MG level at 0", 0.0f, 1.0f, 2.0}, // 2 x wheel x Vibrato Int
        {"MG level to the VCO", 0.125f, 0.0f, 3.0},                 // 24 x level
    };
    for (const Case& c : cases) {
        Create(44100.0f);
        Set(kInputMgFrequency, 0.0f); // 0.05 Hz: the triangle stands nearly still over a window
        Set(kInputMgDestination, 1.0f);
        Set(kInputMgLevel, c.level);
        Set(kInputModulation, c.wheel);
        Set(kInputVibratoInt, 1.0f);
        Render(Seconds(0.5));
        engine->QueueMgPhase(0.0f, 0);
        Play(69);
        Render(Seconds(0.3)); // the MG has faded in

        const auto [atPeak, high, expectedHigh] = TriangleAndPitch(c.semitonesAtPeak);
        EXPECT_GT(atPeak, 0.9f) << c.name << ": key sync started at the positive peak";
        EXPECT_NEAR(high, expectedHigh, 0.5) << c.name;
        Render(Seconds(10.0) - (1 << 12));
        const auto [atTrough, low, expectedLow] = TriangleAndPitch(c.semitonesAtPeak);
        EXPECT_LT(atTrough, -0.9f) << c.name;
        EXPECT_NEAR(low, expectedLow, 0.5) << c.name;
    }
}

TEST_F(ModulationSoundTest, TheMgToTheVcaSilencesTheTroughAtFullLevel)
{
    Create(44100.0f);
    Set(kInputMgFrequency, 0.0f);
    Set(kInputMgDestination, 0.0f); // VCA
    Set(kInputMgLevel, 1.0f);
    Render(Seconds(0.5));
    engine->QueueMgPhase(0.0f, 0);
    Play(69);
    Render(Seconds(0.3)); // the delay fade is in
    const double peak = Rms(Render(1 << 12));
    Render(Seconds(10.0) - 2 * (1 << 12));
    const double trough = Rms(Render(1 << 12));
    EXPECT_GT(peak, 0.05);
    EXPECT_LT(trough, 0.01 * peak);
}

class ExtModSoundTest : public SoundTest {
protected:
    void SetUp() override
    {
        Create(44100.0f);
        Set(kInputVcaAttenuator, 0.0f); // -10 dB keeps the limiter out of the way
        Set(kInputExtMod1VcaGain, 1.0f);
        Render(Seconds(0.5));
    }

    double NoteLevel(int velocity)
    {
        Play(69, velocity);
        Render(Seconds(0.2));
        const double level = Rms(Render(1 << 12));
        Lift(69);
        Render(Seconds(0.3));
        return level;
    }
};

TEST_F(ExtModSoundTest, VelocityToVcaGainWeighsEachNote)
{
    const double neutral = NoteLevel(100); // source None: weight 0.5
    engine->SetExtModSource(0, 1);          // Velocity
    struct Case {
        int velocity;
        double weight;
        double tolerance;
    };
    // Near 0 the weight is a small difference of controls that only settle
    // to single precision, so it is only held to its order of magnitude.
    const Case cases[] = {
        {127, 1.0, 0.03}, {64, 64.0 * 64.0 / (127.0 * 127.0), 0.03}, {1, 1.0 / (127.0 * 127.0), 0.25}};
    for (const Case& c : cases) {
        const double ratio = c.weight / 0.5;
        EXPECT_NEAR(NoteLevel(c.velocity) / neutral, ratio, c.tolerance * ratio) << c.velocity;
    }
}

TEST_F(ExtModSoundTest, ASourceSwitchedToNoneGlidesBackToNeutral)
{
    const double neutral = NoteLevel(100);
    engine->SetExtModSource(0, 3); // Pressure
    engine->QueueExtModValue(0, 1.0f, 0);
    Play(69, 100);
    Render(Seconds(0.3));
    const double pressed = Rms(Render(1 << 12));
    EXPECT_NEAR(pressed / neutral, 2.0, 0.06) << "full pressure doubles the weight";

    engine->SetExtModSource(0, 0);
    constexpr int kWindow = 100; // about one cycle of the note
    double previous = pressed;
    for (int window = 0; window < 40; ++window) {
        const double level = Rms(Render(kWindow));
        EXPECT_LE(level, previous * 1.02) << "falls steadily, window " << window;
        EXPECT_GE(level, previous * 0.85) << "no jump, window " << window;
        previous = level;
    }
    Render(Seconds(0.2));
    EXPECT_NEAR(Rms(Render(1 << 12)) / neutral, 1.0, 0.02);
}

TEST_F(ExtModSoundTest, SoundingNotesKeepTheirOffsetsWhenTheSourceChanges)
{
    engine->SetExtModSource(0, 1); // Velocity
    Play(69, 127);
    Render(Seconds(0.2));
    const double before = Rms(Render(1 << 12));
    engine->SetExtModSource(0, 0);
    Render(Seconds(0.2));
    EXPECT_NEAR(Rms(Render(1 << 12)), before, 0.01 * before);
}

} // namespace
