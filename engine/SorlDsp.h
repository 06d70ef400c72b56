// The instrument's engine: renders the stereo output one sample at a time
// through a fixed chain of replaceable stage functions, carrying out queued
// events at their sample and smoothing controls every fourth sample.
// Everything it needs is part of the object, so nothing is allocated after
// construction.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "M4417Dsp.h"
#include "SorlAmplifier.h"
#include "SorlArpeggiator.h"
#include "SorlControlBank.h"
#include "SorlEffect.h"
#include "SorlEventQueue.h"
#include "SorlExtMod.h"
#include "SorlKeyAssign.h"
#include "SorlKnobTable.h"
#include "SorlModulationGenerator.h"
#include "SorlOscillator.h"
#include "SorlOscillatorPwm.h"
#include "SorlOutputStage.h"
#include "SorlRandomTable.h"
#include "SorlRateTables.h"
#include "SorlSettings.h"
#include "SorlStereo.h"
#include "SorlVcaTable.h"
#include "SorlVoiceStages.h"
#include "SorlVoices.h"
#include "SorlWavetables.h"

class CSorlDsp final : public CM4417Dsp {
public:
    static constexpr std::uint32_t kVersion = 0x31313030; // the bytes "0011"

    // Null when the engine's memory cannot be reserved.
    static std::unique_ptr<CSorlDsp> Create(float sampleRate, int voiceCount);

    CSorlDsp(float sampleRate, int voiceCount);
    ~CSorlDsp() override;

    CSorlDsp(const CSorlDsp&) = delete;
    CSorlDsp& operator=(const CSorlDsp&) = delete;

    void Process(float** inputs, float** outputs, std::int32_t frames) override;
    void ProcessReplacing(float** inputs, float** outputs, std::int32_t frames) override;
    void SetParameter(std::uint32_t sampleOffset, std::int32_t index, float value) override;
    void SetTuning(std::int32_t index, float value) override;
    void SetExtModSource(std::int32_t input, std::int32_t source) override;
    void QueueExtModValue(std::int32_t input, float value, std::uint32_t sampleOffset) override;
    void QueueNote(std::uint32_t sampleOffset, std::int32_t key, std::int32_t velocity) override;
    void QueueNoteOff(std::uint32_t sampleOffset, std::int32_t key, std::int32_t velocity) override;
    void QueueAllNotesOff(std::uint32_t sampleOffset) override;
    void QueueAllSoundOff(std::uint32_t sampleOffset) override;
    void Reset() override;
    void Resume() override;
    void Suspend() override;
    void SetSampleRate(float rate) override;
    void SetMgTempoSync(bool flag) override;
    void SetMgSyncRate(float increment) override;
    std::uint32_t GetVersion() const override;
    void SetMute(bool flag) override;
    bool IsSounding() const override;

    void QueueArpClockMode(std::uint32_t sampleOffset, bool flag);
    void QueueArpTick(std::uint32_t sampleOffset);
    void QueueMgPhase(float value, std::uint32_t sampleOffset);
    // 0: MG lamp level, 1: arpeggiator lamp; 0 while suspended. Safe to call
    // from another thread.
    float GetLedState(int which) const;

    // The chord memory goes in and out as 8-byte entries whose first byte is
    // the note offset and second the velocity offset (both signed), the
    // layout of the program record. Set copies min(count, 128) entries and
    // ignores a null source or a count below 1; the chord played changes
    // with the next voice layout rebuild. Get writes all 128 entries,
    // touching only their first two bytes, and returns 128 (0 for null).
    void SetChordMemory(const void* entries, std::int32_t count);
    std::int32_t GetChordMemory(void* entries) const;

    // Read-only views of the engine's state.
    float SampleRate() const { return sampleRate_; }
    const SorlSettings& Settings() const { return settings_; }
    const CSorlControlBank& Controls() const { return controls_; }
    const CSorlRateTables& RateTables() const { return rates_; }
    const CSorlOutputStage& Output() const { return output_; }
    std::uint32_t PendingEventCount() const { return events_.Count(); }
    bool ArpExternalClock() const { return arpeggiator_.ExternalClock(); }
    bool ArpTickPending() const { return arpeggiator_.TickPending(); }
    float MgPhase() const { return mg_.Phase(); }
    const CSorlModulationGenerator& ModulationGenerator() const { return mg_; }
    const CSorlArpeggiator& Arpeggiator() const { return arpeggiator_; }
    const CSorlEffect& Effect() const { return effect_; }
    SorlVoiceView Voice(int voice) const { return voices_.View(voice); }
    const SorlVoiceLayout& VoiceLayout() const { return voices_.Layout(); }
    int NonIdleVoices() const { return voices_.NonIdleCount(); }
    const CSorlKeyRecords& KeyRecords() const { return keyAssign_.Records(); }
    const SorlKeyTables& Keys() const { return keyAssign_.Keys(); }

private:
    friend class CSorlParameterTable;
    friend class CSorlVoiceStages;

