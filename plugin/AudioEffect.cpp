#include "AudioEffect.h"

#include "AEffEditor.h"

#include <cstdint>

namespace {

AudioEffect* objectOf(AEffect* e)
{
    return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr;
}

// Hosts pass numbers in a pointer-sized value; anything beyond 32 bits is refused
// rather than silently wrapped onto a valid number.
bool fitsInt32(VstIntPtr value) { return value >= INT32_MIN && value <= INT32_MAX; }

} // namespace

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programs, VstInt32 params)
    : audioMaster(host), numPrograms(programs), numParams(params)
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &AudioEffect::dispatchEffect;
    cEffect.process = &AudioEffect::processEffect;
    cEffect.setParameter = &AudioEffect::setParameterEffect;
    cEffect.getParameter = &AudioEffect::getParameterEffect;
    cEffect.processReplacing = &AudioEffect::processReplacingEffect;
    cEffect.processDoubleReplacing = &AudioEffect::processDoubleReplacingEffect;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode("NoEf");
    cEffect.version = 1;
    cEffect.flags = effFlagsCanReplacing;
}

AudioEffect::~AudioEffect() = default;

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool on)
{
    cEffect.flags = on ? (cEffect.flags | flag) : (cEffect.flags & ~flag);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster != nullptr ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::process(float**, float**, VstInt32) {}
void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}
void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) { return 0.0f; }

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(char*) {}
void AudioEffect::getProgramName(char* name) { name[0] = '\0'; }
void AudioEffect::getParameterLabel(VstInt32, char* label) { label[0] = '\0'; }
void AudioEffect::getParameterDisplay(VstInt32, char* text) { text[0] = '\0'; }
void AudioEffect::getParameterName(VstInt32, char* text) { text[0] = '\0'; }
VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    // Opcodes that write through ptr answer 0 for a null pointer and change nothing.
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 1;
    case effSetProgram:
        if (fitsInt32(value))
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr != nullptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr != nullptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr != nullptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr != nullptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr != nullptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        if (fitsInt32(value))
            setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return editor != nullptr && ptr != nullptr && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return fourCharCode("NvEf");
    case effGetChunk:
        return ptr != nullptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        if (ptr == nullptr || value <= 0 || value > 0x7fffffff)
            return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

VstIntPtr AudioEffect::dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt)
{
    AudioEffect* object = objectOf(e);
    if (object == nullptr)
        return 0;
    const VstIntPtr result = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete object;
        return 1;
    }
    return result;
}

void AudioEffect::processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processReplacingEffect(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processDoubleReplacingEffect(AEffect* e, double** inputs, double** outputs,
                                               VstInt32 sampleFrames)
{
    if (AudioEffect* object = objectOf(e))
        object->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterEffect(AEffect* e, VstInt32 index, float value)
{
    if (AudioEffect* object = objectOf(e))
        object->setParameter(index, value);
}

float AudioEffect::getParameterEffect(AEffect* e, VstInt32 index)
{
    AudioEffect* object = objectOf(e);
    return object != nullptr ? object->getParameter(index) : 0.0f;
}
