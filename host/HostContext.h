// One plug-in instance's view of the host: the answers to its host calls and
// the record of the calls that tests look at. Safe to call from several
// threads at once.
#pragma once

#include "HostConfig.h"
#include "HostTransport.h"
#include "VstAbi.h"

#include <mutex>
#include <string>
#include <vector>

namespace sorrel::host {

// A recorded automate, begin-edit, end-edit or size-window call.
struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;

    bool operator==(const HostCall&) const = default;
};

class HostContext {
public:
    explicit HostContext(HostConfig config = {});

    // The answer to one host-callback call from the plug-in. Unknown opcodes answer 0.
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    void setVersion(VstInt32 version);
    void setProductString(const std::string& text);
    void setVendorString(const std::string& text);
    void setVendorVersion(VstInt32 version);
    void setSampleRate(double sampleRate);
    void setBlockSize(VstInt32 frames);
    double sampleRate() const;
    VstInt32 blockSize() const;

    void setTempo(double bpm);
    void setTimeFlags(VstInt32 flags);
    void setTimeInfoAvailable(bool available);
    void setSamplePosition(double samplePosition);
    // See HostTransport::setTimeline.
    void setTimeline(const SongTimeline* timeline);
    void advance(VstInt32 frames);

    std::vector<HostCall> calls() const;
    void clearCalls();
    bool wantsMidi() const;
    int updateDisplayCount() const;

private:
    mutable std::mutex mutex_;
    HostConfig config_;
    HostTransport transport_;
    std::vector<HostCall> calls_;
    bool wantsMidi_ = false;
    int updateDisplayCount_ = 0;
};

} // namespace sorrel::host
