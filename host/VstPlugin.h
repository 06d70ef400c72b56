// One plug-in instance driven the way a VST 2.4 host drives it. Each instance
// has its own HostContext, so several instances (also of one module) can live
// in a process and the plug-in's host calls reach the right one.
#pragma once

#include "HostConfig.h"
#include "HostContext.h"
#include "MidiEventList.h"
#include "VstAbi.h"
#include "VstModule.h"

#include <string>
#include <vector>

namespace sorrel::host {

class VstPlugin {
public:
    // Loads the module and calls its entry point. Throws HostError when the
    // module fails to load, the entry returns no record, or the magic is wrong.
    explicit VstPlugin(const std::string& modulePath, HostConfig config = {});
    // Closes the plug-in when close() was not called.
    ~VstPlugin();

    VstPlugin(const VstPlugin&) = delete;
    VstPlugin& operator=(const VstPlugin&) = delete;

    // Every call below throws HostError once the plug-in is closed.
    AEffect& effect();
    const AEffect& effect() const;
    HostContext& host() { return host_; }
    const VstModule& module() const { return module_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Dispatches a text opcode with a zeroed 256-byte buffer and returns the text.
    std::string dispatchText(VstInt32 opcode, VstInt32 index = 0);

    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);
    std::string parameterName(VstInt32 index);
    std::string parameterLabel(VstInt32 index);
    std::string parameterDisplay(VstInt32 index);

    // effOpen, sample rate, block size, then effMainsChanged 1. The host
    // context answers the same rate and block size from then on.
    void open(double sampleRate, VstInt32 blockSize);
    // effMainsChanged 0 (when opened), then effClose, which frees the record.
    void close();
    bool isOpen() const { return opened_; }
    bool isClosed() const { return effect_ == nullptr; }

    // Render `frames` frames (0 to the block size) and advance the host's
    // sample position. Null inputs give the plug-in's inputs silence.
    void processReplacing(float** outputs, VstInt32 frames, float** inputs = nullptr);
    // The accumulating call: the plug-in adds into the outputs.
    void process(float** outputs, VstInt32 frames, float** inputs = nullptr);

    VstIntPtr processEvents(MidiEventList& events);

private:
    void requireLive() const;
    void render(AEffectProcessProc proc, const char* name, float** inputs, float** outputs, VstInt32 frames);
    float** silentInputs(VstInt32 frames);

    VstModule module_;
    HostContext host_;
    AEffect* effect_ = nullptr;
    bool opened_ = false;
    std::vector<float> silence_;
    std::vector<float*> silentInputs_;
};

} // namespace sorrel::host
