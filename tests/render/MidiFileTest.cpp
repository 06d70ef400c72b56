#include "MidiFile.h"
#include "RenderError.h"
#include "RenderTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sorrel::render {
namespace {

using test::Bytes;
using test::midiFile;
using test::TrackBytes;
using ::testing::HasSubstr;

constexpr std::uint16_t kPpq = 96;

std::vector<Bytes> channelBytes(const MidiFile& file)
{
    std::vector<Bytes> result;
    for (const MidiFileEvent& event : file.events()) {
        if (event.kind != MidiEventKind::Meta) {
            result.push_back(event.bytes);
        }
    }
    return result;
}

TEST(MidiFile, MergesTracksInTimeOrderWithRunningStatus)
{
    const Bytes conductor = TrackBytes().tempo(0, 400000).event(10, {0xFF, 0x03, 0x02, 'h', 'i'}).end(200).bytes();
    // Running status after the first note on; a note on with velocity 0 ends it.
    const Bytes notes = TrackBytes()
                            .event(0, {0x91, 60, 100})
                            .event(48, {62, 90})
                            .event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7})
                            .event(0, {0xF7, 0x01, 0xF8})
                            .event(48, {0x81, 60, 0})
                            .event(0, {0xE1, 0x00, 0x40})
                            .event(0, {0xC1, 5})
                            .end()
                            .bytes();
    const Bytes early = TrackBytes().event(48, {0xB2, 64, 127}).end().bytes();
    const MidiFile file = MidiFile::parse(midiFile(1, kPpq, {conductor, notes, early}));

    EXPECT_EQ(file.format(), 1);
    EXPECT_EQ(file.trackCount(), 3);
    EXPECT_EQ(file.division().ticksPerQuarter, kPpq);
    EXPECT_EQ(file.endTick(), 210u);
    // At tick 48 the second track's events come before the third's; the escaped packet is gone.
    const std::vector<Bytes> expected{{0x91, 60, 100}, {0x91, 62, 90},       {0xF0, 0x7E, 0x01, 0xF7},
                                      {0xB2, 64, 127}, {0x81, 60, 0},        {0xE1, 0x00, 0x40},
                                      {0xC1, 5}};
    EXPECT_EQ(channelBytes(file), expected);
    std::vector<std::uint64_t> ticks;
    for (const MidiFileEvent& event : file.events()) {
        ticks.push_back(event.tick);
    }
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_EQ(file.events().front().metaType, meta::kTempo);
}

TEST(MidiFile, ReadsSmpteDivisionLongHeadersUnknownChunksAndTracksWithoutEnd)
{
    Bytes bytes{'M', 'T', 'h', 'd', 0, 0, 0, 8, 0, 0, 0, 1, 0xE7, 40, 0xAA, 0xBB}; // -25 fps, 40 ticks a frame
    bytes.insert(bytes.end(), {'X', 'y', 'z', 'w', 0, 0, 0, 2, 1, 2});
    const Bytes track = TrackBytes().event(1000, {0x90, 60, 1}).bytes();
    bytes.insert(bytes.end(), {'M', 'T', 'r', 'k'});
    test::appendBigEndian(bytes, static_cast<std::uint32_t>(track.size()));
    bytes.insert(bytes.end(), track.begin(), track.end());

    const MidiFile file = MidiFile::parse(bytes);
    EXPECT_TRUE(file.division().isSmpte());
    EXPECT_EQ(file.division().smpteFormat, 25);
    EXPECT_EQ(file.division().ticksPerFrame, 40);
    EXPECT_EQ(file.endTick(), 1000u);
    ASSERT_EQ(file.events().size(), 1u);
}

struct BadFile {
    const char* name;
    Bytes bytes;
    const char* message;
};

Bytes withHeader(std::initializer_list<std::uint8_t> header)
{
    Bytes bytes{'M', 'T', 'h', 'd'};
    bytes.insert(bytes.end(), header);
    return bytes;
}

Bytes oneTrack(std::initializer_list<std::uint8_t> events)
{
    return midiFile(0, kPpq, {Bytes(events)});
}

class MidiFileRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(MidiFileRefuses, SayingWhatAndWhere)
{
    try {
        MidiFile::parse(GetParam().bytes);
        FAIL() << "parsed";
    } catch (const RenderError& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
    }
}

Bytes truncatedTrackChunk()
{
    Bytes bytes = oneTrack({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00});
    bytes.resize(bytes.size() - 3);
    return bytes;
}

Bytes cutChunkHeader()
{
    Bytes bytes = oneTrack({});
    bytes.resize(14 + 6);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MidiFileRefuses,
    ::testing::Values(
        BadFile{"Empty", {}, "not a Standard MIDI File"},
        BadFile{"RiffFile", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a Standard MIDI File"},
        BadFile{"CutHeader", withHeader({0, 0, 0, 6, 0, 1}), "truncated: the file ends at byte 10, inside the header"},
        BadFile{"ShortHeader", withHeader({0, 0, 0, 4, 0, 0, 0, 1}), "malformed: header of 4 bytes"},
        BadFile{"FormatTwo", midiFile(2, kPpq, {TrackBytes().end().bytes()}), "format 2 (independent sequences)"},
        BadFile{"FormatThree", midiFile(3, kPpq, {TrackBytes().end().bytes()}), "unknown format 3"},
        BadFile{"NoTracks", midiFile(0, kPpq, {}), "announces no tracks"},
        BadFile{"ZeroPpq", midiFile(0, 0, {TrackBytes().end().bytes()}), "0 ticks per quarter note"},
        BadFile{"OddFrameRate", midiFile(0, 0xE9'08, {TrackBytes().end().bytes()}), "SMPTE division with 23 frames"},
        BadFile{"ZeroTicksPerFrame", midiFile(0, 0xE8'00, {TrackBytes().end().bytes()}), "0 ticks per frame"},
        BadFile{"MissingTrack", withHeader({0, 0, 0, 6, 0, 1, 0, 2, 0, kPpq}),
                "truncated: the file ends at byte 14, after 0 of the 2 tracks"},
        BadFile{"CutTrackChunk", truncatedTrackChunk(),
                "the file ends at byte 27, inside track 1, whose chunk at byte 14 announces 8 bytes but has only 5"},
        BadFile{"CutChunkHeader", cutChunkHeader(), "ends at byte 20, inside the chunk header at byte 14"},
        BadFile{"EventCutAtChunkEnd", oneTrack({0x00, 0x90, 60}),
                "truncated: track 1 is cut off inside the event at byte 22"},
        BadFile{"MetaLongerThanChunk", oneTrack({0x00, 0xFF, 0x01, 0x10, 'a'}), "cut off inside the event at byte 22"},
        BadFile{"DataWithoutStatus", oneTrack({0x00, 60, 100}),
                "malformed: track 1, event at byte 22: data byte 0x3C without a status byte"},
        BadFile{"LongQuantity", oneTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}), "longer than 4 bytes"},
        BadFile{"SystemCommonStatus", oneTrack({0x00, 0xF4, 0x00}), "status byte 0xF4 does not belong"},
        BadFile{"StatusInsteadOfData", oneTrack({0x00, 0x90, 60, 0x80, 0x00}), "followed by 0x80 where a data byte"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MidiFile, ReadNamesThePathAndTheReason)
{
    try {
        MidiFile::read("/nonexistent/song.mid");
        FAIL() << "read";
    } catch (const RenderError& error) {
        EXPECT_THAT(error.what(), HasSubstr("cannot read MIDI file '/nonexistent/song.mid': No such file"));
    }
}

} // namespace
} // namespace sorrel::render
