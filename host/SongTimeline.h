// A song's tempo and metre as a function of the play position. A host that
// plays a song with tempo changes hands one to HostContext::setTimeline, and
// audioMasterGetTime then answers from it instead of from the fixed tempo.
#pragma once

#include "VstAbi.h"

namespace sorrel::host {

// VstTimeInfo flags that VstAbi.h leaves out: the bar start and the time
// signature fields hold real values.
constexpr VstInt32 kVstBarsValid = 0x800;
constexpr VstInt32 kVstTimeSigValid = 0x2000;

struct SongPosition {
    double tempo;            // quarter notes per minute
    double ppqPosition;      // quarter notes since the start of the song
    double barStartPosition; // ppqPosition of the current bar's first beat
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
};

class SongTimeline {
public:
    virtual ~SongTimeline() = default;
    virtual SongPosition positionAt(double samplePosition, double sampleRate) const = 0;
};

} // namespace sorrel::host
