#include <array>
#include <cmath>
#include <limits>

#include "EngineFixture.h"
#include "SorlParameterTable.h"

namespace {

using Bank = CSorlControlBank;

struct DecodeCase {
    SorlEngineInput input;
    float value;
    int SorlSettings::*field;
    int expected;
};

TEST_F(EngineTest, SelectorsDecodeByThresholds)
{
    const DecodeCase cases[] = {
        {kInputVcoOctave, 0.2499f, &SorlSettings::octaveOffset, -12},
        {kInputVcoOctave, 0.25f, &SorlSettings::octaveOffset, 0},
        {kInputVcoOctave, 0.75f, &SorlSettings::octaveOffset, 12},
        {kInputWaveForm, 0.1f, &SorlSettings::waveForm, 0},
        {kInputWaveForm, 0.5f, &SorlSettings::waveForm, 1},
        {kInputWaveForm, 1.0f, &SorlSettings::waveForm, 2},
        {kInputSubOsc, 0.0f, &SorlSettings::subOscillator, 2},
        {kInputSubOsc, 0.5f, &SorlSettings::subOscillator, 1},
        {kInputSubOsc, 0.8f, &SorlSettings::subOscillator, 0},
        {kInputVcaMode, 0.49f, &SorlSettings::vcaMode, 0},
        {kInputVcaMode, 0.5f, &SorlSettings::vcaMode, 1},
        {kInputVcaAttenuator, 0.0f, &SorlSettings::attenuatorStep, 0},
        {kInputVcaAttenuator, 0.05f, &SorlSettings::attenuatorStep, 1},
        {kInputVcaAttenuator, 0.5f, &SorlSettings::attenuatorStep, 5},
        {kInputVcaAttenuator, 0.95f, &SorlSettings::attenuatorStep, 10},
        {kInputArpRange, 0.0f, &SorlSettings::arpRange, 1},
        {kInputArpRange, 0.5f, &SorlSettings::arpRange, 2},
        {kInputArpRange, 1.0f, &SorlSettings::arpRange, 6},
        {kInputArpMode, 0.0f, &SorlSettings::arpMode, 2},
        {kInputArpMode, 0.5f, &SorlSettings::arpMode, 1},
        {kInputArpMode, 1.0f, &SorlSettings::arpMode, 0},
        {kInputMgDestination, 0.0f, &SorlSettings::mgDestination, 2},
        {kInputMgDestination, 0.5f, &SorlSettings::mgDestination, 1},
        {kInputMgDestination, 1.0f, &SorlSettings::mgDestination, 0},
        {kInputFxMode, 0.16f, &SorlSettings::fxMode, 0},
        {kInputFxMode, 0.16667f, &SorlSettings::fxMode, 1},
        {kInputFxMode, 0.5f, &SorlSettings::fxMode, 2},
        {kInputFxMode, 0.9f, &SorlSettings::fxMode, 3},
        {kInputTranspose, 0.0f, &SorlSettings::transpose, -24},
        {kInputTranspose, 0.5f, &SorlSettings::transpose, 0},
        {kInputTranspose, 0.51f, &SorlSettings::transpose, 0},
        {kInputTranspose, 0.52f, &SorlSettings::transpose, 1},
        {kInputTranspose, 1.0f, &SorlSettings::transpose, 24},
        {kInputVoicesTotal, 0.0f, &SorlSettings::totalVoices, 1},
        {kInputVoicesTotal, 5.0f / 32.0f, &SorlSettings::totalVoices, 6},
        {kInputVoicesTotal, 1.0f, &SorlSettings::totalVoices, 33},
        {kInputVoicesUnison, 0.0f, &SorlSettings::unisonVoices, 1},
        {kInputVoicesUnison, 1.0f / 16.0f, &SorlSettings::unisonVoices, 2},
        {kInputKeyAssignChord, 1.0f, &SorlSettings::keyAssign, kKeyAssignChord},
        {kInputKeyAssignPoly, 0.4f, &SorlSettings::keyAssign, kKeyAssignChord},
        {kInputKeyAssignUnison, 0.5f, &SorlSettings::keyAssign, kKeyAssignUnison},
        {kInputKeyAssignPoly, 1.0f, &SorlSettings::keyAssign, kKeyAssignPoly},
    };
    for (const DecodeCase& c : cases) {
        engine->SetParameter(0, c.input, c.value);
        EXPECT_EQ(engine->Settings().*c.field, c.expected) << "input " << c.input << " value " << c.value;
    }
}

TEST_F(EngineTest, SwitchesTurnOnAtOneHalf)
{
    const std::pair<SorlEngineInput, bool SorlSettings::*> switches[] = {
        {kInputArpLatch, &SorlSettings::arpLatch}, {kInputArpeggio, &SorlSettings::arpOn}, {kInputHold, &SorlSettings::hold}};
    for (const auto& [input, field] : switches) {
        engine->SetParameter(0, input, 0.5f);
        EXPECT_TRUE(engine->Settings().*field) << "input " << input;
        engine->SetParameter(0, input, 0.4999f);
        EXPECT_FALSE(engine->Settings().*field) << "input " << input;
    }
}

TEST_F(EngineTest, ContinuousValuesAreStored)
{
    engine->SetParameter(0, kInputAnalog, 0.3f);
    engine->SetParameter(0, kInputUnisonDetune, 0.7f);
    EXPECT_EQ(engine->Settings().analogAmount, 0.3f);
    EXPECT_EQ(engine->Settings().unisonDetune, 0.7f);
}

TEST_F(EngineTest, ControlInputsSetTheirEntryTargets)
{
    const std::pair<SorlEngineInput, Bank::Entry> mapping[] = {
        {kInputVolume, Bank::kVolume},
        {kInputTune, Bank::kTune},
        {kInputPwmAdjust, Bank::kPulseWidth},
        {kInputCutoff, Bank::kCutoff},
        {kInputResonance, Bank::kResonance},
        {kInputEgIntensity, Bank::kEgIntensity},
        {kInputKbdTrack, Bank::kKbdTrack},
        {kInputPitchBendRange, Bank::kPitchBendRange},
        {kInputMgLevel, Bank::kMgLevel},
        {kInputFxSpeed, Bank::kEnsembleRate},
        {kInputPitchBend, Bank::kPitchBend},
        {kInputModulation, Bank::kModulationWheel},
        {kInputPan, Bank::kPan},
        {kInputExtMod1PulseWidth, Bank::kExtMod1PulseWidth},
        {kInputExtMod1Cutoff, Bank::kExtMod1Cutoff},
        {kInputExtMod1MgLevel, Bank::kExtMod1MgLevel},
        {kInputExtMod1VcaGain, Bank::kExtMod1VcaGain},
        {kInputExtMod2PulseWidth, Bank::kExtMod2PulseWidth},
        {kInputExtMod2Cutoff, Bank::kExtMod2Cutoff},
        {kInputExtMod2MgLevel, Bank::kExtMod2MgLevel},
        {kInputExtMod2VcaGain, Bank::kExtMod2VcaGain},
        {kInputVibratoInt, Bank::kVibratoInt},
        {kInputFxSpread, Bank::kFxSpread},
        {kInputUnisonSpread, Bank::kUnisonSpread},
    };
    Bank reference;
    reference.SetSampleRate(kSampleRate);
    for (const auto& [input, entry] : mapping) {
        engine->SetParameter(0, input, 0.3f);
        reference.SetTarget(entry, 0.3f);
        EXPECT_EQ(Target(entry), reference.Target(entry)) << "input " << input;
    }
}

TEST_F(EngineTest, SustainAndAttenuatorTargetsComeFromTheirTables)
{
    engine->SetParameter(0, kInputEgSustain, 0.25f);
    EXPECT_FLOAT_EQ(Target(Bank::kSustain), 0.0125f);
    engine->SetParameter(0, kInputEgSustain, 0.0f);
    EXPECT_FLOAT_EQ(Target(Bank::kSustain), 0.01f * 1.00001f);

    engine->SetParameter(0, kInputVcaAttenuator, 0.0f);
    EXPECT_FLOAT_EQ(Target(Bank::kAttenuatorGain), 0.01f * 0.31622776f);
    engine->SetParameter(0, kInputVcaAttenuator, 1.0f);
    EXPECT_FLOAT_EQ(Target(Bank::kAttenuatorGain), 0.01f * 3.1622777f);
}

struct LookupCase {
    SorlEngineInput input;
    float SorlSettings::*field;
    CSorlKnobTable CSorlRateTables::*table;
};

constexpr LookupCase kLookups[] = {
    {kInputPwmSpeed, &SorlSettings::pwmRate, &CSorlRateTables::pwmRate},
    {kInputArpSpeed, &SorlSettings::arpRate, &CSorlRateTables::arpSpeed},
    {kInputMgFrequency, &SorlSettings::mgRate, &CSorlRateTables::mgRate},
    {kInputMgDelay, &SorlSettings::mgDelay, &CSorlRateTables::mgDelay},
    {kInputEgAttack, &SorlSettings::attackRate, &CSorlRateTables::egAttackRate},
    {kInputEgDecay, &SorlSettings::decayRate, &CSorlRateTables::egDecayRate},
    {kInputEgRelease, &SorlSettings::releaseRate, &CSorlRateTables::egReleaseRate},
    {kInputFxSpeed, &SorlSettings::effectRate, &CSorlRateTables::effectSpeed},
};

TEST_F(EngineTest, RateInputsLookUpTheirTables)
{
    for (const LookupCase& c : kLookups) {
        for (const float value : {0.0f, 0.37f, 1.0f}) {
            engine->SetParameter(0, c.input, value);
            EXPECT_EQ(engine->Settings().*c.field, (engine->RateTables().*c.table).Lookup(value))
                << "input " << c.input << " value " << value;
        }
    }
}

TEST_F(EngineTest, SampleRateChangeKeepsLookedUpValuesUntilSentAgain)
{
    for (const LookupCase& c : kLookups) {
        engine->SetParameter(0, c.input, 0.6f);
    }
    engine->SetParameter(0, kInputFxSpeed, 0.6f);
    const SorlSettings before = engine->Settings();
    const float ensembleTarget = Target(Bank::kEnsembleRate);

    engine->SetSampleRate(48000.0f);
    for (const LookupCase& c : kLookups) {
        EXPECT_EQ(engine->Settings().*c.field, before.*c.field) << "input " << c.input;
    }
    EXPECT_EQ(Target(Bank::kEnsembleRate), ensembleTarget);

    engine->SetParameter(0, kInputMgFrequency, 0.6f);
    EXPECT_NEAR(engine->Settings().mgRate, before.mgRate * 44100.0f / 48000.0f, 1e-9f);
    engine->SetParameter(0, kInputFxSpeed, 0.6f);
    EXPECT_FLOAT_EQ(Target(Bank::kEnsembleRate), ensembleTarget * 48000.0f / 44100.0f);
}

TEST_F(EngineTest, OutputSwitchSetsTheLevel)
{
    const std::pair<float, float> cases[] = {{0.0f, 0.0f}, {0.2499f, 0.0f}, {0.25f, 0.090909f}, {0.75f, 1.0f}};
    for (const auto& [value, level] : cases) {
        engine->SetParameter(0, kInputOutputSwitch, value);
        EXPECT_EQ(engine->Output().Level(), level) << "value " << value;
    }
}

TEST_F(EngineTest, InputsOutsideTheTableAndUnusedInputsChangeNothing)
{
    auto targets = [&] {
        std::array<float, Bank::kCount> all{};
        for (int entry = 0; entry < Bank::kCount; ++entry) {
            all[entry] = Target(static_cast<Bank::Entry>(entry));
        }
        return all;
    };
    const auto before = targets();
    const SorlSettings settings = engine->Settings();
    for (const std::int32_t input : {-1, 17, 30, 33, 38, 44, 52, 70, 1000, std::numeric_limits<std::int32_t>::min()}) {
        engine->SetParameter(0, input, 0.9f);
    }
    EXPECT_EQ(targets(), before);
    EXPECT_EQ(engine->Settings().waveForm, settings.waveForm);
    EXPECT_EQ(engine->Settings().totalVoices, settings.totalVoices);
    EXPECT_EQ(engine->Settings().fxMode, settings.fxMode);
    EXPECT_EQ(engine->Output().Level(), 1.0f);
}

TEST_F(EngineTest, ConstructionLeavesOneVoiceAndPolyUntilThePlugInSendsItsValues)
{
    const SorlSettings& s = engine->Settings();
    EXPECT_EQ(s.totalVoices, 1);
    EXPECT_EQ(s.unisonVoices, 1);
    EXPECT_EQ(s.keyAssign, kKeyAssignPoly);
    EXPECT_EQ(s.vcaMode, 1);
    EXPECT_EQ(s.attenuatorStep, 5);
    EXPECT_EQ(s.masterTune, 1.0f);
    for (const float offset : s.pitchClassOffset) {
        EXPECT_EQ(offset, 0.0f);
    }
    EXPECT_FLOAT_EQ(Target(Bank::kExtInput1), 0.015f);
    EXPECT_FLOAT_EQ(Target(Bank::kExtInput2), 0.015f);
    EXPECT_FLOAT_EQ(Target(Bank::kAttenuatorGain), 0.01f);
    EXPECT_EQ(engine->Output().Level(), 1.0f);
    EXPECT_FALSE(engine->Output().Muted());
    EXPECT_EQ(engine->Output().RampGain(), 0.0f);
}

TEST_F(EngineTest, TuningOffsetsAndMasterTune)
{
    const std::pair<float, float> offsets[] = {{0.0f, -0.99f}, {0.5f, 0.0f}, {1.0f, 0.99f}, {(99.0f + 50.0f) / 198.0f, 0.5f}};
    for (int pitchClass = 0; pitchClass < 12; ++pitchClass) {
        for (const auto& [value, semitones] : offsets) {
            engine->SetTuning(2 + pitchClass, value);
            EXPECT_NEAR(engine->Settings().pitchClassOffset[pitchClass], semitones, 1e-6f);
        }
    }
    engine->SetTuning(2 + 4, 0.5f);
    EXPECT_EQ(engine->Settings().pitchClassOffset[4], 0.0f) << "0.5 is exactly no offset";

    engine->SetTuning(0, 1.0f);
    EXPECT_FLOAT_EQ(engine->Settings().masterTune, 460.0f / 440.0f);
    EXPECT_FLOAT_EQ(engine->RateTables().finePitch[0], 460.0f / 440.0f);
    engine->SetTuning(0, 0.0f);
    EXPECT_FLOAT_EQ(engine->RateTables().finePitch[0], 420.0f / 440.0f);

    const SorlSettings before = engine->Settings();
    for (const std::int32_t index : {-1, 1, 14, 99}) {
        engine->SetTuning(index, 0.9f);
    }
    EXPECT_EQ(engine->Settings().masterTune, before.masterTune);
    EXPECT_EQ(engine->Settings().pitchClassOffset, before.pitchClassOffset);
}

TEST_F(EngineTest, MgSyncRateOutsideHalfACycleIsIgnored)
{
    engine->SetMgSyncRate(0.001f);
    engine->SetMgSyncRate(0.6f);
    engine->SetMgSyncRate(-0.51f);
    engine->SetMgSyncRate(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(engine->Settings().mgSyncRate, 0.001f);
    engine->SetMgSyncRate(-0.5f);
    EXPECT_EQ(engine->Settings().mgSyncRate, -0.5f);
    engine->SetMgTempoSync(true);
    EXPECT_TRUE(engine->Settings().mgTempoSync);
}

} // namespace
