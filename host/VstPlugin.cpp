#include "VstPlugin.h"

#include "CallbackRouter.h"
#include "HostError.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace sorrel::host {

namespace {

constexpr std::size_t kTextBufferBytes = 256;

std::string hex(VstInt32 value)
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "0x%08X", static_cast<unsigned>(value));
    return text.data();
}

} // namespace

VstPlugin::VstPlugin(const std::string& modulePath, HostConfig config)
    : module_(modulePath), host_(std::move(config))
{
    AEffect* effect = nullptr;
    {
        CallbackRouter::CreationScope scope(host_);
        effect = module_.entry()(&CallbackRouter::callback);
    }
    if (effect == nullptr) {
        throw HostError("plug-in '" + modulePath + "' returned no effect record from " + module_.entryName());
    }
    if (effect->magic != kEffectMagic) {
        // Nothing in a record with a wrong magic can be trusted, not even effClose.
        throw HostError("plug-in '" + modulePath + "' returned a record with magic " + hex(effect->magic) +
                        " instead of 'VstP'");
    }
    CallbackRouter::attach(*effect, host_);
    effect_ = effect;
}

VstPlugin::~VstPlugin()
{
    if (!isClosed()) {
        close();
    }
}

void VstPlugin::requireLive() const
{
    if (isClosed()) {
        throw HostError("plug-in '" + module_.path() + "' is closed");
    }
}

AEffect& VstPlugin::effect()
{
    requireLive();
    return *effect_;
}

const AEffect& VstPlugin::effect() const
{
    requireLive();
    return *effect_;
}

VstIntPtr VstPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    AEffect& record = effect();
    return record.dispatcher(&record, opcode, index, value, ptr, opt);
}

std::string VstPlugin::dispatchText(VstInt32 opcode, VstInt32 index)
{
    std::array<char, kTextBufferBytes> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

void VstPlugin::setParameter(VstInt32 index, float value)
{
    AEffect& record = effect();
    record.setParameter(&record, index, value);
}

float VstPlugin::getParameter(VstInt32 index)
{
    AEffect& record = effect();
    return record.getParameter(&record, index);
}

std::string VstPlugin::parameterName(VstInt32 index)
{
    return dispatchText(effGetParamName, index);
}

std::string VstPlugin::parameterLabel(VstInt32 index)
{
    return dispatchText(effGetParamLabel, index);
}

std::string VstPlugin::parameterDisplay(VstInt32 index)
{
    return dispatchText(effGetParamDisplay, index);
}

void VstPlugin::open(double sampleRate, VstInt32 blockSize)
{
    host_.setSampleRate(sampleRate);
    host_.setBlockSize(blockSize);
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    opened_ = true;
}

void VstPlugin::close()
{
    if (opened_) {
        dispatch(effMainsChanged, 0, 0);
        opened_ = false;
    }
    dispatch(effClose);
    effect_ = nullptr;
}

void VstPlugin::processReplacing(float** outputs, VstInt32 frames, float** inputs)
{
    render(effect().processReplacing, "processReplacing", inputs, outputs, frames);
}

void VstPlugin::process(float** outputs, VstInt32 frames, float** inputs)
{
    render(effect().process, "process", inputs, outputs, frames);
}

void VstPlugin::render(AEffectProcessProc proc, const char* name, float** inputs, float** outputs, VstInt32 frames)
{
    if (proc == nullptr) {
        throw HostError("plug-in '" + module_.path() + "' has no " + name + " callback");
    }
    if (frames < 0 || frames > host_.blockSize()) {
        throw HostError(std::string(name) + " of " + std::to_string(frames) + " frames is outside 0-" +
                        std::to_string(host_.blockSize()) + ", the block size given to the plug-in");
    }
    proc(effect_, inputs != nullptr ? inputs : silentInputs(frames), outputs, frames);
    host_.advance(frames);
}

float** VstPlugin::silentInputs(VstInt32 frames)
{
    const auto channels = static_cast<std::size_t>(std::max(effect_->numInputs, 0));
    const auto length = static_cast<std::size_t>(frames);
    // The plug-in may write into its inputs; start every call from silence.
    silence_.assign(channels * length, 0.0f);
    silentInputs_.resize(channels);
    for (std::size_t channel = 0; channel < channels; ++channel) {
        silentInputs_[channel] = silence_.data() + channel * length;
    }
    return silentInputs_.data();
}

VstIntPtr VstPlugin::processEvents(MidiEventList& events)
{
    return dispatch(effProcessEvents, 0, 0, events.vstEvents());
}

} // namespace sorrel::host
