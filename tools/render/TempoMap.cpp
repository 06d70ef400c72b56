#include "TempoMap.h"

#include <algorithm>
#include <cmath>

namespace sorrel::render {

namespace {

constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000; // 120 quarters a minute
constexpr double kMicrosecondsPerMinute = 60e6;
constexpr std::uint64_t kMicrosecondsPerSecond = 1000000;
constexpr int kMaxDenominatorPower = 6; // 64th notes

struct FrameRate {
    std::uint64_t numerator;
    std::uint64_t denominator;
};

FrameRate smpteFrameRate(int format)
{
    // Format 29 is 30-frame drop-frame timecode: 30000 frames every 1001 seconds.
    return format == 29 ? FrameRate{30000, 1001} : FrameRate{static_cast<std::uint64_t>(format), 1};
}

} // namespace

TempoMap::TempoMap(const MidiFile& file) : division_(file.division())
{
    std::uint64_t unitsPerTick = 0;
    if (division_.isSmpte()) {
        const FrameRate rate = smpteFrameRate(division_.smpteFormat);
        unitsPerSecond_ = rate.numerator * static_cast<std::uint64_t>(division_.ticksPerFrame);
        unitsPerTick = rate.denominator;
    } else {
        unitsPerSecond_ = static_cast<std::uint64_t>(division_.ticksPerQuarter) * kMicrosecondsPerSecond;
        unitsPerTick = kDefaultMicrosecondsPerQuarter;
    }
    tempos_.push_back(TempoSegment{0, 0, unitsPerTick, 0.0, 0.0, kDefaultMicrosecondsPerQuarter});
    metres_.push_back(Metre{0.0, 4, 4});

    for (const MidiFileEvent& event : file.events()) {
        if (event.kind != MidiEventKind::Meta) {
            continue;
        }
        const auto& data = event.bytes;
        // Events with impossible values are ignored rather than trusted.
        if (event.metaType == meta::kTempo && data.size() == 3) {
            const std::uint32_t microseconds = static_cast<std::uint32_t>(data[0]) << 16 | data[1] << 8 | data[2];
            if (microseconds > 0) {
                addTempo(event.tick, microseconds);
            }
        } else if (event.metaType == meta::kTimeSignature && data.size() >= 2 && data[0] > 0 &&
                   data[1] <= kMaxDenominatorPower) {
            addMetre(event.tick, data[0], 1 << data[1]);
        }
    }
}

void TempoMap::addTempo(std::uint64_t tick, std::uint32_t microsecondsPerQuarter)
{
    const TempoSegment& last = tempos_.back();
    TempoSegment next{tick,
                      unitsAt(tick),
                      division_.isSmpte() ? last.unitsPerTick : microsecondsPerQuarter,
                      secondsAt(tick),
                      quartersAt(tick),
                      static_cast<double>(microsecondsPerQuarter)};
    // Of several tempo events at one tick the last one counts.
    if (last.startTick == tick) {
        tempos_.back() = next;
    } else {
        tempos_.push_back(next);
    }
}

void TempoMap::addMetre(std::uint64_t tick, int numerator, int denominator)
{
    const Metre next{quartersAt(tick), numerator, denominator};
    if (metres_.back().startQuarters == next.startQuarters) {
        metres_.back() = next;
    } else {
        metres_.push_back(next);
    }
}

const TempoMap::TempoSegment& TempoMap::segmentAtTick(std::uint64_t tick) const
{
    const auto after = std::upper_bound(tempos_.begin(), tempos_.end(), tick,
                                        [](std::uint64_t value, const TempoSegment& s) { return value < s.startTick; });
    return *std::prev(after);
}

const TempoMap::TempoSegment& TempoMap::segmentAtSeconds(double seconds) const
{
    const auto after = std::upper_bound(tempos_.begin(), tempos_.end(), seconds,
                                        [](double value, const TempoSegment& s) { return value < s.startSeconds; });
    return after == tempos_.begin() ? tempos_.front() : *std::prev(after);
}

unsigned __int128 TempoMap::unitsAt(std::uint64_t tick) const
{
    const TempoSegment& segment = segmentAtTick(tick);
    return segment.startUnits + static_cast<unsigned __int128>(tick - segment.startTick) * segment.unitsPerTick;
}

double TempoMap::secondsAt(std::uint64_t tick) const
{
    return static_cast<double>(unitsAt(tick)) / static_cast<double>(unitsPerSecond_);
}

double TempoMap::quartersAt(std::uint64_t tick) const
{
    if (!division_.isSmpte()) {
        return static_cast<double>(tick) / division_.ticksPerQuarter;
    }
    const TempoSegment& segment = segmentAtTick(tick);
    return segment.startQuarters +
           (secondsAt(tick) - segment.startSeconds) * kMicrosecondsPerSecond / segment.microsecondsPerQuarter;
}

std::int64_t TempoMap::frameAt(std::uint64_t tick, int sampleRate) const
{
    const unsigned __int128 scaled = unitsAt(tick) * static_cast<unsigned>(sampleRate);
    return static_cast<std::int64_t>((2 * scaled + unitsPerSecond_) / (2 * static_cast<unsigned __int128>(unitsPerSecond_)));
}

host::SongPosition TempoMap::positionAt(double samplePosition, double sampleRate) const
{
    const double seconds = samplePosition / sampleRate;
    const TempoSegment& segment = segmentAtSeconds(seconds);
    const double quarters =
        segment.startQuarters + (seconds - segment.startSeconds) * kMicrosecondsPerSecond / segment.microsecondsPerQuarter;

    // A tiny tolerance keeps a position that lands on a bar line from
    // counting as the end of the bar before it.
    constexpr double kTolerance = 1e-9;
    const auto metre = std::upper_bound(metres_.begin(), metres_.end(), quarters + kTolerance,
                                        [](double value, const Metre& m) { return value < m.startQuarters; });
    const Metre& current = metre == metres_.begin() ? metres_.front() : *std::prev(metre);
    const double barLength = 4.0 * current.numerator / current.denominator;
    const double bars = std::floor((quarters - current.startQuarters) / barLength + kTolerance);
    return host::SongPosition{kMicrosecondsPerMinute / segment.microsecondsPerQuarter, quarters,
                              current.startQuarters + std::max(bars, 0.0) * barLength, current.numerator,
                              current.denominator};
}

} // namespace sorrel::render
