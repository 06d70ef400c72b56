#include "RenderSession.h"

#include "FakeSynthProbe.h"
#include "RenderError.h"
#include "RenderTestSupport.h"
#include "SongTimeline.h"

#include <gtest/gtest.h>

#include <optional>

namespace sorrel::render {
namespace {

using test::midiFile;
using test::TrackBytes;

constexpr int kRate = 44100;

// 96 ticks a quarter, 120 bpm, 240 bpm from tick 192 (one second) on. The
// fake synth plays level + the sum of held note numbers on the left.
MidiFile steppedSong()
{
    const auto conductor = TrackBytes().tempo(0, 500000).tempo(192, 250000).end(108).bytes();
    const auto notes = TrackBytes()
                           .event(1, {0x90, 60, 100})   // frame 230
                           .event(99, {0x90, 61, 100})  // tick 100: frame 22969
                           .event(92, {0x80, 60, 0})    // tick 192: frame 44100
                           .event(49, {0x90, 61, 0})    // tick 241: frame 49727
                           .end()
                           .bytes();
    return MidiFile::parse(midiFile(1, 96, {conductor, notes}));
}

float expectedLeft(std::int64_t frame, float level)
{
    return level + (frame >= 230 && frame < 44100 ? 60.0f : 0.0f) + (frame >= 22969 && frame < 49727 ? 61.0f : 0.0f);
}

class RenderSessionTest : public ::testing::Test {
protected:
    host::VstPlugin& openPlugin(int blockSize)
    {
        plugin_.emplace(FAKE_SYNTH_PATH);
        plugin_->open(kRate, blockSize);
        return *plugin_;
    }

    RenderStats render(int blockSize, double tailSeconds, float level = 0.5f)
    {
        host::VstPlugin& plugin = openPlugin(blockSize);
        plugin.setParameter(0, level);
        RenderSession session(plugin, song_, tempoMap_, RenderSettings{kRate, blockSize, tailSeconds});
        left_.clear();
        return session.run([this](const float* const* channels, int frames) {
            left_.insert(left_.end(), channels[0], channels[0] + frames);
        });
    }

    MidiFile song_ = steppedSong();
    TempoMap tempoMap_{song_};
    std::optional<host::VstPlugin> plugin_;
    std::vector<float> left_;
};

class EventTiming : public RenderSessionTest, public ::testing::WithParamInterface<int> {};

TEST_P(EventTiming, EveryEventActsOnItsOwnFrame)
{
    const RenderStats stats = render(GetParam(), 0.0);
    ASSERT_EQ(stats.frames, 56503); // tick 300, 1.28125 s
    ASSERT_EQ(left_.size(), 56503u);
    for (std::size_t frame = 0; frame < left_.size(); ++frame) {
        ASSERT_EQ(left_[frame], expectedLeft(static_cast<std::int64_t>(frame), 0.5f)) << "frame " << frame;
    }
    EXPECT_EQ(stats.levels.peak(0), 121.5);
    EXPECT_GT(stats.levels.samplesOverFullScale(), 0);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, EventTiming, ::testing::Values(1, 7, 64, 230, 4096, 8192));

TEST_F(RenderSessionTest, TimeInfoFollowsTheTempoMap)
{
    render(64, 0.0);
    const auto& seen = *reinterpret_cast<const fake_synth::Observations*>(
        plugin_->dispatch(fake_synth::kProbeOpcode, fake_synth::kObserve));
    // The last block starts at frame 56448, 0.28 s into the 240 bpm part.
    ASSERT_TRUE(seen.timeAnswered);
    EXPECT_EQ(seen.lastTime.samplePos, 56448.0);
    EXPECT_EQ(seen.lastTime.tempo, 240.0);
    EXPECT_NEAR(seen.lastTime.ppqPos, 2.0 + 56448.0 / kRate * 4.0 - 4.0, 1e-9);
    EXPECT_EQ(seen.lastTime.flags, kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | host::kVstBarsValid |
                                       host::kVstTimeSigValid);
}

TEST_F(RenderSessionTest, TailEndsHalfASecondIntoSilence)
{
    const RenderStats stats = render(512, 5.0, 0.0f);
    EXPECT_EQ(stats.frames, 56503 + kRate / 2);
}

TEST_F(RenderSessionTest, TailStopsAtItsBoundWhenTheSoundGoesOn)
{
    EXPECT_EQ(render(512, 1.0, 0.5f).frames, 56503 + kRate);
    EXPECT_EQ(render(100, 0.25, 0.0f).frames, 56503 + kRate / 4);
}

TEST_F(RenderSessionTest, StopRequestEndsTheRender)
{
    host::VstPlugin& plugin = openPlugin(512);
    RenderSession session(plugin, song_, tempoMap_, RenderSettings{kRate, 512, 0.0});
    int blocks = 0;
    EXPECT_THROW(session.run([](const float* const*, int) {}, {}, [&blocks] { return ++blocks > 3; }), RenderError);
    EXPECT_EQ(blocks, 4);
}

} // namespace
} // namespace sorrel::render
