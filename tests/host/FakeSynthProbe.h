// What the fake synth module tells the host tests through its vendor-specific
// opcode: the host answers it received and the events it was given.
#pragma once

#include "VstAbi.h"

namespace fake_synth {

// effVendorSpecific; `index` picks the action.
constexpr VstInt32 kProbeOpcode = 50;

enum ProbeAction : VstInt32 {
    kObserve = 0,       // returns a pointer to the Observations
    kEditParameter = 1, // beginEdit, automate(value = parameter, opt), endEdit
    kResizeWindow = 2,  // audioMasterSizeWindow(index = value as width, value = opt as height)
};

// A host product string that makes the entry hand back a record with a bad magic.
constexpr const char* kBadMagicProduct = "fake:bad-magic";

constexpr int kMaxEventsSeen = 32;

struct EventSeen {
    VstInt32 type;
    VstInt32 deltaFrames;
    unsigned char midi[3];
    VstInt32 sysexBytes;
    unsigned char sysexFirstByte;
};

struct Observations {
    VstIntPtr hostVersion;
    char hostProduct[64];
    char hostVendor[64];
    VstIntPtr hostVendorVersion;
    VstIntPtr canDoSendVstTimeInfo;
    VstIntPtr canDoUnknown;
    VstIntPtr sampleRateAnswer; // asked on resume
    VstIntPtr blockSizeAnswer;
    int timeAsked;              // once per render call
    bool timeAnswered;
    VstTimeInfo lastTime;
    int eventCount;             // of the last processEvents call
    EventSeen events[kMaxEventsSeen];
};

} // namespace fake_synth
