// What a host instance answers before the plug-in exists. The plug-in asks for
// some of these during its entry call, so they are fixed at creation; the
// HostContext setters change them afterwards.
#pragma once

#include "VstAbi.h"

#include <string>

namespace sorrel::host {

struct HostConfig {
    VstInt32 version = 2400; // 0 makes a VST 2.4 plug-in refuse to start
    std::string productString = "sorrel-host";
    std::string vendorString = "sorrel";
    VstInt32 vendorVersion = 1;
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    double tempo = 120.0;
    VstInt32 timeFlags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    bool timeInfoAvailable = true; // false: audioMasterGetTime answers 0
};

} // namespace sorrel::host
