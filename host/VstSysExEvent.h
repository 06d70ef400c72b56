// The SysEx event record (event type 6), which VstAbi.h does not declare.
// Hosts only need it to hand plug-ins an event they must skip; its layout is
// pinned so a plug-in that does read it sees a well-formed record.
#pragma once

#include "VstAbi.h"

#include <cstddef>

namespace sorrel::host {

struct VstSysExEvent {
    VstInt32 type; // kVstSysExType
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

static_assert(sizeof(VstSysExEvent) == 48);
static_assert(offsetof(VstSysExEvent, deltaFrames) == offsetof(VstEvent, deltaFrames));
static_assert(offsetof(VstSysExEvent, dumpBytes) == 16);
static_assert(offsetof(VstSysExEvent, resvd1) == 24);
static_assert(offsetof(VstSysExEvent, sysexDump) == 32);
static_assert(offsetof(VstSysExEvent, resvd2) == 40);

} // namespace sorrel::host
