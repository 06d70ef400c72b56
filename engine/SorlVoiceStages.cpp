#include "SorlVoiceStages.h"

#include <algorithm>

#include "SorlDsp.h"
#include "SorlLaneVector.h"

namespace {

using Bank = CSorlControlBank;

// Control-bank values rest at these offsets; the stages work with the
// distance from them.
constexpr float kNeutralInput = 1.5f;
constexpr float kNeutralPulseWidthAmount = 2048.0f;
constexpr float kNeutralCutoffAmount = 256.0f;
constexpr float kNeutralAmount = 2.0f;
constexpr float kMgLevelRest = 1.0f;
constexpr float kCutoffRest = 128.0f;
constexpr float kResonanceRest = 6.0f;
constexpr float kEgIntensityRest = 315.0f;
constexpr float kKbdTrackRest = 1.5f;
constexpr float kSustainRest = 1.0f;
constexpr float kUnisonSpreadRest = 1.0f;

constexpr float kKeyTrackPivot = 48.0f;
constexpr float kPwmSweep = 512.0f;        // table steps at the top of the PWM triangle
constexpr float kMgPitchRange = 24.0f;     // semitones
constexpr float kMgCutoffRange = 38.4f;    // cutoff positions
constexpr float kCentredVcaGain = 0.5f;

// The two external inputs' offsets from neutral, each times its amount.
struct ExternalInputs {
    float input1;
    float input2;

    float Times(const Bank& bank, Bank::Entry amount1, Bank::Entry amount2, float neutral) const
    {
        return input1 * (bank.Current(amount1) - neutral) + input2 * (bank.Current(amount2) - neutral);
    }
};

// A plain loop: std::any_of unrolls into more code than the usual first-group hit needs.
bool AnyGroupActive(CSorlVoices& voices)
{
    for (const SorlVoiceGroup& group : voices.GroupsInUse()) {
        if (group.activeMask != 0) {
            return true;
        }
    }
    return false;
}

// std::clamp to 0..1 on four lanes, NaN included.
SorlLaneFloats ClampLikeStd(SorlLaneFloats v)
{
    const SorlLaneFloats zero{};
    const SorlLaneFloats one = SorlSplat(1.0f);
    return v < zero ? zero : (one < v ? one : v);
}

} // namespace

CSorlVoiceStages::Stage CSorlVoiceStages::Oscillators(int wave, int subOctaves)
{
    static constexpr Stage kStages[CSorlOscillator::kWaveCount][CSorlOscillator::kSubSettings] = {
        {&RunOscillators<0, 0>, &RunOscillators<0, 1>, &RunOscillators<0, 2>},
        {&RunOscillators<1, 0>, &RunOscillators<1, 1>, &RunOscillators<1, 2>},
        {&RunOscillators<2, 0>, &RunOscillators<2, 1>, &RunOscillators<2, 2>},
    };
    return kStages[std::clamp(wave, 0, CSorlOscillator::kWaveCount - 1)]
                  [std::clamp(subOctaves, 0, CSorlOscillator::kSubSettings - 1)];
}

CSorlVoiceStages::Stage CSorlVoiceStages::AmplifierMix(int vcaMode, bool mgToVca)
{
    static constexpr Stage kStages[2][2] = {
        {&RunAmplifiers<0, false>, &RunAmplifiers<0, true>},
        {&RunAmplifiers<1, false>, &RunAmplifiers<1, true>},
    };
    return kStages[std::clamp(vcaMode, 0, 1)][mgToVca ? 1 : 0];
}

