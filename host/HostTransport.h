// The host's song position as the plug-in sees it through audioMasterGetTime.
// Not synchronised: HostContext guards it.
#pragma once

#include "SongTimeline.h"
#include "VstAbi.h"

#include <optional>

namespace sorrel::host {

class HostTransport {
public:
    HostTransport(double sampleRate, double tempo, VstInt32 flags, bool available);

    void setSampleRate(double sampleRate) { sampleRate_ = sampleRate; }
    double sampleRate() const { return sampleRate_; }
    void setTempo(double bpm) { tempo_ = bpm; }
    void setFlags(VstInt32 flags) { flags_ = flags; }
    void setAvailable(bool available) { available_ = available; }
    void setSamplePosition(double samplePosition);
    // While set (it must outlive its use), tempo, musical position and metre
    // come from `timeline` at the current sample position; null goes back to
    // the fixed tempo.
    void setTimeline(const SongTimeline* timeline) { timeline_ = timeline; }

    // Moves the position on by the frames a process call rendered.
    void advance(VstInt32 frames);

    // The record for the current position; none when time info is switched off.
    std::optional<VstTimeInfo> timeInfo() const;

private:
    double quarterNotesPerSample() const;

    double sampleRate_;
    double tempo_;
    VstInt32 flags_;
    bool available_;
    double samplePosition_ = 0.0;
    double ppqPosition_ = 0.0;
    const SongTimeline* timeline_ = nullptr;
};

} // namespace sorrel::host
