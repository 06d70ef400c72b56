// Smoothed control values. At every control tick each entry moves as
// current := 0.99 * current + target, so it settles at 100 times its target;
// targets are therefore stored as 0.01 times the value to settle at. Most
// quantities carry a fixed offset (x + 1 and the like) that consumers remove.
#pragma once

#include <array>

class CSorlControlBank {
public:
    enum Entry : int {
        kMgLevel,
        kPitchBend,
        kModulationWheel,
        kVibratoInt,
        kTune,
        kPitchBendRange,
        kPulseWidth,
        kCutoff,
        kResonance,
        kEgIntensity,
        kKbdTrack,
        kSustain,
        kAttenuatorGain,
        kEnsembleRate,
        kFxSpread,
        kVolume,
        kExtMod1PulseWidth,
        kExtMod1Cutoff,
        kExtMod1MgLevel,
        kExtMod1VcaGain,
        kExtMod2PulseWidth,
        kExtMod2Cutoff,
        kExtMod2MgLevel,
        kExtMod2VcaGain,
        kUnisonSpread,
        kPan,
        kExtInput1,
        kExtInput2,
        kCount
    };

    // Entry kEnsembleRate scales with the rate in force when its target is set.
    void SetSampleRate(float sampleRate);

    // Aims the entry at the value its formula gives for the handler input x.
    void SetTarget(Entry entry, float x);
    void Smooth();

    // Puts the current value (not the target) back to the entry's rest value.
    void Rest(Entry entry);
    void RestAll();

    float Current(Entry entry) const { return current_[entry]; }
    float Target(Entry entry) const { return target_[entry]; }

private:
    float RestValue(Entry entry) const;

    float sampleRate_ = 44100.0f;
    std::array<float, kCount> current_{};
    std::array<float, kCount> target_{};
};
