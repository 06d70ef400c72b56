#include "SorlFilter.h"

#include <algorithm>

#include "SorlLaneVector.h"

namespace {

constexpr float kInitialCharge = 0.1f;
constexpr float kLowestPosition = 0.00001f;
constexpr float kLeastFeedback = 0.00001f;
// Decaying states are cut to exactly 0 here. Between two control ticks no
// pole can fall from this to a denormal, so cutting there is enough.
constexpr float kSilence = 1e-20f;

void FlushSilence(CSorlFilter::Floats& lanes)
{
    const SorlLaneFloats v = SorlLoadLanes(lanes);
    const SorlLaneFloats zero{};
    SorlStoreLanes(lanes, (v > SorlSplat(kSilence)) | (v < SorlSplat(-kSilence)) ? v : zero);
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
    const SorlLaneFloats x = SorlLoadLanes(position);
    const SorlLaneFloats zero{};
    // A NaN position counts as below the table.
    const SorlLaneInts below = ~(x > SorlSplat(kLowestPosition));
    const SorlLaneInts above = x >= SorlSplat(static_cast<float>(kLast));
    // Lanes off either end read entry 0 with no fraction; the top entry is put in afterwards.
    const SorlLaneFloats inside = (below | above) ? zero : x;
    const SorlLaneInts i = __builtin_convertvector(inside, SorlLaneInts);
    const SorlLaneFloats fraction = inside - __builtin_convertvector(i, SorlLaneFloats);
    const auto read = [&](const float* table) {
        return above ? SorlSplat(table[kLast]) : SorlInterpolateLanes(table, i, fraction);
    };
    const SorlLaneFloats limit = read(tables.ResonanceLimits());
    const SorlLaneFloats feedbackWanted = SorlSplat(std::max(resonance, kLeastFeedback));
    SorlStoreLanes(lanes.coefficient, read(tables.Coefficients()));
    SorlStoreLanes(lanes.compensation, read(tables.Compensations()));
    SorlStoreLanes(lanes.feedback, limit < feedbackWanted ? limit : feedbackWanted);
    for (Floats& pole : lanes.pole) {
        FlushSilence(pole);
    }
    FlushSilence(lanes.allPass);
}
