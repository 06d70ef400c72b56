// The editor as the host-facing layer sees it: window size, open, close, idle and keys.
#pragma once

#include "VstAbi.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;

    virtual bool getRect(ERect** rect) = 0;
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() {}
    virtual bool onKeyDown(VstInt32 character, VstIntPtr virtualKey, float modifiers) = 0;
    virtual bool onKeyUp(VstInt32 character, VstIntPtr virtualKey, float modifiers) = 0;
    virtual bool setKnobMode(VstInt32 mode) = 0;
};
