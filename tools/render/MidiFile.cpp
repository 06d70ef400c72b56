#include "MidiFile.h"

#include "ByteReader.h"
#include "FileBytes.h"
#include "RenderError.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace sorrel::render {

namespace {

constexpr std::uint32_t kHeaderMagic = 0x4D546864; // "MThd"
constexpr std::uint32_t kTrackMagic = 0x4D54726B;  // "MTrk"
constexpr std::uint32_t kMinimumHeaderLength = 6;
constexpr int kMaxQuantityBytes = 4;

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kMetaEvent = 0xFF;

// Data bytes after a channel status, by its high nibble 0x8 to 0xE.
constexpr std::array<int, 7> kChannelDataBytes{2, 2, 2, 2, 1, 1, 2};

constexpr std::array<int, 4> kSmpteFormats{24, 25, 29, 30};

std::string hexByte(unsigned value)
{
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "0x%02X", value);
    return text.data();
}

std::string truncatedAt(std::size_t offset, const std::string& where)
{
    return "truncated: the file ends at byte " + std::to_string(offset) + ", " + where;
}

class TrackParser {
public:
    TrackParser(ByteReader reader, int trackNumber, std::vector<MidiFileEvent>& events)
        : reader_(reader), trackNumber_(trackNumber), events_(events)
    {
    }

    // Returns the tick the track ends at.
    std::uint64_t parse()
    {
        try {
            while (!reader_.atEnd()) {
                eventStart_ = reader_.fileOffset();
                tick_ += readQuantity();
                if (!parseEvent()) {
                    break;
                }
            }
        } catch (const ByteReader::Truncated& cut) {
            throw RenderError("truncated: track " + std::to_string(trackNumber_) + " is cut off inside the event at byte " +
                              std::to_string(eventStart_) + " (its data ends at byte " + std::to_string(cut.offset) + ")");
        }
        return tick_;
    }

private:
    [[noreturn]] void malformed(const std::string& what) const
    {
        throw RenderError("malformed: track " + std::to_string(trackNumber_) + ", event at byte " +
                          std::to_string(eventStart_) + ": " + what);
    }

    std::uint32_t readQuantity()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < kMaxQuantityBytes; ++i) {
            const std::uint8_t byte = reader_.u8();
            value = value << 7 | (byte & 0x7Fu);
            if ((byte & 0x80u) == 0) {
                return value;
            }
        }
        malformed("variable-length number longer than 4 bytes");
    }

    // False at the end-of-track event.
    bool parseEvent()
    {
        std::uint8_t status = reader_.peek();
        if (status & 0x80u) {
            reader_.u8();
        } else if (runningStatus_ == 0) {
            malformed("data byte " + hexByte(status) + " without a status byte before it");
        } else {
            status = runningStatus_;
        }

        if (status == kMetaEvent) {
            return parseMeta();
        }
        if (status == kSysExStart || status == kSysExEscape) {
            parseSysEx(status);
            return true;
        }
        if (status >= 0xF0) {
            malformed("status byte " + hexByte(status) + " does not belong in a MIDI file");
        }
        runningStatus_ = status;
        MidiFileEvent event{tick_, MidiEventKind::Channel, 0, {status}};
        const int dataBytes = kChannelDataBytes[static_cast<std::size_t>((status >> 4) - 8)];
        for (int i = 0; i < dataBytes; ++i) {
            const std::uint8_t data = reader_.u8();
            if (data & 0x80u) {
                malformed("status " + hexByte(status) + " is followed by " + hexByte(data) + " where a data byte belongs");
            }
            event.bytes.push_back(data);
        }
        events_.push_back(std::move(event));
        return true;
    }

    // Meta and SysEx events leave the running status alone: the standard
    // cancels it, but writers that rely on it exist and nothing is ambiguous.
    bool parseMeta()
    {
        const std::uint8_t type = reader_.u8();
        if (type & 0x80u) {
            malformed("meta event type " + hexByte(type) + " is not a data byte");
        }
        const auto data = reader_.take(readQuantity());
        events_.push_back(MidiFileEvent{tick_, MidiEventKind::Meta, type, {data.begin(), data.end()}});
        return type != meta::kEndOfTrack;
    }

    // Escaped (0xF7) packets carry continuation or raw bytes that a VST
    // instrument cannot take as one SysEx message; they are skipped.
    void parseSysEx(std::uint8_t status)
    {
        const auto data = reader_.take(readQuantity());
        if (status == kSysExStart) {
            std::vector<std::uint8_t> message(data.size() + 1);
            message[0] = kSysExStart;
            std::copy(data.begin(), data.end(), message.begin() + 1);
            events_.push_back(MidiFileEvent{tick_, MidiEventKind::SysEx, 0, std::move(message)});
        }
    }

    ByteReader reader_;
    int trackNumber_;
    std::vector<MidiFileEvent>& events_;
    std::uint64_t tick_ = 0;
    std::uint8_t runningStatus_ = 0;
    std::size_t eventStart_ = 0;
};

