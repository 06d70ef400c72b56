#include "SorlControlBank.h"

#include <algorithm>

namespace {

constexpr float kTargetScale = 0.01f;
constexpr float kPole = 0.99f;
// Keeps pulse widths away from zero at the top of the knob.
constexpr float kWidthLimit = 0.99999f;

using Formula = float (*)(float x, float sampleRate);

// The value an entry settles at for handler input x, and the input whose
// value the entry rests at after the voice layout is initialised.
struct Rule {
    Formula settle;
    float restInput;
};

template <int Scale>
float ScaledAboveOne(float x, float)
{
    return Scale * (x + 1.0f);
}

float PulseWidth(float x, float)
{
    return 1024.0f * (1.0f - std::min(x, kWidthLimit));
}

float KbdTrack(float x, float)
{
    // A narrow window near 2/3 of the knob snaps to exactly 2.5.
    if (x > 0.6651f && x < 0.667f) {
        return 2.5f;
    }
    return 1.5f * (x + 1.0f);
}

float Plain(float x, float)
{
    return x;
}

float EnsembleRate(float x, float sampleRate)
{
    return 0.0128f * sampleRate * (0.125f + 0.375f * x);
}

float SquaredAboveOne(float x, float)
{
    return x * x + 1.0f;
}

float ExtModPulseWidth(float x, float)
{
    return 1024.0f * (3.0f - 2.0f * std::min(x, kWidthLimit));
}

float ExtModCutoff(float x, float)
{
    return 128.0f * (2.0f * x + 1.0f);
}

float ExtModAmount(float x, float)
{
    return 2.0f * x + 1.0f;
}

float Pan(float x, float)
{
    return 2.0f * x;
}

constexpr float kLow = 0.0f;
constexpr float kMiddle = 0.5f;
constexpr float kHigh = 1.0f;

constexpr std::array<Rule, CSorlControlBank::kCount> kRules{{
    {ScaledAboveOne<1>, kLow},      // MG Level
    {ScaledAboveOne<2>, kMiddle},   // Pitch Bend
    {ScaledAboveOne<2>, kLow},      // Modulation wheel
    {ScaledAboveOne<1>, kLow},      // Vibrato Int
    {ScaledAboveOne<2>, kMiddle},   // Tune
    {ScaledAboveOne<12>, kLow},     // Pitch Bend Range
    {PulseWidth, kLow},             // pulse width
    {ScaledAboveOne<128>, kLow},    // VCF Cutoff
    {ScaledAboveOne<6>, kLow},      // VCF Resonance
    {ScaledAboveOne<210>, kMiddle}, // VCF EG Intensity
    {KbdTrack, kLow},               // VCF Kbd Track
    {ScaledAboveOne<1>, kLow},      // EG Sustain, input is the sustain level
    {Plain, kHigh},                 // VCA Attenuator, input is the gain
    {EnsembleRate, kLow},           // ensemble rate
    {SquaredAboveOne, kLow},        // FX Spread
    {ScaledAboveOne<1>, kLow},      // Volume
    {ExtModPulseWidth, kMiddle},    // Ext.Mod.1 > VCO PW
    {ExtModCutoff, kMiddle},        // Ext.Mod.1 > VCF Cutoff
    {ExtModAmount, kMiddle},        // Ext.Mod.1 > MG Level
    {ExtModAmount, kMiddle},        // Ext.Mod.1 > VCA Gain
    {ExtModPulseWidth, kMiddle},    // Ext.Mod.2 > VCO PW
    {ExtModCutoff, kMiddle},        // Ext.Mod.2 > VCF Cutoff
    {ExtModAmount, kMiddle},        // Ext.Mod.2 > MG Level
    {ExtModAmount, kMiddle},        // Ext.Mod.2 > VCA Gain
    {ScaledAboveOne<1>, kLow},      // Unison Spread
    {Pan, kMiddle},                 // Pan
    {ScaledAboveOne<1>, kMiddle},   // external input 1, neutral at 0.5
    {ScaledAboveOne<1>, kMiddle},   // external input 2
}};

} // namespace

void CSorlControlBank::SetSampleRate(float sampleRate)
{
    sampleRate_ = sampleRate;
}

void CSorlControlBank::SetTarget(Entry entry, float x)
{
    target_[entry] = kTargetScale * kRules[entry].settle(x, sampleRate_);
}

void CSorlControlBank::Smooth()
{
    for (int i = 0; i < kCount; ++i) {
        current_[i] = kPole * current_[i] + target_[i];
    }
}

void CSorlControlBank::Rest(Entry entry)
{
    current_[entry] = RestValue(entry);
}

void CSorlControlBank::RestAll()
{
    for (int i = 0; i < kCount; ++i) {
        Rest(static_cast<Entry>(i));
    }
}

float CSorlControlBank::RestValue(Entry entry) const
{
    const Rule& rule = kRules[entry];
    return rule.settle(rule.restInput, sampleRate_);
}
