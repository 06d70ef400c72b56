#include "SorlDsp.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

#include "SorlParameterTable.h"

namespace {

constexpr float kFallbackSampleRate = 44100.0f;
constexpr std::uint32_t kRandomSeed = 0x534F524C;
constexpr int kControlPeriod = 4;
constexpr int kMaxKey = 127;
constexpr int kMaxVelocity = 127;
constexpr int kMaxExtModSource = 8;
// Sources below this are per voice, so the global input value rests at neutral.
constexpr int kFirstGlobalSource = 3;
constexpr float kNeutralInput = 0.5f;
constexpr float kMaxMgSyncRate = 0.5f;

struct InitialValue {
    SorlEngineInput input;
    float value;
};

// Handler values applied at construction, until the plug-in sends its own.
constexpr InitialValue kInitialValues[] = {
    {kInputWaveForm, 0.0f},          {kInputVcoOctave, 0.0f},       {kInputTune, 0.0f},
    {kInputPitchBendRange, 0.0f},    {kInputPwmAdjust, 0.0f},       {kInputPwmSpeed, 0.0f},
    {kInputSubOsc, 0.0f},            {kInputCutoff, 1.0f},          {kInputResonance, 0.0f},
    {kInputEgIntensity, 0.0f},       {kInputKbdTrack, 0.0f},        {kInputEgAttack, 0.0f},
    {kInputEgDecay, 0.0f},           {kInputEgSustain, 0.0f},       {kInputEgRelease, 0.0f},
    {kInputVcaMode, 1.0f},           {kInputVcaAttenuator, 0.5f},   {kInputMgFrequency, 0.0f},
    {kInputMgDelay, 0.0f},           {kInputMgLevel, 0.0f},         {kInputMgDestination, 0.0f},
    {kInputPitchBend, 0.0f},         {kInputModulation, 0.0f},      {kInputVibratoInt, 0.0f},
    {kInputFxMode, 0.0f},            {kInputFxSpeed, 0.0f},         {kInputFxSpread, 0.0f},
    {kInputArpSpeed, 0.0f},          {kInputArpRange, 0.0f},        {kInputArpMode, 0.0f},
    {kInputArpLatch, 0.0f},          {kInputArpeggio, 0.0f},        {kInputKeyAssignPoly, 1.0f},
    {kInputHold, 0.0f},              {kInputVolume, 1.0f},          {kInputOutputSwitch, 1.0f},
    {kInputPan, 0.5f},               {kInputTranspose, 0.5f},       {kInputAnalog, 0.0f},
    {kInputUnisonDetune, 0.0f},      {kInputExtMod1PulseWidth, 0.5f}, {kInputExtMod1Cutoff, 0.5f},
    {kInputExtMod1MgLevel, 0.5f},    {kInputExtMod1VcaGain, 0.5f},  {kInputExtMod2PulseWidth, 0.5f},
    {kInputExtMod2Cutoff, 0.5f},     {kInputExtMod2MgLevel, 0.5f},  {kInputExtMod2VcaGain, 0.5f},
    {kInputVoicesTotal, 0.0f},       {kInputVoicesUnison, 0.0f},    {kInputUnisonSpread, 0.0f},
};

bool IsUsableSampleRate(float rate)
{
    return std::isfinite(rate) && rate > 0.0f;
}

bool IsWithin(std::int32_t value, int max)
{
    return value >= 0 && value <= max;
}

} // namespace

const std::array<CSorlDsp::EventAction, kEventTypeCount> CSorlDsp::kEventActions{
    &CSorlDsp::OnNote,         &CSorlDsp::OnAllNotesOff, &CSorlDsp::OnAllSoundOff, &CSorlDsp::OnArpClockMode,
    &CSorlDsp::OnArpTick,      &CSorlDsp::OnExtModValue, &CSorlDsp::OnMgPhase,
};

std::unique_ptr<CSorlDsp> CSorlDsp::Create(float sampleRate, int voiceCount)
{
    // The engine is a single block; it either exists whole or not at all.
    return std::unique_ptr<CSorlDsp>(new (std::nothrow) CSorlDsp(sampleRate, voiceCount));
}

CSorlDsp::CSorlDsp(float sampleRate, int voiceCount)
    : wavetables_(CSorlWavetables::Shared()), knobCurve_(CSorlKnobTable::KnobCurve()), random_(kRandomSeed)
{
    RebuildRateTables(IsUsableSampleRate(sampleRate) ? sampleRate : kFallbackSampleRate);

    settings_.totalVoices = voiceCount;
    settings_.unisonVoices = 1;
    InitialiseVoiceLayout();

    settings_.masterTune = 1.0f;
    rates_.RebuildFinePitch(settings_.masterTune);
    for (int pitchClass = 0; pitchClass < SorlSettings::kPitchClasses; ++pitchClass) {
        SetTuning(2 + pitchClass, 0.5f);
    }

    ApplyInitialValues();
}

