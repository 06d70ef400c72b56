#include "SorlEffect.h"

#include <algorithm>
#include <cmath>

#include "SorlRateTables.h"

namespace {

// Every mode meets the limiter at two thirds, where the cubic curve's
// slope is 1.5, so small signals keep unity gain.
constexpr float kHeadroom = 0.66666f;
constexpr float kWetDryMix = 0.75f;
constexpr float kEnsembleSpreadShare = 0.666667f;
// Ensemble phases run in -2..2; one cycle is 4.
constexpr float kPhaseTop = 2.0f;
constexpr float kPhaseCycle = 4.0f;
constexpr std::array<float, 3> kEnsembleStartPhases{0.6666667f, -0.6666667f, -2.0f};
constexpr float kSlowTapDepth = 0.499966f;
constexpr float kFastTapDepth = 0.041663814f;

float Flushed(float x)
{
    return (x + 1.0f) - 1.0f;
}

float Limited(float y)
{
    const float clamped = std::clamp(y, -1.0f, 1.0f);
    return 1.5f * clamped - 0.5f * clamped * clamped * clamped;
}

// 0 at phase 0, 1 at phase 0.5, 0 at phase 1.
float Triangle(float phase)
{
    return phase >= 0.5f ? 2.0f * phase - 1.0f : 1.0f - 2.0f * phase;
}

// Close to 1 + sin(pi x / 2) for x := |p| - 1, 0..2 over a cycle.
float Shaper(float p)
{
    const float x = std::abs(p) - 1.0f;
    const float x2 = x * x;
    return 1.0000676f + x * (1.5703204f + x2 * (-0.6421143f + x2 * 0.07186159f));
}

float Wrapped(float phase)
{
    return phase > kPhaseTop ? phase - kPhaseCycle : phase;
}

float HighPassed(float in, float pole, float& previousInput, float& output)
{
    const float x = in * (pole + 1.0f) * 0.5f;
    output = Flushed(pole * output + x - previousInput);
    previousInput = x;
    return output;
}

} // namespace

CSorlEffect::CSorlEffect(const CSorlRateTables& rates) : rates_(rates)
{
    Reset();
}

void CSorlEffect::Reset()
{
    left_.Clear();
    right_.Clear();
    writeIndex_ = CSorlDelayLine::kLength - 1;
    modulatorPhase_ = 0.0f;
    chorusLeft_ = {};
    chorusRight_ = {};
    slowPhases_ = kEnsembleStartPhases;
    fastPhases_ = kEnsembleStartPhases;
    fade_ = 1.0f;
    active_ = kOff;
    pending_ = kOff;
    switchPending_ = false;
}

void CSorlEffect::Select(int mode)
{
    pending_ = std::clamp(mode, 0, kModeCount - 1);
    // A fade-in under way turns round at its present level; a fade-out
    // carries on towards the switch.
    if (fade_ > 0.0f) {
        fade_ = -fade_;
    }
    switchPending_ = true;
}

template <int Active>
bool CSorlEffect::Process(SorlStereo in, const SorlEffectControls& controls, SorlStereo& out)
{
    in = {Flushed(in.left), Flushed(in.right)};
    left_.Write(writeIndex_, in.left);
    right_.Write(writeIndex_, in.right);

    SorlStereo y;
    if constexpr (Active == kOff) {
        y = Off(in);
    } else if constexpr (Active == kChorus) {
        y = Chorus(in, controls);
    } else if constexpr (Active == kPhase) {
        y = Phase(in, controls);
    } else {
        static_assert(Active == kEnsemble);
        y = Ensemble(controls);
    }
    out = {Limited(y.left), Limited(y.right)};

    const bool switched = fade_ != 1.0f && StepFade(out);
    writeIndex_ = writeIndex_ == 0 ? CSorlDelayLine::kLength - 1 : writeIndex_ - 1;
    return switched;
}

template bool CSorlEffect::Process<CSorlEffect::kOff>(SorlStereo, const SorlEffectControls&, SorlStereo&);
template bool CSorlEffect::Process<CSorlEffect::kChorus>(SorlStereo, const SorlEffectControls&, SorlStereo&);
template bool CSorlEffect::Process<CSorlEffect::kPhase>(SorlStereo, const SorlEffectControls&, SorlStereo&);
template bool CSorlEffect::Process<CSorlEffect::kEnsemble>(SorlStereo, const SorlEffectControls&, SorlStereo&);

