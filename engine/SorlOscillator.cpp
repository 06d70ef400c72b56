#include "SorlOscillator.h"

#include <algorithm>

#include "SorlLaneVector.h"

namespace {

constexpr int kCycleMask = CSorlWavetables::kCycleLength - 1;
constexpr float kHighestPitch = 127.0f;
constexpr float kFineStepsPerSemitone = CSorlRateTables::kFinePitchSteps;
constexpr int kSemitonesPerOctave = 12;
constexpr float kNarrowestPulse = 0.001f;
constexpr float kSquarePulse = CSorlWavetables::kCycleLength / 2.0f;

// Linear interpolation in the rows starting at rowStart; positions wrap at
// the cycle length and the guard sample serves the last step.
SorlLaneFloats Read(const float* table, SorlLaneInts rowStart, SorlLaneFloats position)
{
    const SorlLaneInts whole = __builtin_convertvector(position, SorlLaneInts);
    const SorlLaneFloats fraction = position - __builtin_convertvector(whole, SorlLaneFloats);
    const SorlLaneInts index = rowStart + (whole & kCycleMask);
    SorlLaneFloats here;
    SorlLaneFloats next;
    for (int lane = 0; lane < SorlOscillatorLanes::kLanes; ++lane) {
        here[lane] = table[index[lane]];
        next[lane] = table[index[lane] + 1];
    }
    return here + (next - here) * fraction;
}

SorlLaneFloats PulseWidth(const SorlOscillatorLanes& lanes, const SorlOscillatorFrame& frame, bool modulated)
{
    SorlLaneFloats width = SorlClampLanes(SorlSplat(frame.pulseWidth) + SorlLoadLanes(lanes.pulseWidthOffset),
                                          kNarrowestPulse, kSquarePulse);
    if (modulated) {
        width = SorlClampLanes(width + frame.pwmSweep, kNarrowestPulse, kSquarePulse);
    }
    return width;
}

template <CSorlOscillator::Wave W, int SubOctaves>
void Render(SorlOscillatorLanes& lanes, const SorlOscillatorFrame& frame, const CSorlWavetables& tables)
{
    const SorlLaneFloats phase = SorlLoadLanes(lanes.phase);
    const SorlLaneInts row = SorlLoadLanes(lanes.row);
    SorlLaneFloats out = Read(tables.Saw(), row, phase);
    if constexpr (W != CSorlOscillator::kSaw) {
        // The difference of two saws a width apart is a pulse that width wide.
        const SorlLaneFloats width = PulseWidth(lanes, frame, W == CSorlOscillator::kPulseModulated);
        out = (out - Read(tables.Saw(), row, phase + width)) * 0.5f;
    }
    if constexpr (SubOctaves > 0) {
        constexpr float kRate = 1.0f / (1 << SubOctaves);
        out += Read(tables.Square(), SorlLoadLanes(lanes.subRow[SubOctaves - 1]), phase * kRate);
    }
    SorlStoreLanes(lanes.output, out);

    const SorlLaneFloats advanced = phase + SorlLoadLanes(lanes.increment);
    const SorlLaneFloats span = SorlSplat(CSorlOscillator::kTableSpan);
    SorlStoreLanes(lanes.phase, advanced >= span ? advanced - span : advanced);
}

// Indexed by 3 * wave + sub octaves.
constexpr CSorlOscillator::Variant kVariants[CSorlOscillator::kVariantCount] = {
    &Render<CSorlOscillator::kSaw, 0>,
    &Render<CSorlOscillator::kSaw, 1>,
    &Render<CSorlOscillator::kSaw, 2>,
    &Render<CSorlOscillator::kPulse, 0>,
    &Render<CSorlOscillator::kPulse, 1>,
    &Render<CSorlOscillator::kPulse, 2>,
    &Render<CSorlOscillator::kPulseModulated, 0>,
    &Render<CSorlOscillator::kPulseModulated, 1>,
    &Render<CSorlOscillator::kPulseModulated, 2>,
};

int RowStart(float pitch)
{
    return static_cast<int>(pitch) * CSorlWavetables::kRowLength;
}

} // namespace

CSorlOscillator::Variant CSorlOscillator::VariantFor(int wave, int subOctaves)
{
    const int w = std::clamp(wave, 0, kWaveCount - 1);
    const int s = std::clamp(subOctaves, 0, kSubSettings - 1);
    return kVariants[w * kSubSettings + s];
}

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