void CSorlVoiceStages::ControlRateVoices(CSorlDsp& dsp)
{
    const Bank& bank = dsp.controls_;
    const SorlSettings& settings = dsp.settings_;
    const SorlMgOutputs& mg = dsp.mg_.Outputs();
    const ExternalInputs external{bank.Current(Bank::kExtInput1) - kNeutralInput,
                                  bank.Current(Bank::kExtInput2) - kNeutralInput};

    dsp.pwm_.Advance(settings.pwmRate);
    dsp.oscillatorFrame_.pulseWidth =
        bank.Current(Bank::kPulseWidth) +
        2.0f * external.Times(bank, Bank::kExtMod1PulseWidth, Bank::kExtMod2PulseWidth, kNeutralPulseWidthAmount);
    dsp.oscillatorFrame_.pwmSweep = kPwmSweep * dsp.pwm_.Triangle();

    const float mgDepth = (bank.Current(Bank::kMgLevel) - kMgLevelRest) +
                          2.0f * external.Times(bank, Bank::kExtMod1MgLevel, Bank::kExtMod2MgLevel, kNeutralAmount);
    const bool mgToVco = settings.mgDestination == kMgToVco;
    const bool mgToVcf = settings.mgDestination == kMgToVcf;

    const float resonance = bank.Current(Bank::kResonance) - kResonanceRest;

    SorlAmplifierFrame& amplifier = dsp.amplifierFrame_;
    amplifier.vcaGain =
        kCentredVcaGain + external.Times(bank, Bank::kExtMod1VcaGain, Bank::kExtMod2VcaGain, kNeutralAmount);
    amplifier.compensation = CSorlAmplifier::ResonanceCompensation(resonance);
    amplifier.mgDepth = mgDepth;

    // The frames above are read by voices starting before the next tick; the
    // per-voice terms below only by active groups.
    if (!AnyGroupActive(dsp.voices_)) {
        return;
    }

    const SorlPitchControls pitchControls{bank.Current(Bank::kPitchBendRange), bank.Current(Bank::kPitchBend),
                                          bank.Current(Bank::kModulationWheel), bank.Current(Bank::kVibratoInt),
                                          bank.Current(Bank::kTune),           mg.triangle,
                                          settings.octaveOffset,               settings.transpose};
    const float pitchOffset = CSorlOscillator::PitchOffset(pitchControls);
    const float pitchSweep = mgToVco ? mg.triangle * kMgPitchRange * mg.smoothedFade : 0.0f;
    const float pitchDepth = mgToVco ? mgDepth : 0.0f;

    const SorlCutoffControls cutoffControls{
        bank.Current(Bank::kKbdTrack) - kKbdTrackRest,
        bank.Current(Bank::kEgIntensity) - kEgIntensityRest,
        (bank.Current(Bank::kCutoff) - kCutoffRest) +
            2.0f * external.Times(bank, Bank::kExtMod1Cutoff, Bank::kExtMod2Cutoff, kNeutralCutoffAmount),
        mgToVcf ? mg.triangle * kMgCutoffRange * mg.smoothedFade : 0.0f,
        mgToVcf ? mgDepth : 0.0f,
    };
    for (SorlVoiceGroup& group : dsp.voices_.GroupsInUse()) {
        if (group.activeMask == 0) {
            continue;
        }
        const SorlLaneFloats note = __builtin_convertvector(SorlLoadLanes(group.note), SorlLaneFloats);
        const SorlLaneFloats scale = SorlLoadLanes(group.scaleOffset);
        const SorlLaneFloats analog = SorlLoadLanes(group.analogOffset);
        const SorlLaneFloats depth = ClampLikeStd(pitchDepth + SorlLoadLanes(group.amplifier.mgOffset));
        SorlVoiceGroup::Floats pitch;
        SorlVoiceGroup::Floats keyDistance;
        SorlVoiceGroup::Floats cutoffOffset;
        SorlStoreLanes(pitch, note + SorlLoadLanes(group.detune) + scale + analog + depth * pitchSweep + pitchOffset);
        SorlStoreLanes(keyDistance, note - kKeyTrackPivot + scale);
        SorlStoreLanes(cutoffOffset, analog + SorlLoadLanes(group.cutoffOffset));
        CSorlOscillator::Tune(group.oscillator, pitch, dsp.rates_);
        const SorlVoiceGroup::Floats position = CSorlFilter::CutoffPosition(
            cutoffControls, keyDistance, group.envelope.level, cutoffOffset, group.amplifier.mgOffset);
        CSorlFilter::Tune(group.filter, position, resonance, dsp.rates_.filter);
    }
}

void CSorlVoiceStages::Envelopes(CSorlDsp& dsp)
{
    // Only active groups step; when there are none, the rates are not even gathered.
    if (!AnyGroupActive(dsp.voices_)) {
        return;
    }
    const CSorlRateTables& rates = dsp.rates_;
    const SorlSettings& settings = dsp.settings_;
    dsp.voices_.StepEnvelopes({settings.attackRate, settings.decayRate, settings.releaseRate, rates.fastAttackRate,
                               rates.fastReleaseRate, dsp.controls_.Current(Bank::kSustain) - kSustainRest});
}

void CSorlVoiceStages::Filters(CSorlDsp& dsp)
{
    const float* saturation = dsp.rates_.filter.Saturation();
    for (SorlVoiceGroup& group : dsp.voices_.GroupsInUse()) {
        if (group.activeMask != 0) {
            CSorlFilter::Process(group.filter, group.oscillator.output, saturation);
        }
    }
}

template <int Wave, int SubOctaves>
void CSorlVoiceStages::RunOscillators(CSorlDsp& dsp)
{
    constexpr CSorlOscillator::Variant render = CSorlOscillator::VariantFor(Wave, SubOctaves);
    for (SorlVoiceGroup& group : dsp.voices_.GroupsInUse()) {
        if (group.activeMask != 0) {
            render(group.oscillator, dsp.oscillatorFrame_, dsp.wavetables_);
        }
    }
}

template <int VcaMode, bool MgToVca>
void CSorlVoiceStages::RunAmplifiers(CSorlDsp& dsp)
{
    constexpr CSorlAmplifier::Variant add = CSorlAmplifier::VariantFor(VcaMode, MgToVca);
    SorlAmplifierFrame& frame = dsp.amplifierFrame_;
    if constexpr (MgToVca) {
        const SorlMgOutputs& mg = dsp.mg_.Outputs();
        frame.mgSweep = mg.smoothedTriangle * mg.smoothedFade;
    }
    SorlAmplifierSum sum;
    for (SorlVoiceGroup& group : dsp.voices_.GroupsInUse()) {
        if (group.activeMask != 0) {
            add(frame, group.amplifier, group.envelope, CSorlFilter::Output(group.filter), dsp.vca_, sum);
        }
    }
    const Bank& bank = dsp.controls_;
    dsp.mix_ = CSorlAmplifier::Mix(sum, bank.Current(Bank::kUnisonSpread) - kUnisonSpreadRest,
                                   bank.Current(Bank::kAttenuatorGain));
}
