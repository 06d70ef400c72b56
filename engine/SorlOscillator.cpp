#include "SorlOscillator.h"

namespace {

constexpr float kHighestPitch = 127.0f;
constexpr float kFineStepsPerSemitone = CSorlRateTables::kFinePitchSteps;
constexpr int kSemitonesPerOctave = 12;

int RowStart(float pitch)
{
    return static_cast<int>(pitch) * CSorlWavetables::kRowLength;
}

} // namespace

float CSorlOscillator::PitchOffset(const SorlPitchControls& c)
{
    const float bend = (c.bendRange - 12.0f) * (c.bend - 3.0f);
    const float vibrato = (c.modulation - 2.0f) * c.mgTriangle * (c.vibrato - 1.0f);
    const float tune = c.tune - 3.0f;
    return bend + static_cast<float>(c.octave) + vibrato + tune + static_cast<float>(c.transpose);
}

void CSorlOscillator::Tune(SorlOscillatorLanes& lanes, const Floats& pitch, const CSorlRateTables& rates)
{
    for (int lane = 0; lane < SorlOscillatorLanes::kLanes; ++lane) {
        // Written so that a NaN pitch lands on 0.
        const float held = pitch[lane] > kHighestPitch ? kHighestPitch : (pitch[lane] > 0.0f ? pitch[lane] : 0.0f);
        const int semitone = static_cast<int>(held);
        const int fine = static_cast<int>((held - static_cast<float>(semitone)) * kFineStepsPerSemitone);
        lanes.pitch[lane] = held;
        lanes.increment[lane] = rates.finePitch[fine] * rates.noteIncrement[semitone];
        lanes.row[lane] = RowStart(held);
        for (int sub = 0; sub < SorlOscillatorLanes::kSubOctaves; ++sub) {
            const float lowered = held - static_cast<float>(kSemitonesPerOctave * (sub + 1));
            lanes.subRow[sub][lane] = lowered >= 0.0f ? RowStart(lowered) : 0;
        }
    }
}
