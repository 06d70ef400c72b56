// The short mute around program changes and voice re-layouts: engine values sent
// while muted are held and handed over when the mute ends, then the level fades in.
#pragma once

#include <array>
#include <cstdint>

class CSorlProgramFade {
public:
    static constexpr int kEngineInputs = 70;

    enum class State : std::int32_t { Idle = 0, Muted = 1, FadingIn = 2 };
    enum class Step { None, MuteEnded, FadeEnded };

    void start(float sampleRate, int muteMs, int fadeMs, float level);

    // True when the value was held because the engine is muted.
    bool hold(int engineInput, float value);

    // Advances by one rendered block.
    Step advance(int frames);

    // Calls apply(input, value) for every held value and forgets it.
    template <typename Apply>
    void releaseHeld(Apply apply)
    {
        for (int input = 0; input < kEngineInputs; ++input) {
            if (held[input]) {
                held[input] = false;
                apply(input, heldValues[input]);
            }
        }
    }

    void clearHeld();

    State state() const { return current; }
    float level() const { return muteLevel; }

private:
    std::array<float, kEngineInputs> heldValues{};
    std::array<bool, kEngineInputs> held{};
    std::int32_t countdown = 0;
    std::int32_t fadeLength = 0;
    float muteLevel = 1.0f;
    State current = State::Idle;
};