bool CSorlEffect::StepFade(SorlStereo& out)
{
    const float gain = fade_ * fade_;
    out.left *= gain;
    out.right *= gain;
    fade_ = std::min(fade_ + rates_.effectFadeStep, 1.0f);
    if (fade_ >= 0.0f && switchPending_) {
        active_ = pending_;
        switchPending_ = false;
        return true;
    }
    return false;
}

SorlStereo CSorlEffect::Off(SorlStereo in) const
{
    return {kHeadroom * in.left, kHeadroom * in.right};
}

SorlStereo CSorlEffect::StepModulator(const SorlEffectControls& controls)
{
    modulatorPhase_ -= controls.rate;
    if (modulatorPhase_ < 0.0f) {
        modulatorPhase_ += 1.0f;
    }
    // Spread holds the right channel up to half a cycle behind.
    float right = modulatorPhase_ - 0.5f * controls.spread;
    if (right < 0.0f) {
        right += 1.0f;
    }
    return {modulatorPhase_, right};
}

float CSorlEffect::ModulatedRead(const CSorlDelayLine& line, ChorusChannel& channel, float phase, float centre,
                                 float depth)
{
    const float target = Triangle(phase);
    channel.smoothedTriangle = target + (channel.smoothedTriangle - target) * rates_.effectSmoothingPole;
    return line.Read(writeIndex_, channel.smoothedTriangle * depth + centre);
}

float CSorlEffect::ChorusChannelOutput(const CSorlDelayLine& line, ChorusChannel& channel, float in, float phase)
{
    const float wet = ModulatedRead(line, channel, phase, rates_.chorusCentre, rates_.chorusDepth);
    const float dry = HighPassed(in, rates_.effectDryHighPass, channel.dry.input, channel.dry.output);
    const float wetHigh = HighPassed(wet, rates_.effectWetHighPass, channel.wet.input, channel.wet.output);
    // About half the dry signal and a third of the wet.
    return kHeadroom * Flushed(kWetDryMix * (kHeadroom * wetHigh + dry));
}

SorlStereo CSorlEffect::Chorus(SorlStereo in, const SorlEffectControls& controls)
{
    const SorlStereo phase = StepModulator(controls);
    return {ChorusChannelOutput(left_, chorusLeft_, in.left, phase.left),
            ChorusChannelOutput(right_, chorusRight_, in.right, phase.right)};
}

SorlStereo CSorlEffect::Phase(SorlStereo in, const SorlEffectControls& controls)
{
    const SorlStereo phase = StepModulator(controls);
    const float wetLeft = ModulatedRead(left_, chorusLeft_, phase.left, rates_.phaseCentre, rates_.phaseDepth);
    const float wetRight = ModulatedRead(right_, chorusRight_, phase.right, rates_.phaseCentre, rates_.phaseDepth);
    // Equal parts dry and delayed: notches that sweep with the delay.
    return {kHeadroom * Flushed(kWetDryMix * (wetLeft + in.left)),
            kHeadroom * Flushed(kWetDryMix * (wetRight + in.right))};
}

float CSorlEffect::EnsembleTaps(const CSorlDelayLine& line, const Taps& slow, const Taps& fast, float depth) const
{
    float sum = 0.0f;
    for (int tap = 0; tap < kEnsembleTaps; ++tap) {
        const float delay = (kSlowTapDepth * Shaper(slow[tap]) + kFastTapDepth * Shaper(fast[tap])) * depth;
        sum += line.Read(writeIndex_, delay);
    }
    return kHeadroom * Flushed(kHeadroom * sum);
}

SorlStereo CSorlEffect::Ensemble(const SorlEffectControls& controls)
{
    // Three taps 120 degrees apart, each swept by a slow and a fast
    // modulator; the right taps run ahead by two thirds of the spread.
    const float offset = controls.spread * kEnsembleSpreadShare;
    Taps slowRight;
    Taps fastRight;
    for (int tap = 0; tap < kEnsembleTaps; ++tap) {
        slowPhases_[tap] = Wrapped(slowPhases_[tap] + rates_.ensembleSlowIncrement);
        fastPhases_[tap] = Wrapped(fastPhases_[tap] + rates_.ensembleFastIncrement);
        slowRight[tap] = Wrapped(slowPhases_[tap] + offset);
        fastRight[tap] = Wrapped(fastPhases_[tap] + offset);
    }
    return {EnsembleTaps(left_, slowPhases_, fastPhases_, controls.ensembleDepth),
            EnsembleTaps(right_, slowRight, fastRight, controls.ensembleDepth)};
}
