#include "SorlParameterTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "SorlDsp.h"
#include "SorlSwitchPosition.h"

namespace {

using Control = CSorlControlBank::Entry;

constexpr float kSwitchOn = 0.5f;
constexpr std::array<float, 1> kTwoWay{0.5f};
constexpr std::array<float, 2> kThreeWay{0.25f, 0.75f};
constexpr std::array<float, 3> kFxModeThresholds{0.16667f, 0.5f, 0.83333f};
constexpr std::array<float, 10> kAttenuatorThresholds{0.05f, 0.15f, 0.25f, 0.35f, 0.45f,
                                                      0.55f, 0.65f, 0.75f, 0.85f, 0.95f};

// A selector decoded into a settings field: the value stores the entry of
// positions picked by how many thresholds it reaches.
struct Choice {
    int SorlSettings::*field;
    std::span<const float> thresholds;
    std::array<int, 4> positions;
};

constexpr Choice kOctave{&SorlSettings::octaveOffset, kThreeWay, {-12, 0, 12}};
constexpr Choice kWaveForm{&SorlSettings::waveForm, kThreeWay, {0, 1, 2}};
constexpr Choice kSubOsc{&SorlSettings::subOscillator, kThreeWay, {2, 1, 0}};
constexpr Choice kVcaMode{&SorlSettings::vcaMode, kTwoWay, {0, 1}};
constexpr Choice kArpRange{&SorlSettings::arpRange, kThreeWay, {1, 2, 6}};
constexpr Choice kArpMode{&SorlSettings::arpMode, kThreeWay, {2, 1, 0}};
constexpr Choice kMgDestination{&SorlSettings::mgDestination, kThreeWay, {2, 1, 0}};
constexpr Choice kFxMode{&SorlSettings::fxMode, kFxModeThresholds, {0, 1, 2, 3}};

// Counts derived from a value must not come from a NaN or an out-of-range
// float, whose conversion to int is undefined.
float UnitRange(float value)
{
    return value >= 0.0f ? std::min(value, 1.0f) : 0.0f;
}

} // namespace

struct CSorlParameterTable::Handlers {
    using Handler = void (*)(CSorlDsp&, float);

    static const std::array<Handler, kInputCount> kTable;

    static void None(CSorlDsp&, float) {}

    template <Control Entry>
    static void SetControl(CSorlDsp& dsp, float value)
    {
        dsp.controls_.SetTarget(Entry, value);
    }

    template <const Choice& Selector>
    static void Choose(CSorlDsp& dsp, float value)
    {
        dsp.settings_.*Selector.field = Selector.positions[SorlSwitchPosition(value, Selector.thresholds)];
    }

    // A selector whose setting the engine acts on at once, for instance by
    // picking a stage variant.
    template <const Choice& Selector, void (CSorlDsp::*Select)()>
    static void ChooseVariant(CSorlDsp& dsp, float value)
    {
        Choose<Selector>(dsp, value);
        (dsp.*Select)();
    }

    template <float SorlSettings::*Field, CSorlKnobTable CSorlRateTables::*Table>
    static void LookUp(CSorlDsp& dsp, float value)
    {
        dsp.settings_.*Field = (dsp.rates_.*Table).Lookup(value);
    }

    template <SorlKeyAssign Mode>
    static void KeyAssign(CSorlDsp& dsp, float value)
    {
        if (value >= kSwitchOn) {
            dsp.keyAssign_.SelectMode(Mode);
        }
    }

    static void Arpeggio(CSorlDsp& dsp, float value)
    {
        dsp.arpeggiator_.SetOn(value >= kSwitchOn);
    }

    static void ArpLatch(CSorlDsp& dsp, float value)
    {
        dsp.arpeggiator_.SetLatch(value >= kSwitchOn);
    }

    static void Hold(CSorlDsp& dsp, float value)
    {
        dsp.keyAssign_.SetHold(value >= kSwitchOn);
    }

    static void OutputSwitch(CSorlDsp& dsp, float value)
    {
        dsp.output_.SetOutputSwitch(value);
    }

    static void VcaAttenuator(CSorlDsp& dsp, float value)
    {
        const int step = SorlSwitchPosition(value, kAttenuatorThresholds);
        dsp.settings_.attenuatorStep = step;
        dsp.controls_.SetTarget(CSorlControlBank::kAttenuatorGain, dsp.rates_.attenuatorGain[step]);
    }

    static void EgSustain(CSorlDsp& dsp, float value)
    {
        dsp.controls_.SetTarget(CSorlControlBank::kSustain, dsp.rates_.egSustainLevel.Lookup(value));
    }

    static void FxSpeed(CSorlDsp& dsp, float value)
    {
        LookUp<&SorlSettings::effectRate, &CSorlRateTables::effectSpeed>(dsp, value);
        SetControl<CSorlControlBank::kEnsembleRate>(dsp, value);
    }

    static void Transpose(CSorlDsp& dsp, float value)
    {
        const int steps = static_cast<int>(std::floor(48.0f * UnitRange(value) + 0.5f));
        dsp.settings_.transpose = std::min(steps, 48) - 24;
    }

    static void Analog(CSorlDsp& dsp, float value)
    {
        dsp.settings_.analogAmount = value;
    }

    static void UnisonDetune(CSorlDsp& dsp, float value)
    {
        dsp.keyAssign_.SetUnisonDetune(value);
    }

    static void VoicesTotal(CSorlDsp& dsp, float value)
    {
        dsp.settings_.totalVoices = static_cast<int>(32.0f * UnitRange(value) + 1.0f);
        dsp.RebuildVoiceLayout();
    }

    static void VoicesUnison(CSorlDsp& dsp, float value)
    {
        dsp.settings_.unisonVoices = static_cast<int>(16.0f * UnitRange(value) + 1.0f);
        dsp.RebuildVoiceLayout();
    }
};

