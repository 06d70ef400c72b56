#include "ProgramFade.h"

void CSorlProgramFade::start(float sampleRate, int muteMs, int fadeMs, float level)
{
    const std::int32_t rate = static_cast<std::int32_t>(sampleRate);
    countdown = rate * muteMs / 1000;
    fadeLength = rate * fadeMs / 1000;
    muteLevel = level;
    current = State::Muted;
}

bool CSorlProgramFade::hold(int engineInput, float value)
{
    if (current != State::Muted || engineInput < 0 || engineInput >= kEngineInputs)
        return false;
    heldValues[engineInput] = value;
    held[engineInput] = true;
    return true;
}

CSorlProgramFade::Step CSorlProgramFade::advance(int frames)
{
    switch (current) {
    case State::Muted:
        countdown -= frames;
        if (countdown <= 0) {
            current = State::FadingIn;
            return Step::MuteEnded;
        }
        return Step::None;
    case State::FadingIn:
        countdown -= frames;
        if (countdown <= -fadeLength) {
            muteLevel = 1.0f;
            current = State::Idle;
            return Step::FadeEnded;
        }
        return Step::None;
    case State::Idle:
        break;
    }
    return Step::None;
}

void CSorlProgramFade::clearHeld()
{
    held.fill(false);
    heldValues.fill(0.0f);
}