    using Stage = void (*)(CSorlDsp&);
    using EventAction = void (CSorlDsp::*)(const SorlEvent&);

    static void RunArpeggiatorClock(CSorlDsp& dsp);
    static void RunModulationGenerator(CSorlDsp& dsp);
    template <int Mode>
    static void RunEffect(CSorlDsp& dsp);
    static Stage EffectStage(int mode);

    // The per-sample chain; parameter handlers swap variants in.
    struct Stages {
        Stage controlRateVoices = CSorlVoiceStages::ControlRateVoices;
        Stage arpeggiatorClock = RunArpeggiatorClock;
        Stage modulationGenerator = RunModulationGenerator;
        Stage envelopes = CSorlVoiceStages::Envelopes;
        Stage oscillators = CSorlVoiceStages::Oscillators(CSorlOscillator::kSaw, 0);
        Stage filters = CSorlVoiceStages::Filters;
        Stage amplifierMix = CSorlVoiceStages::AmplifierMix(1, false); // EG mode
        Stage effect = RunEffect<CSorlEffect::kOff>;
    };

    static const std::array<EventAction, kEventTypeCount> kEventActions;

    template <bool Accumulate>
    void Render(float** outputs, std::int32_t frames);
    SorlStereo RenderSample(std::uint32_t index);
    void RunControlSection();

    void Queue(std::uint32_t sampleOffset, SorlEventType type, std::uint32_t a = 0, std::uint32_t b = 0);
    void CarryOut(const SorlEvent& event);
    void OnNote(const SorlEvent& event);
    void OnAllNotesOff(const SorlEvent& event);
    void OnAllSoundOff(const SorlEvent& event);
    void OnArpClockMode(const SorlEvent& event);
    void OnArpTick(const SorlEvent& event);
    void OnExtModValue(const SorlEvent& event);
    void OnMgPhase(const SorlEvent& event);

    void AllNotesOff();
    void AllSoundOff();

    // Called by the handlers of switches the engine acts on at once: the
    // stage variants, the effect's cross-fade and the arpeggiator's scan.
    void SelectOscillators();
    void SelectAmplifierMix();
    void SelectEffect();
    void LimitArpOctave();
    void ResumeArpAtLastKey();

    void SetExtInputTarget(int input, float value);
    void RebuildRateTables(float rate);
    void RebuildVoiceLayout();
    void InitialiseVoiceLayout();
    void ApplyInitialValues();
    void Restart(bool running);

    float sampleRate_ = 0.0f;
    const CSorlWavetables& wavetables_;
    Stages stages_;
    CSorlControlBank controls_;
    CSorlEventQueue events_;
    CSorlKnobTable knobCurve_;
    CSorlRateTables rates_;
    CSorlRandomTable random_;
    CSorlOutputStage output_;
    SorlSettings settings_;
    CSorlExtMod extMod_{settings_, controls_};
    CSorlVoices voices_{settings_, extMod_, random_, rates_.filter};
    CSorlKeyAssign keyAssign_{settings_, voices_};
    CSorlModulationGenerator mg_;
    CSorlArpeggiator arpeggiator_{settings_, keyAssign_, voices_, mg_};
    CSorlEffect effect_{rates_};
    CSorlVcaTable vca_;
    CSorlOscillatorPwm pwm_;

    // Values shared by all voices, set at control rate.
    SorlOscillatorFrame oscillatorFrame_;
    SorlAmplifierFrame amplifierFrame_;

    SorlStereo mix_;
    SorlStereo effectOut_;
    int controlCounter_ = 0;

    // Read by the editor's thread through GetLedState.
    std::atomic<bool> running_{false};
    std::atomic<float> mgLamp_{0.0f};
    std::atomic<float> arpLamp_{0.0f};
};
