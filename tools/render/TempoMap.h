// Where each tick of a MIDI file falls in time, and the song position the host
// reports to the plug-in. Built from the file's tempo and time-signature
// events; SMPTE files run at their frame rate while tempo events still set the
// beat the plug-in sees.
#pragma once

#include "MidiFile.h"
#include "SongTimeline.h"

#include <cstdint>
#include <vector>

namespace sorrel::render {

class TempoMap : public host::SongTimeline {
public:
    explicit TempoMap(const MidiFile& file);

    // The sample frame a tick falls on, rounded to the nearest frame. Exact:
    // computed in integers, so no drift accumulates over a long song.
    std::int64_t frameAt(std::uint64_t tick, int sampleRate) const;
    double secondsAt(std::uint64_t tick) const;

    host::SongPosition positionAt(double samplePosition, double sampleRate) const override;

private:
    // From `startTick` on, each tick lasts `unitsPerTick` time units, where a
    // second has unitsPerSecond_ of them.
    struct TempoSegment {
        std::uint64_t startTick;
        unsigned __int128 startUnits;
        std::uint64_t unitsPerTick;
        double startSeconds;
        double startQuarters;
        double microsecondsPerQuarter;
    };
    struct Metre {
        double startQuarters;
        int numerator;
        int denominator;
    };

    void addTempo(std::uint64_t tick, std::uint32_t microsecondsPerQuarter);
    void addMetre(std::uint64_t tick, int numerator, int denominator);
    const TempoSegment& segmentAtTick(std::uint64_t tick) const;
    const TempoSegment& segmentAtSeconds(double seconds) const;
    unsigned __int128 unitsAt(std::uint64_t tick) const;
    double quartersAt(std::uint64_t tick) const;

    MidiDivision division_;
    std::uint64_t unitsPerSecond_;
    std::vector<TempoSegment> tempos_;
    std::vector<Metre> metres_;
};

} // namespace sorrel::render
