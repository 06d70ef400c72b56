#include "RenderSession.h"

#include "RenderError.h"
#include "SongTimeline.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace sorrel::render {

namespace {

constexpr double kSilenceLevel = 3.1622776601683795e-5; // -90 dBFS
constexpr double kSilenceSeconds = 0.5;
constexpr VstInt32 kTimeFlags =
    kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | host::kVstBarsValid | host::kVstTimeSigValid;

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Points the host's time info at the tempo map for as long as the render runs.
class TimelineScope {
public:
    TimelineScope(host::HostContext& host, const host::SongTimeline& timeline) : host_(host)
    {
        host_.setTimeline(&timeline);
        host_.setTimeFlags(kTimeFlags);
    }
    ~TimelineScope() { host_.setTimeline(nullptr); }

    TimelineScope(const TimelineScope&) = delete;
    TimelineScope& operator=(const TimelineScope&) = delete;

private:
    host::HostContext& host_;
};

} // namespace

RenderSession::RenderSession(host::VstPlugin& plugin, const MidiFile& midi, const TempoMap& tempoMap,
                             RenderSettings settings)
    : plugin_(plugin), tempoMap_(tempoMap), settings_(settings),
      songFrames_(tempoMap.frameAt(midi.endTick(), settings.sampleRate))
{
    for (const MidiFileEvent& event : midi.events()) {
        if (event.kind != MidiEventKind::Meta) {
            schedule_.push_back(ScheduledEvent{tempoMap.frameAt(event.tick, settings.sampleRate), &event});
        }
    }
    const auto channels = static_cast<std::size_t>(std::max(plugin.effect().numOutputs, 0));
    buffers_.assign(channels, std::vector<float>(static_cast<std::size_t>(settings.blockSize)));
    for (auto& buffer : buffers_) {
        channels_.push_back(buffer.data());
    }
}

RenderStats RenderSession::run(const BlockSink& sink, const Progress& progress, const StopRequest& stop)
{
    TimelineScope timeline(plugin_.host(), tempoMap_);
    plugin_.host().setSamplePosition(0.0);
    RenderStats stats{0, 0.0, LevelMeter(static_cast<int>(channels_.size()))};
    const std::int64_t end = songFrames_ + std::llround(settings_.tailSeconds * settings_.sampleRate);
    nextEvent_ = 0;
    quietFrames_ = 0;

    for (std::int64_t start = 0; start < end;) {
        if (stop && stop()) {
            throw RenderError("interrupted");
        }
        const int frames = static_cast<int>(std::min<std::int64_t>(settings_.blockSize, end - start));
        stats.processCpuSeconds += renderBlock(start, frames);
        const int kept = keptFrames(start, frames);
        stats.levels.measure(channels_.data(), kept);
        sink(channels_.data(), kept);
        stats.frames += kept;
        start += frames;
        if (progress) {
            progress(stats.frames, end);
        }
        if (kept < frames) {
            break;
        }
    }
    return stats;
}

double RenderSession::renderBlock(std::int64_t start, int frames)
{
    events_.clear();
    for (; nextEvent_ < schedule_.size() && schedule_[nextEvent_].frame < start + frames; ++nextEvent_) {
        const ScheduledEvent& scheduled = schedule_[nextEvent_];
        const auto delta = static_cast<VstInt32>(scheduled.frame - start);
        const std::vector<std::uint8_t>& bytes = scheduled.event->bytes;
        if (scheduled.event->kind == MidiEventKind::SysEx) {
            events_.addSysEx(delta, bytes);
        } else {
            events_.addMidi(delta, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
        }
    }

    const double before = threadCpuSeconds();
    if (!events_.empty()) {
        plugin_.processEvents(events_);
    }
    process(frames);
    return threadCpuSeconds() - before;
}

void RenderSession::process(int frames)
{
    if (plugin_.effect().flags & effFlagsCanReplacing) {
        plugin_.processReplacing(channels_.data(), frames);
        return;
    }
    for (auto& buffer : buffers_) {
        std::fill(buffer.begin(), buffer.end(), 0.0f);
    }
    plugin_.process(channels_.data(), frames);
}

int RenderSession::keptFrames(std::int64_t start, int frames)
{
    const auto needed = static_cast<std::int64_t>(std::llround(kSilenceSeconds * settings_.sampleRate));
    const auto firstAfterSong = static_cast<int>(std::clamp<std::int64_t>(songFrames_ - start, 0, frames));
    for (int frame = firstAfterSong; frame < frames; ++frame) {
        const bool quiet = std::all_of(channels_.begin(), channels_.end(),
                                       [&](const float* channel) { return std::fabs(channel[frame]) < kSilenceLevel; });
        quietFrames_ = quiet ? quietFrames_ + 1 : 0;
        if (quietFrames_ >= needed) {
            return frame + 1;
        }
    }
    return frames;
}

} // namespace sorrel::render
