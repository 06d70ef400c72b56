// The stereo effect after the voice mix: Off, Chorus, Phase or Ensemble on
// two modulated delay lines, each mode ending in a cubic soft limiter. A
// mode change fades the old mode out and the new one in, 20 ms each way.
// Each mode is its own instantiation of Process, so the engine keeps the
// active mode in a stage slot and runs no mode test per sample.
#pragma once

#include <array>

#include "SorlDelayLine.h"
#include "SorlStereo.h"

struct CSorlRateTables;

// Values read from the controls each sample.
struct SorlEffectControls {
    float rate = 0.0f;          // chorus and phase modulator, cycles per sample
    float ensembleDepth = 0.0f; // ensemble modulation depth in samples
    float spread = 0.0f;        // FX Spread squared, 0..1
};

class CSorlEffect {
public:
    enum Mode : int { kOff, kChorus, kPhase, kEnsemble, kModeCount };

    // The rate-dependent constants are read from rates as they are when
    // each sample runs.
    explicit CSorlEffect(const CSorlRateTables& rates);

    // Empty lines, modulators at their start, mode Off at full level.
    void Reset();

    // Starts the change to mode; a change still pending is replaced, and a
    // fade already under way continues from its present level.
    void Select(int mode);

    // One sample of mode Active. Returns true when the fade has reached
    // silence and the pending mode takes over from the next sample.
    template <int Active>
    bool Process(SorlStereo in, const SorlEffectControls& controls, SorlStereo& out);

    int ActiveMode() const { return active_; }
    int PendingMode() const { return pending_; }
    // -1..1; the gain is its square, and the old mode runs while it is negative.
    float FadePosition() const { return fade_; }

private:
    static constexpr int kEnsembleTaps = 3;
    using Taps = std::array<float, kEnsembleTaps>;

    // Dry and wet high-passes of one chorus channel.
    struct HighPass {
        float input = 0.0f;
        float output = 0.0f;
    };
    struct ChorusChannel {
        float smoothedTriangle = 0.0f;
        HighPass dry;
        HighPass wet;
    };

    SorlStereo Off(SorlStereo in) const;
    SorlStereo Chorus(SorlStereo in, const SorlEffectControls& controls);
    SorlStereo Phase(SorlStereo in, const SorlEffectControls& controls);
    SorlStereo Ensemble(const SorlEffectControls& controls);

    // The modulator's left and right phases after one step.
    SorlStereo StepModulator(const SorlEffectControls& controls);
    float ModulatedRead(const CSorlDelayLine& line, ChorusChannel& channel, float phase, float centre, float depth);
    float ChorusChannelOutput(const CSorlDelayLine& line, ChorusChannel& channel, float in, float phase);
    float EnsembleTaps(const CSorlDelayLine& line, const Taps& slow, const Taps& fast, float depth) const;
    bool StepFade(SorlStereo& out);

    const CSorlRateTables& rates_;
    CSorlDelayLine left_;
    CSorlDelayLine right_;
    int writeIndex_ = CSorlDelayLine::kLength - 1;

    float modulatorPhase_ = 0.0f;
    ChorusChannel chorusLeft_;
    ChorusChannel chorusRight_;
    Taps slowPhases_{};
    Taps fastPhases_{};

    float fade_ = 1.0f;
    int active_ = kOff;
    int pending_ = kOff;
    bool switchPending_ = false;
};
