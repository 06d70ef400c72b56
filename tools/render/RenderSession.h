// Plays a MIDI file through an opened plug-in block by block. Every event is
// handed over in the block its frame falls in, with deltaFrames counted from
// the block's first frame; the host's time info follows the file's tempo map.
#pragma once

#include "LevelMeter.h"
#include "MidiFile.h"
#include "TempoMap.h"
#include "VstPlugin.h"

#include <cstdint>
#include <functional>

namespace sorrel::render {

struct RenderSettings {
    int sampleRate;
    int blockSize;
    double tailSeconds;
};

struct RenderStats {
    std::int64_t frames;
    double processCpuSeconds; // thread CPU time inside processEvents and the process calls
    LevelMeter levels;
};

class RenderSession {
public:
    // The plug-in must be open at the settings' sample rate and block size.
    using BlockSink = std::function<void(const float* const* channels, int frames)>;
    // Frames done so far and the most the render can reach.
    using Progress = std::function<void(std::int64_t done, std::int64_t atMost)>;
    // Asked between blocks; true ends the render with a RenderError.
    using StopRequest = std::function<bool()>;

    RenderSession(host::VstPlugin& plugin, const MidiFile& midi, const TempoMap& tempoMap, RenderSettings settings);

    // The output after the last event stops once it has stayed below -90 dBFS
    // for half a second, or when the tail is used up.
    RenderStats run(const BlockSink& sink, const Progress& progress = {}, const StopRequest& stop = {});

    // The frame the song's last tick falls on.
    std::int64_t songFrames() const { return songFrames_; }

private:
    struct ScheduledEvent {
        std::int64_t frame;
        const MidiFileEvent* event;
    };

    // Hands over the events in [start, start + frames) and returns the CPU time spent rendering.
    double renderBlock(std::int64_t start, int frames);
    void process(int frames);
    // Frames of this block to keep: all, or up to where the tail fell silent.
    int keptFrames(std::int64_t start, int frames);

    host::VstPlugin& plugin_;
    const TempoMap& tempoMap_;
    RenderSettings settings_;
    std::vector<ScheduledEvent> schedule_;
    std::size_t nextEvent_ = 0;
    std::int64_t songFrames_;
    std::int64_t quietFrames_ = 0;
    host::MidiEventList events_;
    std::vector<std::vector<float>> buffers_;
    std::vector<float*> channels_;
};

} // namespace sorrel::render
