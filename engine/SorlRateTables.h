// Tables and coefficients that depend on the sample rate. Rates are per
// sample unless named otherwise; knob tables are indexed by knob position.
#pragma once

#include <array>

#include "SorlFilterTables.h"
#include "SorlKnobTable.h"

struct CSorlRateTables {
    static constexpr int kNoteCount = 128;
    static constexpr int kFinePitchSteps = 128;
    static constexpr int kAttenuatorSteps = 11;

    // Rebuilds everything for the rate fs; knobCurve is the shared taper.
    void Rebuild(float sampleRate, const CSorlKnobTable& knobCurve, float masterTune);
    // Fine pitch factors 2^(i/1536) scaled by the master tune ratio.
    void RebuildFinePitch(float masterTune);

    float smoothingPole1ms = 0.0f;
    CSorlKnobTable pwmRate;                       // cycles per control tick
    std::array<float, kNoteCount> noteIncrement{}; // wavetable steps per sample
    std::array<float, kFinePitchSteps> finePitch{};
    CSorlKnobTable mgRate;
    CSorlKnobTable mgDelay;                       // samples
    float mgDelayFadePole = 0.0f;
    CSorlFilterTables filter;
    CSorlKnobTable egAttackRate;
    CSorlKnobTable egDecayRate;
    CSorlKnobTable egSustainLevel;
    CSorlKnobTable egReleaseRate;
    float fastAttackRate = 0.0f;
    float fastReleaseRate = 0.0f;
    std::array<float, kAttenuatorSteps> attenuatorGain{}; // -10 dB .. +10 dB in 2 dB steps
    CSorlKnobTable effectSpeed;
    float ensembleFastIncrement = 0.0f;
    float ensembleSlowIncrement = 0.0f;
    float chorusCentre = 0.0f;                    // delays in samples
    float chorusDepth = 0.0f;
    float phaseCentre = 0.0f;
    float phaseDepth = 0.0f;
    float effectSmoothingPole = 0.0f;
    float effectDryHighPass = 0.0f;
    float effectWetHighPass = 0.0f;
    float effectFadeStep = 0.0f;
    CSorlKnobTable arpSpeed;                      // steps per sample
    float arpLampDecrement = 0.0f;
    std::array<float, kNoteCount> velocity{};     // MIDI velocity to 0..1
};
