// The engine's 70 parameter inputs: one handler per input number, applied at
// once. Handlers decode the value into engine fields and control targets.
#pragma once

#include <cstdint>

class CSorlDsp;

// Engine input numbers; the numbers in between have no effect.
enum SorlEngineInput : std::int32_t {
    kInputVolume = 0,
    kInputTune = 1,
    kInputVcoOctave = 2,
    kInputWaveForm = 3,
    kInputPwmAdjust = 4,
    kInputPwmSpeed = 5,
    kInputSubOsc = 6,
    kInputCutoff = 7,
    kInputResonance = 8,
    kInputEgIntensity = 9,
    kInputKbdTrack = 10,
    kInputVcaMode = 11,
    kInputVcaAttenuator = 12,
    kInputArpSpeed = 13,
    kInputArpRange = 14,
    kInputArpMode = 15,
    kInputArpLatch = 16,
    kInputOutputSwitch = 18,
    kInputPitchBendRange = 19,
    kInputMgFrequency = 20,
    kInputMgDelay = 21,
    kInputMgLevel = 22,
    kInputMgDestination = 23,
    kInputEgAttack = 24,
    kInputEgDecay = 25,
    kInputEgSustain = 26,
    kInputEgRelease = 27,
    kInputFxMode = 28,
    kInputFxSpeed = 29,
    kInputPitchBend = 31,
    kInputModulation = 32,
    kInputArpeggio = 39,
    kInputHold = 40,
    kInputKeyAssignChord = 41,
    kInputKeyAssignUnison = 42,
    kInputKeyAssignPoly = 43,
    kInputPan = 53,
    kInputTranspose = 54,
    kInputAnalog = 55,
    kInputUnisonDetune = 56,
    kInputExtMod1PulseWidth = 57,
    kInputExtMod1Cutoff = 58,
    kInputExtMod1MgLevel = 59,
    kInputExtMod1VcaGain = 60,
    kInputExtMod2PulseWidth = 61,
    kInputExtMod2Cutoff = 62,
    kInputExtMod2MgLevel = 63,
    kInputExtMod2VcaGain = 64,
    kInputVoicesTotal = 65,
    kInputVoicesUnison = 66,
    kInputVibratoInt = 67,
    kInputFxSpread = 68,
    kInputUnisonSpread = 69,
    kInputCount = 70
};

class CSorlParameterTable {
public:
    // Inputs outside 0..69 are ignored.
    static void Apply(CSorlDsp& dsp, std::int32_t input, float value);

private:
    struct Handlers;
};
