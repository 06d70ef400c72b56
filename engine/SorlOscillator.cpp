#include "SorlOscillator.h"

namespace {

constexpr float kHighestPitch = 127.0f;
constexpr float kFineStepsPerSemitone = CSorlRateTables::kFinePitchSteps;
constexpr int kSemitonesPerOctave = 12;

SorlLaneInts RowStarts(SorlLaneFloats pitch)
{
    return __builtin_convertvector(pitch, SorlLaneInts) * CSorlWavetables::kRowLength;
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
    const SorlLaneFloats wanted = SorlLoadLanes(pitch);
    const SorlLaneFloats zero{};
    const SorlLaneFloats highest = SorlSplat(kHighestPitch);
    // Written so that a NaN pitch lands on 0.
    const SorlLaneFloats held = wanted > highest ? highest : (wanted > zero ? wanted : zero);
    const SorlLaneInts semitone = __builtin_convertvector(held, SorlLaneInts);
    const SorlLaneInts fine = __builtin_convertvector(
        (held - __builtin_convertvector(semitone, SorlLaneFloats)) * kFineStepsPerSemitone, SorlLaneInts);
    // The tables are read lane by lane; only the arithmetic runs on all four.
    SorlLaneFloats finePitch;
    SorlLaneFloats noteIncrement;
    for (int lane = 0; lane < SorlOscillatorLanes::kLanes; ++lane) {
        finePitch[lane] = rates.finePitch[fine[lane]];
        noteIncrement[lane] = rates.noteIncrement[semitone[lane]];
    }
    SorlStoreLanes(lanes.pitch, held);
    SorlStoreLanes(lanes.increment, finePitch * noteIncrement);
    SorlStoreLanes(lanes.row, RowStarts(held));
    for (int sub = 0; sub < SorlOscillatorLanes::kSubOctaves; ++sub) {
        const SorlLaneFloats lowered = held - static_cast<float>(kSemitonesPerOctave * (sub + 1));
        SorlStoreLanes(lanes.subRow[sub], lowered >= zero ? RowStarts(lowered) : SorlLaneInts{});
    }
}
