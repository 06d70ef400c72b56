#include "HostContext.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace sorrel::host {

namespace {

constexpr std::array<std::string_view, 6> kHostCapabilities{
    "sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo",
    "receiveVstEvents", "receiveVstMidiEvent", "sizeWindow",
};

// The vendor and product opcodes hand us 64 bytes.
constexpr std::size_t kHostStringBytes = 64;

VstIntPtr copyHostString(const std::string& text, void* ptr)
{
    if (ptr == nullptr) {
        return 0;
    }
    const std::size_t length = std::min(text.size(), kHostStringBytes - 1);
    auto* destination = static_cast<char*>(ptr);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
    return 1;
}

VstIntPtr canDo(const void* ptr)
{
    if (ptr == nullptr) {
        return 0;
    }
    const std::string_view asked(static_cast<const char*>(ptr));
    return std::find(kHostCapabilities.begin(), kHostCapabilities.end(), asked) != kHostCapabilities.end() ? 1 : 0;
}

// The plug-in reads the record after our lock is gone; one copy per calling
// thread keeps two audio threads from reading a record the other rewrites.
VstIntPtr publishForThisThread(const std::optional<VstTimeInfo>& info)
{
    thread_local VstTimeInfo published{};
    if (!info) {
        return 0;
    }
    published = *info;
    return reinterpret_cast<VstIntPtr>(&published);
}

} // namespace

HostContext::HostContext(HostConfig config)
    : config_(std::move(config)),
      transport_(config_.sampleRate, config_.tempo, config_.timeFlags, config_.timeInfoAvailable)
{
}

VstIntPtr HostContext::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    std::lock_guard lock(mutex_);
    switch (opcode) {
    case audioMasterVersion:
        return config_.version;
    case audioMasterGetTime:
        return publishForThisThread(transport_.timeInfo());
    case audioMasterGetProductString:
        return copyHostString(config_.productString, ptr);
    case audioMasterGetVendorString:
        return copyHostString(config_.vendorString, ptr);
    case audioMasterGetVendorVersion:
        return config_.vendorVersion;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(transport_.sampleRate());
    case audioMasterGetBlockSize:
        return config_.blockSize;
    case audioMasterCanDo:
        return canDo(ptr);
    case audioMasterWantMidi:
        wantsMidi_ = true;
        return 1;
    case audioMasterUpdateDisplay:
        ++updateDisplayCount_;
        return 1;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterSizeWindow:
        calls_.push_back(HostCall{opcode, index, value, opt});
        return 1;
    default:
        return 0;
    }
}

void HostContext::setVersion(VstInt32 version)
{
    std::lock_guard lock(mutex_);
    config_.version = version;
}

void HostContext::setProductString(const std::string& text)
{
    std::lock_guard lock(mutex_);
    config_.productString = text;
}

void HostContext::setVendorString(const std::string& text)
{
    std::lock_guard lock(mutex_);
    config_.vendorString = text;
}

void HostContext::setVendorVersion(VstInt32 version)
{
    std::lock_guard lock(mutex_);
    config_.vendorVersion = version;
}

void HostContext::setSampleRate(double sampleRate)
{
    std::lock_guard lock(mutex_);
    transport_.setSampleRate(sampleRate);
}

void HostContext::setBlockSize(VstInt32 frames)
{
    std::lock_guard lock(mutex_);
    config_.blockSize = frames;
}

double HostContext::sampleRate() const
{
    std::lock_guard lock(mutex_);
    return transport_.sampleRate();
}

VstInt32 HostContext::blockSize() const
{
    std::lock_guard lock(mutex_);
    return config_.blockSize;
}

void HostContext::setTempo(double bpm)
{
    std::lock_guard lock(mutex_);
    transport_.setTempo(bpm);
}

void HostContext::setTimeFlags(VstInt32 flags)
{
    std::lock_guard lock(mutex_);
    transport_.setFlags(flags);
}

void HostContext::setTimeInfoAvailable(bool available)
{
    std::lock_guard lock(mutex_);
    transport_.setAvailable(available);
}

void HostContext::setSamplePosition(double samplePosition)
{
    std::lock_guard lock(mutex_);
    transport_.setSamplePosition(samplePosition);
}

void HostContext::setTimeline(const SongTimeline* timeline)
{
    std::lock_guard lock(mutex_);
    transport_.setTimeline(timeline);
}

void HostContext::advance(VstInt32 frames)
{
    std::lock_guard lock(mutex_);
    transport_.advance(frames);
}

std::vector<HostCall> HostContext::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void HostContext::clearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

bool HostContext::wantsMidi() const
{
    std::lock_guard lock(mutex_);
    return wantsMidi_;
}

int HostContext::updateDisplayCount() const
{
    std::lock_guard lock(mutex_);
    return updateDisplayCount_;
}

} // namespace sorrel::host
