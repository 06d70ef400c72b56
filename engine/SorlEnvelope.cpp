#include "SorlEnvelope.h"

namespace {

// The attack aims past full level, so it arrives in finite time.
constexpr float kAttackTarget = 1.3f;

} // namespace

SorlEnvelopeEvents CSorlEnvelope::Advance(SorlEnvelopeLanes& lanes, const SorlEnvelopeRates& rates)
{
    const SorlLaneInts state = SorlLoadLanes(lanes.state);
    const SorlLaneFloats level = SorlLoadLanes(lanes.level);
    const SorlLaneFloats gate = SorlLoadLanes(lanes.gate);
    const SorlLaneFloats zero{};
    const SorlLaneFloats one = SorlSplat(1.0f);

    const SorlLaneInts isAttack = state == Lanes(kEnvelopeAttack);
    const SorlLaneInts isDecay = state == Lanes(kEnvelopeDecay);
    const SorlLaneInts isRelease = state == Lanes(kEnvelopeRelease);
    const SorlLaneInts isSteal = state == Lanes(kEnvelopeSteal);
    const SorlLaneInts isIdle = state == Lanes(kEnvelopeIdle);
    const SorlLaneInts isHeld = isAttack | isDecay;

    const SorlLaneFloats decay = Decay(level, rates);
    const SorlLaneFloats rising = Rise(gate, rates);

    // A step towards the target, like the decay.
    SorlLaneFloats attack = level + (kAttackTarget - level) * rates.attack;
    const SorlLaneInts reached = attack >= one;
    attack = reached ? one : attack;

    // Release, steal and fast release fall the same way at different rates.
    const SorlLaneInts audible = level >= kCutLevel;
    const SorlLaneFloats fallRate = isRelease ? SorlSplat(rates.release) : SorlSplat(rates.fastRelease);
    const SorlLaneFloats fallen = audible ? level - level * fallRate : zero;

    const SorlLaneFloats nextLevel = isAttack ? attack : (isDecay ? decay : (isIdle ? level : fallen));

    const SorlLaneInts silent = ~audible & (gate == zero) & ~isHeld & ~isIdle;
    const SorlLaneInts finished = silent & ~isSteal;
    const SorlLaneInts stolen = silent & isSteal;
    SorlLaneInts nextState = (isAttack & reached) ? Lanes(kEnvelopeDecay) : state;
    nextState = finished ? Lanes(kEnvelopeIdle) : nextState;
    nextState = stolen ? Lanes(kEnvelopeAttack) : nextState;

    const SorlLaneFloats falling = gate >= kCutLevel ? gate - gate * rates.fastRelease : zero;

    SorlStoreLanes(lanes.state, nextState);
    SorlStoreLanes(lanes.level, nextLevel);
    SorlStoreLanes(lanes.gate, isHeld ? rising : falling);
    return {SorlLaneBits(finished), SorlLaneBits(stolen)};
}
