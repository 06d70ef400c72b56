#include "SorlRateTables.h"

#include <algorithm>
#include <cmath>

#include "SorlOnePole.h"

namespace {

constexpr double kTableSteps = 2048.0; // samples per wavetable cycle
constexpr double kMaxNoteIncrement = 1024.0;

double Position(int k)
{
    return k / static_cast<double>(CSorlKnobTable::kLastPosition);
}

double Squared(double c)
{
    return c * c;
}

} // namespace

void CSorlRateTables::Rebuild(float sampleRate, const CSorlKnobTable& knobCurve, float masterTune)
{
    const double fs = sampleRate;
    const auto& c = knobCurve;

    smoothingPole1ms = static_cast<float>(1.0 - 1.0 / (0.001 * fs));
    pwmRate = CSorlKnobTable::Built([&](int k) { return (19.33334 * c[k] + 0.66666) / (fs / 4.0); });
    for (int n = 0; n < kNoteCount; ++n) {
        const double hz = 440.0 * std::exp2((n - 69) / 12.0);
        noteIncrement[n] = static_cast<float>(std::min(kTableSteps * hz / fs, kMaxNoteIncrement));
    }
    RebuildFinePitch(masterTune);
    mgRate = CSorlKnobTable::Built([&](int k) { return (49.95 * Squared(c[k]) + 0.05) / fs; });
    mgDelay = CSorlKnobTable::Built([&](int k) { return 10.0 * c[k] * Position(k) * fs; });
    mgDelayFadePole = static_cast<float>(1.0 - 1.0 / (0.0484 * fs));
    filter.SetSampleRate(sampleRate);
    egAttackRate = CSorlKnobTable::Built([&](int k) { return 1.0 / ((13.0 * Squared(c[k]) + 0.001) * fs); });
    egDecayRate = CSorlKnobTable::Built([&](int k) { return 1.0 / ((10.0 * Squared(c[k]) + 0.001) * fs); });
    egSustainLevel = CSorlKnobTable::Built([](int k) { return std::max(Position(k), 0.00001); });
    egReleaseRate = CSorlKnobTable::Built([&](int k) { return 1.0 / ((10.0 * Squared(c[k]) + 0.002) * fs); });
    fastAttackRate = egAttackRate[0];
    fastReleaseRate = egReleaseRate[0];
    for (int step = 0; step < kAttenuatorSteps; ++step) {
        const int decibelPairs = step - kAttenuatorSteps / 2;
        attenuatorGain[step] = static_cast<float>(std::pow(10.0, 2.0 * decibelPairs / 20.0));
    }
    effectSpeed = CSorlKnobTable::Built([&](int k) { return (6.875 * Position(k) + 0.125) / fs; });
    ensembleFastIncrement = static_cast<float>(20.8 / fs);
    ensembleSlowIncrement = static_cast<float>(1.08 / fs);
    chorusCentre = static_cast<float>(0.0042666 * fs);
    chorusDepth = static_cast<float>(0.2 * 0.004267 * fs);
    phaseCentre = static_cast<float>(0.001024 * fs);
    phaseDepth = static_cast<float>(0.2 * 0.004096 * fs);
    effectSmoothingPole = SorlLowPassPole(3.3865754, fs);
    effectDryHighPass = SorlHighPassPole(48.228771, fs);
    effectWetHighPass = SorlHighPassPole(32.152514, fs);
    effectFadeStep = static_cast<float>(1.0 / (0.02 * fs));
    arpSpeed = CSorlKnobTable::Built([&](int k) { return (39.6 * c[k] + 0.4) / fs; });
    arpLampDecrement = static_cast<float>(10.0 / fs);
    for (int v = 0; v < kNoteCount; ++v) {
        velocity[v] = static_cast<float>(v / 127.0);
    }
}

void CSorlRateTables::RebuildFinePitch(float masterTune)
{
    for (int i = 0; i < kFinePitchSteps; ++i) {
        finePitch[i] = static_cast<float>(std::exp2(i / 1536.0) * masterTune);
    }
}
