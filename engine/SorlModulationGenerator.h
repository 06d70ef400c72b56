// The modulation generator: one triangle LFO shared by all voices, with a
// delay after which it fades in. Its phase counts down, so a restart at
// phase 0 begins at the triangle's positive peak.
#pragma once

#include "SorlMgOutputs.h"

// Per-sample coefficients the generator steps with.
struct SorlMgRates {
    float increment = 0.0f;     // cycles per sample, free or tempo-synced
    float delayLength = 0.0f;   // samples before the fade-in starts
    float fadePole = 0.0f;      // 48.4 ms fade-in
    float smoothingPole = 0.0f; // 1 ms smoothing of the triangle and the fade
};

class CSorlModulationGenerator {
public:
    void Step(const SorlMgRates& rates);

    // Silences the generator until its delay has passed again; the phase
    // runs on.
    void RestartDelay();
    void SetPhase(float phase) { phase_ = phase; }

    const SorlMgOutputs& Outputs() const { return outputs_; }
    // 0..1, for the editor's lamp.
    float Lamp() const { return 0.5f * outputs_.triangle + 0.5f; }
    float Phase() const { return static_cast<float>(phase_); }
    float Fade() const { return fade_; }

private:
    // Double precision keeps the slowest rates (0.05 Hz at high sample
    // rates) exact to well within a percent.
    double phase_ = 0.0;
    int delayCounter_ = 0;
    float fade_ = 0.0f;
    SorlMgOutputs outputs_;
};
