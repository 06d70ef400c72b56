#include "SorlFilter.h"

#include <algorithm>

#include "SorlLaneVector.h"

namespace {

constexpr float kInitialCharge = 0.1f;
constexpr float kLowestPosition = 0.00001f;
constexpr float kLeastFeedback = 0.00001f;
constexpr float kSaturationSteps = CSorlFilterTables::kSaturationSteps;
// Feedback magnitudes from 1 up are scaled by the table's last entry.
constexpr int kLastSaturationCell = CSorlFilterTables::kSaturationSteps - 1;
// Decaying states are cut to exactly 0 here. Between two control ticks no
// pole can fall from this to a denormal, so cutting there is enough.
constexpr float kSilence = 1e-20f;

float Interpolate(float from, float to, float fraction)
{
    return from + (to - from) * fraction;
}

void FlushSilence(CSorlFilter::Floats& lanes)
{
    const SorlLaneFloats v = SorlLoadLanes(lanes);
    const SorlLaneFloats zero{};
    SorlStoreLanes(lanes, (v > SorlSplat(kSilence)) | (v < SorlSplat(-kSilence)) ? v : zero);
}

SorlLaneFloats Saturate(SorlLaneFloats v, const float* saturation)
{
    SorlLaneFloats scaled = (v < SorlLaneFloats{} ? -v : v) * kSaturationSteps;
    // A NaN reads the last entry instead of an arbitrary index.
    scaled = scaled < SorlSplat(kSaturationSteps) ? scaled : SorlSplat(kSaturationSteps);
    SorlLaneInts cell = __builtin_convertvector(scaled, SorlLaneInts);
    cell = cell < kLastSaturationCell ? cell : SorlLaneInts{} + kLastSaturationCell;
    const SorlLaneFloats fraction = scaled - __builtin_convertvector(cell, SorlLaneFloats);
    return v * SorlInterpolateLanes(saturation, cell, fraction);
}

} // namespace

void CSorlFilter::Reset(SorlFilterLanes& lanes, const CSorlFilterTables& tables)
{
    lanes.coefficient.fill(tables.Coefficient(0));
    lanes.compensation.fill(tables.Compensation(0));
    lanes.feedback.fill(0.0f);
    for (Floats& pole : lanes.pole) {
        pole.fill(0.0f);
    }
    lanes.pole[0].fill(kInitialCharge);
    lanes.allPass.fill(0.0f);
}

CSorlFilter::Floats CSorlFilter::CutoffPosition(const SorlCutoffControls& controls, const Floats& keyDistance,
                                                const Floats& envelope, const Floats& offset,
                                                const Floats& mgOffset)
{
    const SorlLaneFloats depth =
        SorlClampLanes(SorlSplat(controls.mgDepth) + SorlLoadLanes(mgOffset), 0.0f, 1.0f) * controls.mgSweep;
    const SorlLaneFloats position = SorlLoadLanes(keyDistance) * controls.keyTrack +
                                    SorlLoadLanes(envelope) * controls.egIntensity + controls.cutoff +
                                    SorlLoadLanes(offset) + depth;
    Floats result;
    SorlStoreLanes(result, position);
    return result;
}

void CSorlFilter::Tune(SorlFilterLanes& lanes, const Floats& position, float resonance,
                       const CSorlFilterTables& tables)
{
    constexpr int kLast = CSorlFilterTables::kLastPosition;
    const float feedbackWanted = std::max(resonance, kLeastFeedback);
    for (int lane = 0; lane < SorlFilterLanes::kLanes; ++lane) {
        const float x = position[lane];
        float coefficient;
        float compensation;
        float limit;
        if (!(x > kLowestPosition)) {
            coefficient = tables.Coefficient(0);
            compensation = tables.Compensation(0);
            limit = tables.ResonanceLimit(0);
        } else if (x >= static_cast<float>(kLast)) {
            coefficient = tables.Coefficient(kLast);
            compensation = tables.Compensation(kLast);
            limit = tables.ResonanceLimit(kLast);
        } else {
            const int i = static_cast<int>(x);
            const float fraction = x - static_cast<float>(i);
            coefficient = Interpolate(tables.Coefficient(i), tables.Coefficient(i + 1), fraction);
            compensation = Interpolate(tables.Compensation(i), tables.Compensation(i + 1), fraction);
            limit = Interpolate(tables.ResonanceLimit(i), tables.ResonanceLimit(i + 1), fraction);
        }
        lanes.coefficient[lane] = coefficient;
        lanes.compensation[lane] = compensation;
        lanes.feedback[lane] = std::min(feedbackWanted, limit);
    }
    for (Floats& pole : lanes.pole) {
        FlushSilence(pole);
    }
    FlushSilence(lanes.allPass);
}

void CSorlFilter::Process(SorlFilterLanes& lanes, const Floats& input, const float* saturation)
{
    const SorlLaneFloats a = SorlLoadLanes(lanes.coefficient);
    const SorlLaneFloats b = SorlLoadLanes(lanes.compensation);
    const SorlLaneFloats k = SorlLoadLanes(lanes.feedback);

    const SorlLaneFloats z = SorlLoadLanes(lanes.allPass);
    const SorlLaneFloats zNext = z * b + SorlLoadLanes(lanes.pole[SorlFilterLanes::kPoles - 1]);
    const SorlLaneFloats fedBack = Saturate((z - b * zNext) * k, saturation);
    SorlStoreLanes(lanes.allPass, zNext);

    SorlLaneFloats x = SorlLoadLanes(input) - fedBack;
    for (Floats& pole : lanes.pole) {
        x = x + (SorlLoadLanes(pole) - x) * a;
        SorlStoreLanes(pole, x);
    }
}