CSorlDsp::~CSorlDsp() = default;

void CSorlDsp::ApplyInitialValues()
{
    for (const InitialValue& initial : kInitialValues) {
        CSorlParameterTable::Apply(*this, initial.input, initial.value);
    }
    arpeggiator_.SetExternalClock(false);
    running_.store(true, std::memory_order_relaxed);
    for (int input = 0; input < SorlSettings::kExtModInputs; ++input) {
        SetExtModSource(input, 0);
    }
    settings_.mgTempoSync = false;
    settings_.mgSyncRate = 0.0f;
    mg_.SetPhase(0.0f);
    output_.SetMute(false);
    output_.SetRampGain(0.0f);
}

void CSorlDsp::Process(float**, float** outputs, std::int32_t frames)
{
    Render<true>(outputs, frames);
}

void CSorlDsp::ProcessReplacing(float**, float** outputs, std::int32_t frames)
{
    Render<false>(outputs, frames);
}

template <bool Accumulate>
void CSorlDsp::Render(float** outputs, std::int32_t frames)
{
    if (frames < 1 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) {
        return;
    }
    float* left = outputs[0];
    float* right = outputs[1];
    for (std::int32_t i = 0; i < frames; ++i) {
        const SorlStereo out = RenderSample(static_cast<std::uint32_t>(i));
        if constexpr (Accumulate) {
            left[i] += out.left;
            right[i] += out.right;
        } else {
            left[i] = out.left;
            right[i] = out.right;
        }
    }
}

SorlStereo CSorlDsp::RenderSample(std::uint32_t index)
{
    events_.Dispatch(index, [this](const SorlEvent& event) { CarryOut(event); });

    // The counter carries across blocks, so control ticks stay four samples apart.
    if (controlCounter_ == 0) {
        RunControlSection();
    }
    controlCounter_ = (controlCounter_ + 1) % kControlPeriod;

    stages_.arpeggiatorClock(*this);
    stages_.modulationGenerator(*this);
    stages_.envelopes(*this);
    if (voices_.NonIdleCount() > 0) {
        stages_.oscillators(*this);
        stages_.filters(*this);
        stages_.amplifierMix(*this);
    } else {
        mix_ = {};
    }
    stages_.effect(*this);
    return output_.Render(controls_.Current(CSorlControlBank::kVolume), controls_.Current(CSorlControlBank::kPan),
                          effectOut_);
}

void CSorlDsp::RunControlSection()
{
    controls_.Smooth();
    stages_.controlRateVoices(*this);
}

void CSorlDsp::SetParameter(std::uint32_t, std::int32_t index, float value)
{
    CSorlParameterTable::Apply(*this, index, value);
}

void CSorlDsp::SetTuning(std::int32_t index, float value)
{
    constexpr std::int32_t kMasterTune = 0;
    constexpr std::int32_t kFirstPitchClass = 2;
    if (index == kMasterTune) {
        // +-20 Hz around 440 Hz.
        settings_.masterTune = (value - 0.5f) * 40.0f / 440.0f + 1.0f;
        rates_.RebuildFinePitch(settings_.masterTune);
    } else if (index >= kFirstPitchClass && index < kFirstPitchClass + SorlSettings::kPitchClasses) {
        // +-99 cents, so that (c + 99) / 198 gives exactly c cents.
        settings_.pitchClassOffset[index - kFirstPitchClass] = 1.98f * value - 0.99f;
    }
}

void CSorlDsp::SetExtModSource(std::int32_t input, std::int32_t source)
{
    if (!IsWithin(input, SorlSettings::kExtModInputs - 1) || !IsWithin(source, kMaxExtModSource)) {
        return;
    }
    settings_.extModSource[input] = source;
    if (source < kFirstGlobalSource) {
        SetExtInputTarget(input, kNeutralInput);
    }
}

void CSorlDsp::QueueExtModValue(std::int32_t input, float value, std::uint32_t sampleOffset)
{
    if (!IsWithin(input, SorlSettings::kExtModInputs - 1)) {
        return;
    }
    Queue(sampleOffset, kEventExtModValue, static_cast<std::uint32_t>(input), std::bit_cast<std::uint32_t>(value));
}

void CSorlDsp::QueueNote(std::uint32_t sampleOffset, std::int32_t key, std::int32_t velocity)
{
    // Keys and velocities index 128-entry tables further on.
    if (!IsWithin(key, kMaxKey) || !IsWithin(velocity, kMaxVelocity)) {
        return;
    }
    Queue(sampleOffset, kEventNote, static_cast<std::uint32_t>(key), static_cast<std::uint32_t>(velocity));
}

