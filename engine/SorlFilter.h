// The four-pole low-pass of every voice, four voices of a group at a time.
// Each pole is a one-pole low-pass; the last pole's output returns through a
// first-order all-pass, a soft saturator and the resonance amount.
#pragma once

#include <array>

#include "SorlFilterTables.h"
#include "SorlLaneVector.h"

// One group's filter lanes; part of the voice group record.
struct alignas(16) SorlFilterLanes {
    static constexpr int kLanes = 4;
    static constexpr int kPoles = 4;
    using Floats = std::array<float, kLanes>;

    Floats coefficient{};  // pole coefficient, set at control rate
    Floats compensation{}; // all-pass coefficient, set at control rate
    Floats feedback{};     // resonance amount, set at control rate
    std::array<Floats, kPoles> pole{};
    Floats allPass{}; // all-pass state
};

// Control-rate terms shared by all voices, with the control bank's offsets
// already removed.
struct SorlCutoffControls {
    float keyTrack = 0.0f;    // cutoff positions per semitone away from note 48
    float egIntensity = 0.0f; // positions at full envelope, -105..105
    float cutoff = 0.0f;      // knob plus external modulation, in positions
    float mgSweep = 0.0f;     // MG triangle times 38.4 times the delay fade; 0 unless the MG goes to the VCF
    float mgDepth = 0.0f;     // global MG depth before the voices' own offsets
};

class CSorlFilter {
public:
    using Floats = SorlFilterLanes::Floats;

    // Values of a freshly laid out group: position 0, no feedback, and a
    // small charge in the first pole.
    static void Reset(SorlFilterLanes& lanes, const CSorlFilterTables& tables);

    // Cutoff position of each lane. keyDistance is note - 48 + scale offset;
    // offset the analog offset plus the voice's external VCF offsets;
    // mgOffset the voice's external MG-level offsets.
    static Floats CutoffPosition(const SorlCutoffControls& controls, const Floats& keyDistance,
                                 const Floats& envelope, const Floats& offset, const Floats& mgOffset);

    // Sets coefficient, compensation and feedback from each lane's cutoff
    // position and the resonance (0..6), held below the position's limit.
    // It also cuts decayed states to 0, which keeps them clear of denormals
    // as long as it runs every control tick for every group in use.
    static void Tune(SorlFilterLanes& lanes, const Floats& position, float resonance,
                     const CSorlFilterTables& tables);

    // One sample for four voices; the output is the last pole. Inline, so
    // the per-sample loop over the groups makes no call.
    static void Process(SorlFilterLanes& lanes, const Floats& input, const float* saturation)
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

    static const Floats& Output(const SorlFilterLanes& lanes) { return lanes.pole[SorlFilterLanes::kPoles - 1]; }

private:
    static constexpr float kSaturationSteps = CSorlFilterTables::kSaturationSteps;
    // Feedback magnitudes from 1 up are scaled by the table's last entry.
    static constexpr int kLastSaturationCell = CSorlFilterTables::kSaturationSteps - 1;

    static SorlLaneFloats Saturate(SorlLaneFloats v, const float* saturation)
    {
        SorlLaneFloats scaled = (v < SorlLaneFloats{} ? -v : v) * kSaturationSteps;
        // A NaN reads the last entry instead of an arbitrary index.
        scaled = scaled < SorlSplat(kSaturationSteps) ? scaled : SorlSplat(kSaturationSteps);
        SorlLaneInts cell = __builtin_convertvector(scaled, SorlLaneInts);
        cell = cell < kLastSaturationCell ? cell : SorlLaneInts{} + kLastSaturationCell;
        const SorlLaneFloats fraction = scaled - __builtin_convertvector(cell, SorlLaneFloats);
        return v * SorlInterpolateLanes(saturation, cell, fraction);
    }
};
