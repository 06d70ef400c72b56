// The ADSR envelope and the gate ramp of every voice, four voices of a group
// at a time, together with the voice states they drive.
#pragma once

#include <array>
#include <cstdint>

#include "SorlLaneVector.h"

enum SorlEnvelopeState : std::int32_t {
    kEnvelopeAttack,
    kEnvelopeDecay, // decays into and then holds the sustain level
    kEnvelopeRelease,
    kEnvelopeSteal, // fading out quickly before a pending note takes the voice
    kEnvelopeFastRelease,
    kEnvelopeIdle,
};

// One group's envelope lanes; part of the voice group record.
struct alignas(16) SorlEnvelopeLanes {
    static constexpr int kLanes = 4;

    std::array<std::int32_t, kLanes> state{};
    std::array<float, kLanes> level{}; // the ADSR output, 0..1
    std::array<float, kLanes> gate{};  // fast on/off ramp, 0..1
};

// Per-sample coefficients of the exponential segments.
struct SorlEnvelopeRates {
    float attack = 0.0f;
    float decay = 0.0f;
    float release = 0.0f;
    float fastAttack = 0.0f;  // gate rise, 1 ms
    float fastRelease = 0.0f; // gate fall and the steal fade, 2 ms
    float sustain = 0.0f;     // level, without the control bank's offset
};

// Lanes, as bits (lane l is bit l), that need the voice bookkeeping the
// envelope cannot do itself. Their states are already updated.
struct SorlEnvelopeEvents {
    std::uint32_t finished = 0; // now idle: clear note, active bit and count
    std::uint32_t stolen = 0;   // faded out, now in attack: start the pending note
};

class CSorlEnvelope {
public:
    // Fades below this are cut to 0 rather than followed down.
    static constexpr float kCutLevel = 0.04f;

    // Inline for the common case, a group that has settled: held voices that
    // sit on their sustain level (the step no longer moves it, nor the gate)
    // and idle ones would store back what they loaded.
    static SorlEnvelopeEvents Step(SorlEnvelopeLanes& lanes, const SorlEnvelopeRates& rates)
    {
        const SorlLaneInts state = SorlLoadLanes(lanes.state);
        const SorlLaneFloats level = SorlLoadLanes(lanes.level);
        const SorlLaneFloats gate = SorlLoadLanes(lanes.gate);
        const SorlLaneInts isDecay = state == Lanes(kEnvelopeDecay);
        const SorlLaneInts isIdle = state == Lanes(kEnvelopeIdle);
        const SorlLaneInts settled = (isDecay & (Decay(level, rates) == level) & (Rise(gate, rates) == gate)) |
                                     (isIdle & (gate == SorlLaneFloats{}));
        if (SorlAllLanes(settled)) {
            return {};
        }
        return Advance(lanes, rates);
    }

private:
    static constexpr float kDecayFloor = 0.000015848933f; // -96 dB

    static SorlLaneInts Lanes(SorlEnvelopeState state)
    {
        const std::int32_t s = state;
        return SorlLaneInts{s, s, s, s};
    }

    // Written as steps towards the target: long segments then keep their
    // time in single precision, where (1 - rate) would round the rate.
    static SorlLaneFloats Decay(SorlLaneFloats level, const SorlEnvelopeRates& rates)
    {
        const SorlLaneFloats sustain = SorlSplat(rates.sustain);
        SorlLaneFloats decay = level + (sustain - level) * rates.decay;
        decay = decay <= kDecayFloor ? SorlLaneFloats{} : decay;
        return level < sustain ? sustain : decay;
    }

    static SorlLaneFloats Rise(SorlLaneFloats gate, const SorlEnvelopeRates& rates)
    {
        return gate + (SorlSplat(1.0f) - gate) * rates.fastAttack;
    }

    static SorlEnvelopeEvents Advance(SorlEnvelopeLanes& lanes, const SorlEnvelopeRates& rates);
};
