// Parameter indices and engine inputs that the plug-in code names directly.
#pragma once

namespace sorrel {

enum ParameterIndex : int {
    kParamArpeggio = 13,
    kParamArpSpeed = 14,
    kParamMgFrequency = 20,
    kParamFxMode = 28,
    kParamPitchBend = 30,
    kParamModulation = 31,
    kParamHold = 32,
    kParamKeyAssign = 33,
    kParamTempo = 50,
    kParamMidiSync = 51,
    kParamMgKeySync = 56,
    kParamMgTempoSync = 57,
    kParamMgBaseNote = 58,
    kParamMgTimes = 59,
    kParamArpKeySync = 60,
    kParamArpTempoSync = 61,
    kParamArpBaseNote = 62,
    kParamArpTimes = 63,
    kParamVoicesTotal = 72,
    kParamVoicesUnison = 73,
    kParamExtMod1Source = 74,
    kParamExtMod2Source = 75,
    kParamExclusionChannel = 95,
};

// Parameters sent to the engine by a full program send; 94 and 95 act only when set.
constexpr int kLastProgramParameter = 93;

// Positions of Key Assign.
enum KeyAssignStep : int {
    kKeyAssignStepChord = 0,
    kKeyAssignStepUnison = 1,
    kKeyAssignStepPoly = 2,
};

enum EngineInput : int {
    kEngineArpeggio = 39,
    kEngineHold = 40,
    kEngineKeyAssignChord = 41, // Unison and Poly follow, in key-assign step order
    kEngineVoicesTotal = 65,
    kEngineVoicesUnison = 66,
};

} // namespace sorrel
