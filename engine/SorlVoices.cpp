#include "SorlVoices.h"

#include <algorithm>
#include <bit>

#include "SorlExtMod.h"
#include "SorlRandomTable.h"
#include "SorlSettings.h"

namespace {

constexpr std::uint32_t kPhaseSeed = 0x50484153;
// Start phases are whole table steps below the top of the cycle.
constexpr std::uint32_t kPhaseSteps = 8191;

int SideOfLevel(int level, int levels)
{
    if (levels <= 1) {
        return 0;
    }
    const int middle = levels / 2;
    if (levels % 2 == 0 || level < middle) {
        return level % 2 + 1;
    }
    if (level == middle) {
        return 0;
    }
    // Past the centre the alternation continues as if the centre were absent.
    return (level - 1) % 2 + 1;
}

} // namespace

CSorlVoices::CSorlVoices(const SorlSettings& settings, const CSorlExtMod& extMod, CSorlRandomTable& random,
                         const CSorlFilterTables& filterTables)
    : settings_(settings), extMod_(extMod), random_(random), filterTables_(filterTables), phaseGenerator_(kPhaseSeed)
{
    Reset(layout_);
}

void CSorlVoices::Reset(const SorlVoiceLayout& layout)
{
    layout_ = layout;
    // Every layout starts from the same phases, so a rendering after a restart
    // does not depend on how many layouts came before it.
    phaseGenerator_.seed(kPhaseSeed);
    for (SorlVoiceGroup& group : groups_) {
        group = SorlVoiceGroup{};
        CSorlFilter::Reset(group.filter, filterTables_);
        group.envelope.state.fill(kEnvelopeIdle);
        for (float& phase : group.oscillator.phase) {
            phase = static_cast<float>(phaseGenerator_() % kPhaseSteps);
        }
    }
    nonIdle_ = 0;
}

void CSorlVoices::StepEnvelopes(const SorlEnvelopeRates& rates)
{
    for (int g = 0; g < layout_.groups; ++g) {
        SorlVoiceGroup& group = groups_[g];
        if (group.activeMask == 0) {
            continue; // all idle and silent
        }
        const SorlEnvelopeEvents events = CSorlEnvelope::Step(group.envelope, rates);
        const int first = g * SorlVoiceGroup::kLanes;
        for (std::uint32_t lanes = events.finished; lanes != 0; lanes &= lanes - 1) {
            Finish(first + std::countr_zero(lanes));
        }
        for (std::uint32_t lanes = events.stolen; lanes != 0; lanes &= lanes - 1) {
            const int voice = first + std::countr_zero(lanes);
            const int lane = LaneOf(voice);
            BeginNote(voice, group.pendingNote[lane], group.pendingVelocity[lane]);
        }
    }
}

bool CSorlVoices::IsIdle(int voice) const
{
    return GroupOf(voice).envelope.state[LaneOf(voice)] == kEnvelopeIdle;
}

void CSorlVoices::Start(int voice, int note, float velocity)
{
    SorlVoiceGroup& group = GroupOf(voice);
    const int lane = LaneOf(voice);
    if (IsIdle(voice)) {
        BeginNote(voice, note, velocity);
        ++nonIdle_;
    } else {
        group.envelope.state[lane] = kEnvelopeSteal;
        group.pendingNote[lane] = note;
        group.pendingVelocity[lane] = velocity;
    }
    group.activeMask |= BitOf(voice);
}

void CSorlVoices::BeginNote(int voice, int note, float velocity)
{
    SorlVoiceGroup& group = GroupOf(voice);
    const int lane = LaneOf(voice);
    // Fixed for the note's life, from the amounts in force as it starts.
    const SorlExtModOffsets offsets = extMod_.VoiceOffsets(note, velocity);
    group.oscillator.pulseWidthOffset[lane] = offsets.pulseWidth;
    group.cutoffOffset[lane] = offsets.cutoff;
    group.amplifier.mgOffset[lane] = offsets.mgLevel;
    group.amplifier.vcaOffset[lane] = offsets.vcaGain;
    group.envelope.state[lane] = kEnvelopeAttack;
    group.note[lane] = note;
    group.scaleOffset[lane] = settings_.pitchClassOffset[note % SorlSettings::kPitchClasses];
    group.analogOffset[lane] = random_.Next() * settings_.analogAmount;
}

void CSorlVoices::Finish(int voice)
{
    SorlVoiceGroup& group = GroupOf(voice);
    group.note[LaneOf(voice)] = 0;
    group.activeMask &= ~BitOf(voice);
    nonIdle_ = std::max(nonIdle_ - 1, 0);
}

void CSorlVoices::Release(int voice)
{
    if (!IsIdle(voice)) {
        GroupOf(voice).envelope.state[LaneOf(voice)] = kEnvelopeRelease;
    }
}

void CSorlVoices::Silence(int voice)
{
    SorlVoiceGroup& group = GroupOf(voice);
    if (IsIdle(voice)) {
        group.note[LaneOf(voice)] = 0;
        group.activeMask &= ~BitOf(voice);
    } else {
        group.envelope.state[LaneOf(voice)] = kEnvelopeFastRelease;
    }
}

void CSorlVoices::FastReleaseAll()
{
    for (int voice = 0; voice < layout_.total; ++voice) {
        SorlVoiceGroup& group = GroupOf(voice);
        if (IsIdle(voice)) {
            group.activeMask &= ~BitOf(voice);
        } else {
            group.envelope.state[LaneOf(voice)] = kEnvelopeFastRelease;
        }
    }
}

void CSorlVoices::SetDetune(float value, bool eachVoiceALevel)
{
    const int levels = eachVoiceALevel ? layout_.total : layout_.unison;
    const float depth = value * value;
    const float step = levels > 1 ? 2.0f * depth / static_cast<float>(levels - 1) : 0.0f;
    for (int voice = 0; voice < kMaxVoices; ++voice) {
        SorlVoiceGroup& group = GroupOf(voice);
        const int lane = LaneOf(voice);
        if (voice >= layout_.total) {
            group.detune[lane] = 0.0f;
            group.amplifier.side[lane] = 0;
            continue;
        }
        const int level = eachVoiceALevel ? voice : layout_.LevelOf(voice);
        group.detune[lane] = levels > 1 ? depth - step * static_cast<float>(level) : 0.0f;
        group.amplifier.side[lane] = SideOfLevel(level, levels);
    }
}

SorlVoiceView CSorlVoices::View(int voice) const
{
    if (voice < 0 || voice >= kMaxVoices) {
        return {};
    }
    const SorlVoiceGroup& group = GroupOf(voice);
    const int lane = LaneOf(voice);
    return {group.envelope.state[lane],
            group.note[lane],
            group.pendingNote[lane],
            group.pendingVelocity[lane],
            group.detune[lane],
            group.amplifier.side[lane],
            (group.activeMask & BitOf(voice)) != 0,
            group.envelope.level[lane],
            group.envelope.gate[lane],
            group.filter.feedback[lane]};
}