void CSorlDsp::QueueNoteOff(std::uint32_t sampleOffset, std::int32_t key, std::int32_t)
{
    QueueNote(sampleOffset, key, 0);
}

void CSorlDsp::QueueAllNotesOff(std::uint32_t sampleOffset)
{
    Queue(sampleOffset, kEventAllNotesOff);
}

void CSorlDsp::QueueAllSoundOff(std::uint32_t sampleOffset)
{
    Queue(sampleOffset, kEventAllSoundOff);
}

void CSorlDsp::QueueArpClockMode(std::uint32_t sampleOffset, bool flag)
{
    Queue(sampleOffset, kEventArpClockMode, flag ? 1u : 0u);
}

void CSorlDsp::QueueArpTick(std::uint32_t sampleOffset)
{
    Queue(sampleOffset, kEventArpTick);
}

void CSorlDsp::QueueMgPhase(float value, std::uint32_t sampleOffset)
{
    if (!(value >= 0.0f && value <= 1.0f)) {
        return;
    }
    Queue(sampleOffset, kEventMgPhase, std::bit_cast<std::uint32_t>(value));
}

void CSorlDsp::Queue(std::uint32_t sampleOffset, SorlEventType type, std::uint32_t a, std::uint32_t b)
{
    events_.Push({sampleOffset, type, a, b});
}

void CSorlDsp::CarryOut(const SorlEvent& event)
{
    if (event.type < kEventActions.size()) {
        (this->*kEventActions[event.type])(event);
    }
}

void CSorlDsp::OnNote(const SorlEvent& event)
{
    const auto key = static_cast<int>(event.a);
    const auto velocity = static_cast<int>(event.b);
    if (velocity != 0) {
        if (settings_.arpOn) {
            arpeggiator_.KeyDown(key, velocity);
        } else if (keyAssign_.Records().ActiveList().Empty()) {
            mg_.RestartDelay(); // a new phrase: the MG waits out its delay again
        }
        keyAssign_.KeyDown(key, velocity);
    } else {
        keyAssign_.KeyUp(key);
    }
}

void CSorlDsp::OnAllNotesOff(const SorlEvent&)
{
    AllNotesOff();
}

void CSorlDsp::OnAllSoundOff(const SorlEvent&)
{
    AllSoundOff();
}

void CSorlDsp::OnArpClockMode(const SorlEvent& event)
{
    arpeggiator_.SetExternalClock(event.a != 0);
}

void CSorlDsp::OnArpTick(const SorlEvent&)
{
    arpeggiator_.Tick();
}

void CSorlDsp::OnExtModValue(const SorlEvent& event)
{
    if (event.a < SorlSettings::kExtModInputs) {
        SetExtInputTarget(static_cast<int>(event.a), std::bit_cast<float>(event.b));
    }
}

void CSorlDsp::OnMgPhase(const SorlEvent& event)
{
    mg_.SetPhase(std::bit_cast<float>(event.a));
}

void CSorlDsp::AllNotesOff()
{
    // A latched arpeggio plays on without the keys.
    if (!(settings_.arpOn && settings_.arpLatch)) {
        arpeggiator_.ResetCounters();
    }
    keyAssign_.AllNotesOff();
}

void CSorlDsp::AllSoundOff()
{
    arpeggiator_.ResetCounters();
    keyAssign_.AllSoundOff();
    controls_.Rest(CSorlControlBank::kExtInput1);
    controls_.Rest(CSorlControlBank::kExtInput2);
}

void CSorlDsp::SelectOscillators()
{
    stages_.oscillators = CSorlVoiceStages::Oscillators(settings_.waveForm, settings_.subOscillator);
}

void CSorlDsp::SelectAmplifierMix()
{
    stages_.amplifierMix = CSorlVoiceStages::AmplifierMix(settings_.vcaMode, settings_.mgDestination == kMgToVca);
}

void CSorlDsp::SelectEffect()
{
    effect_.Select(settings_.fxMode);
}

void CSorlDsp::LimitArpOctave()
{
    arpeggiator_.LimitOctave();
}

void CSorlDsp::ResumeArpAtLastKey()
{
    arpeggiator_.ResumeAtLastKey();
}

void CSorlDsp::RunArpeggiatorClock(CSorlDsp& dsp)
{
    dsp.arpeggiator_.ClockStep(dsp.rates_.arpLampDecrement);
    dsp.arpLamp_.store(dsp.arpeggiator_.Lamp(), std::memory_order_relaxed);
}

