// Values decoded from parameters and from the plug-in's direct calls, kept
// where the stages read them.
#pragma once

#include <array>

enum SorlKeyAssign : int { kKeyAssignPoly, kKeyAssignUnison, kKeyAssignChord };
enum SorlMgDestination : int { kMgToVco, kMgToVcf, kMgToVca };

struct SorlSettings {
    static constexpr int kPitchClasses = 12;
    static constexpr int kExtModInputs = 2;

    // Oscillator
    int octaveOffset = 0;  // semitones: -12, 0 or +12
    int waveForm = 0;      // 0 SAW, 1 PW, 2 PWM
    int subOscillator = 0; // octaves down: 0 off, 1 or 2
    int transpose = 0;     // semitones -24..24
    float pwmRate = 0.0f;  // cycles per control tick
    float analogAmount = 0.0f;
    float masterTune = 1.0f;                            // frequency ratio
    std::array<float, kPitchClasses> pitchClassOffset{}; // semitones, C..B

    // Envelope and amplifier
    int vcaMode = 1;        // 0 Gate, 1 EG
    int attenuatorStep = 5; // 0..10 for -10..+10 dB
    float attackRate = 0.0f;
    float decayRate = 0.0f;
    float releaseRate = 0.0f;

    // Modulation
    float mgRate = 0.0f;  // cycles per sample
    float mgDelay = 0.0f; // samples
    int mgDestination = 0; // 0 VCO, 1 VCF, 2 VCA
    bool mgTempoSync = false;
    float mgSyncRate = 0.0f; // phase increment per sample
    std::array<int, kExtModInputs> extModSource{};

    // Effect
    int fxMode = 0;          // 0 Off, 1 Chorus, 2 Phase, 3 Ensemble
    float effectRate = 0.0f; // chorus and phase modulator, cycles per sample

    // Arpeggiator
    bool arpOn = false;
    bool arpLatch = false;
    int arpRange = 1; // octaves: 1, 2 or 6
    int arpMode = 0;  // 0 Up, 1 Down, 2 Up/Down
    float arpRate = 0.0f;

    // Keys and voices
    bool hold = false;
    int keyAssign = kKeyAssignPoly;
    float unisonDetune = 0.0f; // the raw parameter value
    int totalVoices = 1;       // as requested, before the layout limits it
    int unisonVoices = 1;
};
