// A Standard MIDI File (format 0 or 1) read into one list of events in time
// order. Parsing checks the whole file up front, so a truncated or malformed
// file is refused with the place where it goes wrong before anything plays.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sorrel::render {

struct MidiDivision {
    int ticksPerQuarter = 0; // metrical time; 0 in SMPTE time
    int smpteFormat = 0;     // 24, 25, 29 (drop-frame 30, 29.97 frames a second) or 30; 0 in metrical time
    int ticksPerFrame = 0;

    bool isSmpte() const { return smpteFormat != 0; }
};

enum class MidiEventKind { Channel, SysEx, Meta };

struct MidiFileEvent {
    std::uint64_t tick;
    MidiEventKind kind;
    std::uint8_t metaType; // meta events only
    // Channel: status and data bytes. SysEx: 0xF0 and what follows it. Meta: the data.
    std::vector<std::uint8_t> bytes;
};

namespace meta {
constexpr std::uint8_t kTrackName = 0x03;
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kTempo = 0x51;
constexpr std::uint8_t kTimeSignature = 0x58;
} // namespace meta

class MidiFile {
public:
    // Throws RenderError saying what is wrong and at which byte.
    static MidiFile parse(std::span<const std::uint8_t> bytes);
    // As parse, with the path in the message; also refuses unreadable files.
    static MidiFile read(const std::string& path);

    int format() const { return format_; }
    int trackCount() const { return trackCount_; }
    const MidiDivision& division() const { return division_; }
    // All tracks merged by tick; events at one tick keep track order, then file order.
    const std::vector<MidiFileEvent>& events() const { return events_; }
    // The latest tick any track reaches, its end-of-track event included.
    std::uint64_t endTick() const { return endTick_; }

private:
    MidiFile() = default;

    int format_ = 0;
    int trackCount_ = 0;
    MidiDivision division_;
    std::vector<MidiFileEvent> events_;
    std::uint64_t endTick_ = 0;
};

} // namespace sorrel::render