MidiDivision parseDivision(std::uint16_t word)
{
    MidiDivision division;
    if ((word & 0x8000u) == 0) {
        if (word == 0) {
            throw RenderError("malformed: the header gives 0 ticks per quarter note");
        }
        division.ticksPerQuarter = word;
        return division;
    }
    division.smpteFormat = -static_cast<std::int8_t>(word >> 8);
    division.ticksPerFrame = word & 0xFF;
    if (std::find(kSmpteFormats.begin(), kSmpteFormats.end(), division.smpteFormat) == kSmpteFormats.end()) {
        throw RenderError("malformed: SMPTE division with " + std::to_string(division.smpteFormat) +
                          " frames a second (24, 25, 29 or 30 are possible)");
    }
    if (division.ticksPerFrame == 0) {
        throw RenderError("malformed: SMPTE division with 0 ticks per frame");
    }
    return division;
}

} // namespace

MidiFile MidiFile::parse(std::span<const std::uint8_t> bytes)
{
    ByteReader reader(bytes);
    MidiFile file;
    std::uint32_t headerLength = 0;
    try {
        if (bytes.size() < 4 || reader.u32() != kHeaderMagic) {
            throw RenderError("not a Standard MIDI File (it does not start with 'MThd')");
        }
        headerLength = reader.u32();
        if (headerLength < kMinimumHeaderLength) {
            throw RenderError("malformed: header of " + std::to_string(headerLength) + " bytes (at least 6 expected)");
        }
        file.format_ = reader.u16();
        file.trackCount_ = reader.u16();
        file.division_ = parseDivision(reader.u16());
        reader.take(headerLength - kMinimumHeaderLength);
    } catch (const ByteReader::Truncated& cut) {
        throw RenderError(truncatedAt(cut.offset, "inside the header"));
    }
    if (file.format_ == 2) {
        throw RenderError("format 2 (independent sequences) is not supported; formats 0 and 1 are");
    }
    if (file.format_ > 2) {
        throw RenderError("malformed: unknown format " + std::to_string(file.format_));
    }
    if (file.trackCount_ == 0) {
        throw RenderError("malformed: the header announces no tracks");
    }

    // Chunks of unknown types are skipped; anything after the announced tracks is ignored.
    for (int track = 1; track <= file.trackCount_;) {
        std::uint32_t type = 0;
        std::uint32_t length = 0;
        const std::size_t chunkStart = reader.fileOffset();
        if (reader.atEnd()) {
            throw RenderError(truncatedAt(chunkStart, "after " + std::to_string(track - 1) + " of the " +
                                                          std::to_string(file.trackCount_) + " tracks the header announces"));
        }
        try {
            type = reader.u32();
            length = reader.u32();
        } catch (const ByteReader::Truncated& cut) {
            throw RenderError(truncatedAt(cut.offset, "inside the chunk header at byte " + std::to_string(chunkStart)));
        }
        if (length > reader.remaining()) {
            const std::string chunk = type == kTrackMagic ? "track " + std::to_string(track) + ", whose chunk" : "a chunk";
            throw RenderError(truncatedAt(bytes.size(), "inside " + chunk + " at byte " + std::to_string(chunkStart) +
                                                            " announces " + std::to_string(length) + " bytes but has only " +
                                                            std::to_string(reader.remaining())));
        }
        const std::size_t dataStart = reader.fileOffset();
        const auto data = reader.take(length);
        if (type != kTrackMagic) {
            continue;
        }
        const std::uint64_t end = TrackParser(ByteReader(data, dataStart), track, file.events_).parse();
        file.endTick_ = std::max(file.endTick_, end);
        ++track;
    }
    std::stable_sort(file.events_.begin(), file.events_.end(),
                     [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.tick < b.tick; });
    return file;
}

MidiFile MidiFile::read(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = readFileBytes(path, "MIDI file");
    try {
        return parse(bytes);
    } catch (const RenderError& error) {
        throw RenderError("MIDI file '" + path + "': " + error.what());
    }
}

} // namespace sorrel::render
