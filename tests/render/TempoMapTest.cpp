#include "TempoMap.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

namespace sorrel::render {
namespace {

using test::midiFile;
using test::TrackBytes;

MidiFile parse(std::uint16_t division, const TrackBytes& track)
{
    return MidiFile::parse(midiFile(0, division, {track.bytes()}));
}

struct FrameCase {
    std::uint64_t tick;
    int sampleRate;
    std::int64_t frame;
};

TEST(TempoMap, PlacesTicksOnTheNearestFrameAcrossTempoChanges)
{
    // 96 ticks a quarter; 120 bpm for two quarters, then 240 bpm.
    const TempoMap map(parse(96, TrackBytes().tempo(0, 500000).tempo(192, 250000).end(1000)));
    const FrameCase cases[] = {
        {0, 44100, 0},
        {1, 44100, 230},     // 229.6875
        {7, 44100, 1608},    // 1607.8125
        {192, 44100, 44100}, // one second
        {192, 48000, 48000},
        {240, 44100, 49613}, // 1.125 s: 49612.5 rounds up
        {241, 22050, 24864}, // 24863.67
    };
    for (const FrameCase& c : cases) {
        EXPECT_EQ(map.frameAt(c.tick, c.sampleRate), c.frame) << "tick " << c.tick << " at " << c.sampleRate;
    }
    EXPECT_DOUBLE_EQ(map.secondsAt(240), 1.125);
}

TEST(TempoMap, SmpteTimeIgnoresTempoForPlacementButNotForTheBeat)
{
    // 25 frames of 40 ticks: 1000 ticks a second. A tempo of 240 bpm from tick 10 on.
    const TempoMap map(parse(0xE7'28, TrackBytes().tempo(10, 250000).end(2000)));
    EXPECT_EQ(map.frameAt(1000, 44100), 44100);
    EXPECT_EQ(map.frameAt(1, 48000), 48);
    const host::SongPosition position = map.positionAt(44100.0, 44100.0);
    EXPECT_DOUBLE_EQ(position.tempo, 240.0);
    EXPECT_NEAR(position.ppqPosition, 0.02 + 0.99 * 4.0, 1e-9);
}

TEST(TempoMap, DropFrameSmpteRunsAt2997FramesASecond)
{
    const TempoMap map(parse(0xE3'01, TrackBytes().end(30000))); // -29: 30000 frames every 1001 s
    EXPECT_EQ(map.frameAt(30000, 44100), 1001 * 44100);
}

TEST(TempoMap, ReportsTempoPositionAndBarsFromTheSong)
{
    // 3/4 from the start, 6/8 after two bars (six quarters); 120 bpm, then 60 bpm from quarter 4.
    const TempoMap map(parse(480, TrackBytes()
                                      .event(0, {0xFF, 0x58, 0x04, 3, 2, 24, 8})
                                      .tempo(0, 500000)
                                      .tempo(1920, 1000000)
                                      .event(960, {0xFF, 0x58, 0x04, 6, 3, 24, 8})
                                      .end(4800)));
    struct Expected {
        double seconds;
        double tempo;
        double ppq;
        double barStart;
        int numerator;
        int denominator;
    };
    const Expected cases[] = {
        {0.0, 120.0, 0.0, 0.0, 3, 4},  {1.0, 120.0, 2.0, 0.0, 3, 4}, {1.5, 120.0, 3.0, 3.0, 3, 4},
        {2.5, 60.0, 4.5, 3.0, 3, 4},   {4.0, 60.0, 6.0, 6.0, 6, 8},  {5.6, 60.0, 7.6, 6.0, 6, 8},
        {7.0, 60.0, 9.0, 9.0, 6, 8},
    };
    constexpr double kRate = 1000.0;
    for (const Expected& c : cases) {
        const host::SongPosition position = map.positionAt(c.seconds * kRate, kRate);
        EXPECT_DOUBLE_EQ(position.tempo, c.tempo) << c.seconds << " s";
        EXPECT_NEAR(position.ppqPosition, c.ppq, 1e-9) << c.seconds << " s";
        EXPECT_NEAR(position.barStartPosition, c.barStart, 1e-9) << c.seconds << " s";
        EXPECT_EQ(position.timeSigNumerator, c.numerator) << c.seconds << " s";
        EXPECT_EQ(position.timeSigDenominator, c.denominator) << c.seconds << " s";
    }
}

} // namespace
} // namespace sorrel::render
