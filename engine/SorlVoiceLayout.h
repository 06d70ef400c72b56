// How the voices are shared out: T voices in use, N note slots and U voices
// stacked on each note, with T always equal to N * U. Voice v plays slot
// v mod N at stack level v / N.
#pragma once

#include <algorithm>

struct SorlVoiceLayout {
    static constexpr int kMaxVoices = 32;
    static constexpr int kMaxUnison = 16;
    static constexpr int kLanes = 4;

    int total = 1;
    int notes = 1;
    int unison = 1;
    int groups = 1; // four-voice groups that hold the voices in use

    // Voices left over by the division are not used.
    static constexpr SorlVoiceLayout For(int requestedTotal, int requestedUnison)
    {
        SorlVoiceLayout layout;
        const int total = std::clamp(requestedTotal, 1, kMaxVoices);
        const int unison = std::clamp(requestedUnison, 1, kMaxUnison);
        if (unison < total) {
            layout.notes = total / unison;
            layout.unison = unison;
        } else {
            layout.notes = 1;
            layout.unison = total;
        }
        layout.total = layout.notes * layout.unison;
        layout.groups = (layout.total + kLanes - 1) / kLanes;
        return layout;
    }

    constexpr int SlotVoice(int slot, int level) const { return slot + level * notes; }
    constexpr int LevelOf(int voice) const { return voice / notes; }

    constexpr bool operator==(const SorlVoiceLayout&) const = default;
};
