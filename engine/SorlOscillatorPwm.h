// The engine-wide slow oscillator that sweeps the pulse width in PWM mode.
// It steps once per control tick.
#pragma once

class CSorlOscillatorPwm {
public:
    // Steps the phase down by rate (cycles per control tick), wrapping into 0..1.
    void Advance(float rate);
    // Triangle 0..1: 1 at phase 0 and 1, 0 at phase 0.5.
    float Triangle() const;

    float Phase() const { return phase_; }

private:
    float phase_ = 0.0f;
};
