// Which keys are down and which still sound because the sustain pedal holds them.
#pragma once

#include <array>
#include <cstdint>

class CM4417NoteState {
public:
    static constexpr int kKeys = 128;

    // Keys are taken modulo 128.
    void press(int key, int velocity);
    // Counts a release; true when the key stops sounding now (the pedal is up).
    bool release(int key, bool pedalDown);
    // Calls noteOff(key) once for every sounding count the pedal kept beyond the held count.
    template <typename NoteOff>
    void releaseSustained(NoteOff noteOff)
    {
        for (int key = 0; key < kKeys; ++key) {
            for (; sounding[key] > held[key]; --sounding[key]) {
                --soundingTotal;
                noteOff(key);
            }
        }
        if (soundingTotal < 0)
            soundingTotal = 0;
    }
    void clear();

    std::int32_t heldTotal() const { return heldCount; }
    std::int32_t soundingTotalCount() const { return soundingTotal; }
    std::int32_t heldKey(int key) const { return held[key & 127]; }
    std::int32_t soundingKey(int key) const { return sounding[key & 127]; }
    std::int32_t velocity(int key) const { return velocities[key & 127]; }

private:
    std::int32_t heldCount = 0;
    std::int32_t soundingTotal = 0;
    std::array<std::int32_t, kKeys> held{};
    std::array<std::int32_t, kKeys> sounding{};
    std::array<std::int32_t, kKeys> velocities{};
};