const std::array<CSorlParameterTable::Handlers::Handler, kInputCount> CSorlParameterTable::Handlers::kTable =
    std::to_array<Handler>({
        SetControl<CSorlControlBank::kVolume>,                               // 0 Volume
        SetControl<CSorlControlBank::kTune>,                                 // 1 Tune
        Choose<kOctave>,                                                     // 2 VCO Octave
        ChooseVariant<kWaveForm, &CSorlDsp::SelectOscillators>,              // 3 VCO Wave Form
        SetControl<CSorlControlBank::kPulseWidth>,                           // 4 VCO PWM Adjust
        LookUp<&SorlSettings::pwmRate, &CSorlRateTables::pwmRate>,           // 5 VCO PWM Speed
        ChooseVariant<kSubOsc, &CSorlDsp::SelectOscillators>,                // 6 VCO Sub Osc
        SetControl<CSorlControlBank::kCutoff>,                               // 7 VCF Cutoff
        SetControl<CSorlControlBank::kResonance>,                            // 8 VCF Resonance
        SetControl<CSorlControlBank::kEgIntensity>,                          // 9 VCF EG Intensity
        SetControl<CSorlControlBank::kKbdTrack>,                             // 10 VCF Kbd Track
        ChooseVariant<kVcaMode, &CSorlDsp::SelectAmplifierMix>,              // 11 VCA Mode
        VcaAttenuator,                                                       // 12 VCA Attenuator
        LookUp<&SorlSettings::arpRate, &CSorlRateTables::arpSpeed>,          // 13 Arp Speed
        ChooseVariant<kArpRange, &CSorlDsp::LimitArpOctave>,                 // 14 Arp Range
        ChooseVariant<kArpMode, &CSorlDsp::ResumeArpAtLastKey>,              // 15 Arp Mode
        ArpLatch,                                                            // 16 Arp Latch
        None,                                                                // 17
        OutputSwitch,                                                        // 18 Output Switch
        SetControl<CSorlControlBank::kPitchBendRange>,                       // 19 Pitch Bend Range
        LookUp<&SorlSettings::mgRate, &CSorlRateTables::mgRate>,             // 20 MG Frequency
        LookUp<&SorlSettings::mgDelay, &CSorlRateTables::mgDelay>,           // 21 MG Delay Time
        SetControl<CSorlControlBank::kMgLevel>,                              // 22 MG Level
        ChooseVariant<kMgDestination, &CSorlDsp::SelectAmplifierMix>,        // 23 MG Destination
        LookUp<&SorlSettings::attackRate, &CSorlRateTables::egAttackRate>,   // 24 EG Attack
        LookUp<&SorlSettings::decayRate, &CSorlRateTables::egDecayRate>,     // 25 EG Decay
        EgSustain,                                                           // 26 EG Sustain
        LookUp<&SorlSettings::releaseRate, &CSorlRateTables::egReleaseRate>, // 27 EG Release
        ChooseVariant<kFxMode, &CSorlDsp::SelectEffect>,                     // 28 FX Mode
        FxSpeed,                                                             // 29 FX Speed
        None,                                                                // 30
        SetControl<CSorlControlBank::kPitchBend>,                            // 31 Pitch Bend
        SetControl<CSorlControlBank::kModulationWheel>,                      // 32 Modulation
        None, None, None, None, None, None,                                  // 33..38
        Arpeggio,                                                            // 39 Arpeggio
        Hold,                                                                // 40 Hold
        KeyAssign<kKeyAssignChord>,                                          // 41 Key Assign = Chord
        KeyAssign<kKeyAssignUnison>,                                         // 42 Key Assign = Unison
        KeyAssign<kKeyAssignPoly>,                                           // 43 Key Assign = Poly
        None, None, None, None, None, None, None, None, None,                // 44..52
        SetControl<CSorlControlBank::kPan>,                                  // 53 Pan
        Transpose,                                                           // 54 Transpose
        Analog,                                                              // 55 Analog
        UnisonDetune,                                                        // 56 Unison Detune
        SetControl<CSorlControlBank::kExtMod1PulseWidth>,                    // 57 Ext.Mod.1 > VCO PW
        SetControl<CSorlControlBank::kExtMod1Cutoff>,                        // 58 Ext.Mod.1 > VCF Cutoff
        SetControl<CSorlControlBank::kExtMod1MgLevel>,                       // 59 Ext.Mod.1 > MG Level
        SetControl<CSorlControlBank::kExtMod1VcaGain>,                       // 60 Ext.Mod.1 > VCA Gain
        SetControl<CSorlControlBank::kExtMod2PulseWidth>,                    // 61 Ext.Mod.2 > VCO PW
        SetControl<CSorlControlBank::kExtMod2Cutoff>,                        // 62 Ext.Mod.2 > VCF Cutoff
        SetControl<CSorlControlBank::kExtMod2MgLevel>,                       // 63 Ext.Mod.2 > MG Level
        SetControl<CSorlControlBank::kExtMod2VcaGain>,                       // 64 Ext.Mod.2 > VCA Gain
        VoicesTotal,                                                         // 65 Voices Total
        VoicesUnison,                                                        // 66 Voices Unison
        SetControl<CSorlControlBank::kVibratoInt>,                           // 67 Vibrato Int
        SetControl<CSorlControlBank::kFxSpread>,                             // 68 FX Spread
        SetControl<CSorlControlBank::kUnisonSpread>,                         // 69 Unison Spread
    });

void CSorlParameterTable::Apply(CSorlDsp& dsp, std::int32_t input, float value)
{
    if (input < 0 || input >= kInputCount) {
        return;
    }
    Handlers::kTable[input](dsp, value);
}
