#include "HostTransport.h"

#include <cmath>

namespace sorrel::host {

namespace {

constexpr VstInt32 kBeatsPerBar = 4;

} // namespace

HostTransport::HostTransport(double sampleRate, double tempo, VstInt32 flags, bool available)
    : sampleRate_(sampleRate), tempo_(tempo), flags_(flags), available_(available)
{
}

void HostTransport::setSamplePosition(double samplePosition)
{
    samplePosition_ = samplePosition;
    ppqPosition_ = samplePosition * quarterNotesPerSample();
}

void HostTransport::advance(VstInt32 frames)
{
    samplePosition_ += frames;
    // Accumulated rather than derived from the sample position, so a tempo
    // change bends the musical position instead of jumping it.
    ppqPosition_ += frames * quarterNotesPerSample();
}

std::optional<VstTimeInfo> HostTransport::timeInfo() const
{
    if (!available_) {
        return std::nullopt;
    }
    const SongPosition position =
        timeline_ != nullptr
            ? timeline_->positionAt(samplePosition_, sampleRate_)
            : SongPosition{tempo_, ppqPosition_, std::floor(ppqPosition_ / kBeatsPerBar) * kBeatsPerBar, kBeatsPerBar, 4};
    VstTimeInfo info{};
    info.samplePos = samplePosition_;
    info.sampleRate = sampleRate_;
    info.ppqPos = position.ppqPosition;
    info.tempo = position.tempo;
    info.barStartPos = position.barStartPosition;
    info.timeSigNumerator = position.timeSigNumerator;
    info.timeSigDenominator = position.timeSigDenominator;
    info.flags = flags_;
    return info;
}

double HostTransport::quarterNotesPerSample() const
{
    return sampleRate_ > 0.0 ? tempo_ / 60.0 / sampleRate_ : 0.0;
}

} // namespace sorrel::host
