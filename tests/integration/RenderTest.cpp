// Rendering through the module: any block size, with and without events.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using sorrel::host::MidiEventList;
using sorrel::test::loadSorrel;

namespace {

struct StereoBuffer {
    explicit StereoBuffer(int frames, float fill = 0.0f) : left(frames, fill), right(frames, fill) {}
    float** channels()
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
    bool allFinite() const
    {
        for (size_t i = 0; i < left.size(); ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                return false;
        return true;
    }
    std::vector<float> left;
    std::vector<float> right;
    float* pointers[2] = {};
};

} // namespace

TEST(Render, AnyBlockSizeGivesFiniteSamples)
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 8192);
    for (int frames : {1, 2, 3, 63, 64, 255, 256, 511, 1024, 4097, 8192}) {
        SCOPED_TRACE("frames " + std::to_string(frames));
        MidiEventList events;
        events.addNoteOn(0, 0, 60, 100);
        events.addNoteOn(frames - 1, 0, 64, 127);
        events.addNoteOff(frames / 2, 0, 60);
        events.addSysEx(0, {0xf0, 0x7e, 0x7f, 0x09, 0x01, 0xf7});
        EXPECT_EQ(plugin->processEvents(events), 1);
        StereoBuffer replacing(frames, NAN);
        plugin->processReplacing(replacing.channels(), frames);
        EXPECT_TRUE(replacing.allFinite());
        StereoBuffer accumulating(frames, 0.25f);
        plugin->process(accumulating.channels(), frames);
        EXPECT_TRUE(accumulating.allFinite());
    }
}

TEST(Render, FrameCountsBelowOneReturnAtOnce)
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 512);
    StereoBuffer buffer(4, 0.5f);
    for (VstInt32 frames : {0, -1, -100000}) {
        plugin->effect().processReplacing(&plugin->effect(), nullptr, buffer.channels(), frames);
        plugin->effect().process(&plugin->effect(), nullptr, buffer.channels(), frames);
    }
    EXPECT_EQ(buffer.left, std::vector<float>(4, 0.5f));
    EXPECT_EQ(buffer.right, std::vector<float>(4, 0.5f));
}

TEST(Render, SilentUntilTheVoicesArrive)
{
    auto plugin = loadSorrel();
    plugin->open(48000.0, 512);
    MidiEventList events;
    events.addNoteOn(10, 0, 69, 100);
    plugin->processEvents(events);
    StereoBuffer buffer(512, 1.0f);
    plugin->processReplacing(buffer.channels(), 512);
    EXPECT_EQ(buffer.left, std::vector<float>(512, 0.0f));
    EXPECT_EQ(buffer.right, std::vector<float>(512, 0.0f));
}

TEST(Render, DoublePrecisionIsNotOffered)
{
    auto plugin = loadSorrel();
    EXPECT_EQ(plugin->effect().flags & effFlagsCanDoubleReplacing, 0);
    double left[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    double right[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    double* outputs[2] = {left, right};
    plugin->effect().processDoubleReplacing(&plugin->effect(), nullptr, outputs, 8);
    EXPECT_EQ(left[0], 1.0);
}
