#include "SorlExtMod.h"

#include <array>

#include "SorlControlBank.h"
#include "SorlSettings.h"

namespace {

using Bank = CSorlControlBank;

// How strongly a source drives a voice: one weight for pulse width, cutoff
// and MG level, another for the VCA gain.
struct Weights {
    float shared;
    float vca;
};

Weights NoWeights(float, int)
{
    return {0.0f, 0.0f};
}

Weights VelocityWeights(float velocity, int)
{
    return {2.0f * (velocity - 0.5f), velocity * velocity - 0.5f};
}

Weights KeyTrackWeights(float, int note)
{
    // -0.5 below the keyboard's bottom to +0.5 at its top.
    const float h = (static_cast<float>(note) + 3.5f) / 127.0f - 0.5f;
    return {2.0f * h, 4.0f * h};
}

using WeightsOf = Weights (*)(float velocity, int note);

// Indexed by source; the global sources (3 and above) have no per-voice part.
constexpr std::array<WeightsOf, 9> kSources{
    NoWeights, VelocityWeights, KeyTrackWeights, NoWeights, NoWeights,
    NoWeights, NoWeights,       NoWeights,       NoWeights,
};

struct AmountEntries {
    Bank::Entry pulseWidth;
    Bank::Entry cutoff;
    Bank::Entry mgLevel;
    Bank::Entry vcaGain;
};

constexpr std::array<AmountEntries, 2> kAmounts{{
    {Bank::kExtMod1PulseWidth, Bank::kExtMod1Cutoff, Bank::kExtMod1MgLevel, Bank::kExtMod1VcaGain},
    {Bank::kExtMod2PulseWidth, Bank::kExtMod2Cutoff, Bank::kExtMod2MgLevel, Bank::kExtMod2VcaGain},
}};

// The amount entries rest at these values, which mean no modulation.
constexpr float kNeutralPulseWidthAmount = 2048.0f;
constexpr float kNeutralCutoffAmount = 256.0f;
constexpr float kNeutralAmount = 2.0f;

} // namespace

CSorlExtMod::CSorlExtMod(const SorlSettings& settings, const CSorlControlBank& controls)
    : settings_(settings), controls_(controls)
{
}

SorlExtModOffsets CSorlExtMod::VoiceOffsets(int note, float velocity) const
{
    static_assert(kAmounts.size() == SorlSettings::kExtModInputs);
    SorlExtModOffsets offsets;
    for (int input = 0; input < SorlSettings::kExtModInputs; ++input) {
        const int source = settings_.extModSource[input];
        if (source < 0 || source >= static_cast<int>(kSources.size())) {
            continue;
        }
        const Weights w = kSources[source](velocity, note);
        const AmountEntries& amount = kAmounts[input];
        offsets.pulseWidth += w.shared * (controls_.Current(amount.pulseWidth) - kNeutralPulseWidthAmount);
        offsets.cutoff += w.shared * (controls_.Current(amount.cutoff) - kNeutralCutoffAmount);
        offsets.mgLevel += w.shared * (controls_.Current(amount.mgLevel) - kNeutralAmount);
        offsets.vcaGain += w.vca * (controls_.Current(amount.vcaGain) - kNeutralAmount);
    }
    return offsets;
}
