// Which keys are down, shared with the arpeggiator: the velocity of every
// held key, the keys collected for a latched arpeggio, and their counts.
#pragma once

#include <array>
#include <cstdint>

struct SorlKeyTables {
    static constexpr int kKeys = 128;

    std::array<std::int32_t, kKeys> held{};    // velocity, 0 while up
    std::array<std::int32_t, kKeys> latched{}; // velocity, 0 when not collected
    int heldCount = 0;
    int latchedCount = 0;
    bool allKeysUp = false; // the held count dropped to 0

    void ClearHeld()
    {
        held.fill(0);
        heldCount = 0;
        allKeysUp = true;
    }

    void ClearAll()
    {
        *this = SorlKeyTables{};
    }
};
