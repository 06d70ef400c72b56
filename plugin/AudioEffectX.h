// Plug-in side of the VST 2.x interface: the 2.x dispatcher opcodes and the host calls.
#pragma once

#include "AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual VstInt32 processEvents(VstEvents* events);
    virtual bool canParameterBeAutomated(VstInt32 index);
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual bool copyProgram(VstInt32 destination);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool setBlockSizeAndSampleRate(VstInt32 size, float rate);
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstInt32 canDo(char* text);
    virtual bool keysRequired();
    virtual VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* programName);

    // Host calls.
    VstTimeInfo* getTimeInfo(VstInt32 filter);
    bool getHostProductString(char* text);
    bool updateDisplay();
    bool beginEdit(VstInt32 index);
    bool endEdit(VstInt32 index);
    bool wantEvents();
};
