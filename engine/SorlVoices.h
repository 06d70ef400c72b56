// The 32 voices, stored four-wide in eight aligned groups, with the layout
// that says which of them are in use. Starting, releasing and silencing a
// voice happen here; so do the unison detune and stereo side of each stack
// level. The count of voices that are not idle is kept up to date with every
// state change.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <span>

#include "SorlVoiceGroup.h"
#include "SorlVoiceLayout.h"

class CSorlExtMod;
class CSorlFilterTables;
class CSorlRandomTable;
struct SorlSettings;

// One voice as tests and the editor may look at it.
struct SorlVoiceView {
    int state = kEnvelopeIdle;
    int note = 0;
    int pendingNote = 0;
    float pendingVelocity = 0.0f;
    float detune = 0.0f; // semitones
    int side = 0;        // 0 centre, 1 and 2 the stereo sides
    bool active = false; // the lane's bit in its group's mask
    float level = 0.0f;  // envelope
    float gate = 0.0f;
    float feedback = 0.0f; // filter resonance after its cutoff limit
};

class CSorlVoices {
public:
    static constexpr int kGroups = 8;
    static constexpr int kMaxVoices = kGroups * SorlVoiceGroup::kLanes;
    static_assert(kMaxVoices == SorlVoiceLayout::kMaxVoices);

    // Tuning offsets and the analog amount are read from settings when a
    // note starts, and so are the external modulation offsets from extMod;
    // random supplies the analog pitch offsets; a reset filter starts from
    // the coefficients of the lowest cutoff.
    CSorlVoices(const SorlSettings& settings, const CSorlExtMod& extMod, CSorlRandomTable& random,
                const CSorlFilterTables& filterTables);

    // Takes the new layout and puts every voice to rest, silent and idle.
    void Reset(const SorlVoiceLayout& layout);

    // An idle voice starts the note at once; a busy one fades out first and
    // keeps the note pending. velocity is 0..1.
    void Start(int voice, int note, float velocity);
    // Releases the voice unless it is idle.
    void Release(int voice);
    // Empties the voice for a chord entry without a note: an idle voice is
    // cleared, a busy one fades out quickly.
    void Silence(int voice);
    // Every busy voice in use fades out quickly; idle ones are cleared.
    void FastReleaseAll();

    // Spreads the stack levels evenly over +-value^2 semitones and alternates
    // their stereo sides. With eachVoiceALevel every voice in use is its own
    // level (Unison); otherwise levels are the layout's stack levels.
    void SetDetune(float value, bool eachVoiceALevel);

    // Steps the envelopes of the groups in use: voices whose fade has ended
    // become idle, stolen ones start their pending note.
    void StepEnvelopes(const SorlEnvelopeRates& rates);

    // The groups that hold the voices in use, for the per-voice stages.
    std::span<SorlVoiceGroup> GroupsInUse() { return {groups_.data(), static_cast<std::size_t>(layout_.groups)}; }

    bool IsIdle(int voice) const;
    int NonIdleCount() const { return nonIdle_; }
    const SorlVoiceLayout& Layout() const { return layout_; }
    SorlVoiceView View(int voice) const;

private:
    SorlVoiceGroup& GroupOf(int voice) { return groups_[voice / SorlVoiceGroup::kLanes]; }
    const SorlVoiceGroup& GroupOf(int voice) const { return groups_[voice / SorlVoiceGroup::kLanes]; }
    static int LaneOf(int voice) { return voice % SorlVoiceGroup::kLanes; }
    static std::uint32_t BitOf(int voice) { return 1u << LaneOf(voice); }

    void BeginNote(int voice, int note, float velocity);
    void Finish(int voice);

    const SorlSettings& settings_;
    const CSorlExtMod& extMod_;
    CSorlRandomTable& random_;
    const CSorlFilterTables& filterTables_;
    std::minstd_rand phaseGenerator_;
    SorlVoiceLayout layout_;
    int nonIdle_ = 0;
    std::array<SorlVoiceGroup, kGroups> groups_{};
};