void CSorlDsp::RunModulationGenerator(CSorlDsp& dsp)
{
    const SorlSettings& settings = dsp.settings_;
    const CSorlRateTables& rates = dsp.rates_;
    dsp.mg_.Step({settings.mgTempoSync ? settings.mgSyncRate : settings.mgRate, settings.mgDelay,
                  rates.mgDelayFadePole, rates.smoothingPole1ms});
    dsp.mgLamp_.store(dsp.mg_.Lamp(), std::memory_order_relaxed);
}

template <int Mode>
void CSorlDsp::RunEffect(CSorlDsp& dsp)
{
    const CSorlControlBank& bank = dsp.controls_;
    const SorlEffectControls controls{dsp.settings_.effectRate, bank.Current(CSorlControlBank::kEnsembleRate),
                                      bank.Current(CSorlControlBank::kFxSpread) - 1.0f};
    if (dsp.effect_.Process<Mode>(dsp.mix_, controls, dsp.effectOut_)) {
        dsp.stages_.effect = EffectStage(dsp.effect_.ActiveMode());
    }
}

CSorlDsp::Stage CSorlDsp::EffectStage(int mode)
{
    static constexpr std::array<Stage, CSorlEffect::kModeCount> kStages{
        &RunEffect<CSorlEffect::kOff>,
        &RunEffect<CSorlEffect::kChorus>,
        &RunEffect<CSorlEffect::kPhase>,
        &RunEffect<CSorlEffect::kEnsemble>,
    };
    return kStages[std::clamp(mode, 0, CSorlEffect::kModeCount - 1)];
}

void CSorlDsp::SetExtInputTarget(int input, float value)
{
    const float settleInput = settings_.extModSource[input] >= kFirstGlobalSource ? value : kNeutralInput;
    controls_.SetTarget(static_cast<CSorlControlBank::Entry>(CSorlControlBank::kExtInput1 + input), settleInput);
}

void CSorlDsp::Reset()
{
    AllNotesOff();
    AllSoundOff();
    RebuildVoiceLayout();
}

void CSorlDsp::Resume()
{
    Restart(true);
}

void CSorlDsp::Suspend()
{
    Restart(false);
}

void CSorlDsp::Restart(bool running)
{
    Reset();
    random_.Rewind(); // a restarted engine plays its analog offsets from the start

    running_.store(running, std::memory_order_relaxed);
    output_.SetRampGain(0.0f);
    controlCounter_ = 0;
}

void CSorlDsp::SetSampleRate(float rate)
{
    if (IsUsableSampleRate(rate)) {
        RebuildRateTables(rate);
    }
}

void CSorlDsp::RebuildRateTables(float rate)
{
    // Values handlers looked up earlier stay as they are until their
    // parameters are sent again.
    sampleRate_ = rate;
    rates_.Rebuild(rate, knobCurve_, settings_.masterTune);
    random_.Refill();
    controlCounter_ = 0;
    output_.SetSampleRate(rate);
    controls_.SetSampleRate(rate);
}

void CSorlDsp::RebuildVoiceLayout()
{
    keyAssign_.RebuildLayout();
    // Queued notes were meant for the old layout.
    events_.Clear();
}

void CSorlDsp::InitialiseVoiceLayout()
{
    RebuildVoiceLayout();
    keyAssign_.ClearKeyTables();
    arpeggiator_.ResetCounters();
    effect_.Reset();
    stages_.effect = EffectStage(effect_.ActiveMode());
    controls_.RestAll();
}

void CSorlDsp::SetChordMemory(const void* entries, std::int32_t count)
{
    keyAssign_.ChordMemory().Load(entries, count);
}

std::int32_t CSorlDsp::GetChordMemory(void* entries) const
{
    return keyAssign_.ChordMemory().Save(entries);
}

void CSorlDsp::SetMgTempoSync(bool flag)
{
    settings_.mgTempoSync = flag;
}

void CSorlDsp::SetMgSyncRate(float increment)
{
    if (increment >= -kMaxMgSyncRate && increment <= kMaxMgSyncRate) {
        settings_.mgSyncRate = increment;
    }
}

std::uint32_t CSorlDsp::GetVersion() const
{
    return kVersion;
}

void CSorlDsp::SetMute(bool flag)
{
    output_.SetMute(flag);
}

bool CSorlDsp::IsSounding() const
{
    return voices_.NonIdleCount() > 0;
}

float CSorlDsp::GetLedState(int which) const
{
    if (!running_.load(std::memory_order_relaxed)) {
        return 0.0f;
    }
    switch (which) {
    case 0:
        return mgLamp_.load(std::memory_order_relaxed);
    case 1:
        return arpLamp_.load(std::memory_order_relaxed);
    default:
        return 0.0f;
    }
}
