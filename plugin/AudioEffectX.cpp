#include "AudioEffectX.h"

#include "AEffEditor.h"

namespace {

constexpr VstInt32 kVstVersion = 2400;

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return 0;
    case effGetNumProgramCategories:
        return 1;
    case effGetProgramNameIndexed:
        return ptr != nullptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr))
                   ? 1
                   : 0;
    case effCopyProgram:
        return copyProgram(index) ? 1 : 0;
    case effConnectInput:
    case effConnectOutput:
        return 1;
    case effGetInputProperties:
        return 0;
    case effGetOutputProperties:
        return ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return kPlugCategSynth;
    case effSetBlockSizeAndSampleRate:
        return setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt) ? 1 : 0;
    case effGetEffectName:
        return ptr != nullptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return ptr != nullptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return ptr != nullptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<char*>(ptr)) : -1;
    case effKeysRequired:
        return keysRequired() ? 0 : 1;
    case effGetVstVersion:
        return kVstVersion;
    case effEditKeyDown:
        return editor != nullptr && editor->onKeyDown(index, value, opt) ? 1 : 0;
    case effEditKeyUp:
        return editor != nullptr && editor->onKeyUp(index, value, opt) ? 1 : 0;
    case effSetEditKnobMode:
        return editor != nullptr && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetMidiProgramName:
        return ptr != nullptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        if (value != 0)
            *reinterpret_cast<void**>(value) = nullptr;
        if (ptr != nullptr)
            *static_cast<void**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstInt32 AudioEffectX::processEvents(VstEvents*) { return 0; }
bool AudioEffectX::canParameterBeAutomated(VstInt32) { return true; }
bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
bool AudioEffectX::copyProgram(VstInt32) { return false; }
bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*) { return false; }

bool AudioEffectX::setBlockSizeAndSampleRate(VstInt32 size, float rate)
{
    blockSize = size;
    sampleRate = rate;
    return true;
}

bool AudioEffectX::getEffectName(char*) { return false; }
bool AudioEffectX::getVendorString(char*) { return false; }
bool AudioEffectX::getProductString(char*) { return false; }
VstInt32 AudioEffectX::getVendorVersion() { return 0; }
VstInt32 AudioEffectX::canDo(char*) { return 0; }
bool AudioEffectX::keysRequired() { return false; }
VstInt32 AudioEffectX::getMidiProgramName(VstInt32, MidiProgramName*) { return 0; }

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::getHostProductString(char* text)
{
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::wantEvents() { return callHost(audioMasterWantMidi, 0, 1) != 0; }
