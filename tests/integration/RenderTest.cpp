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

// Silence up to the note's offset, sound from it on: the VCA curve is 0
// for the first few samples of the attack, so the first non-zero sample
// comes a few samples after the offset.
TEST(Render, NoteSoundsFromItsOffsetAndNotBefore)
{
    struct Case {
        double rate;
        int offset;
    };
    for (const Case c : {Case{44100.0, 100}, Case{48000.0, 10}, Case{44100.0, 511}}) {
        SCOPED_TRACE("offset " + std::to_string(c.offset));
        auto plugin = loadSorrel();
        plugin->open(c.rate, 512); // resuming renders the pre-roll
        MidiEventList events;
        events.addNoteOn(c.offset, 0, 69, 100);
        plugin->processEvents(events);
        StereoBuffer first(512, 1.0f);
        plugin->processReplacing(first.channels(), 512);
        StereoBuffer second(512, 1.0f);
        plugin->processReplacing(second.channels(), 512);

        std::vector<float> left = first.left;
        left.insert(left.end(), second.left.begin(), second.left.end());
        for (int i = 0; i < c.offset; ++i) {
            ASSERT_EQ(left[i], 0.0f) << "sample " << i;
            ASSERT_EQ(first.right[i], 0.0f) << "sample " << i;
        }
        int firstSound = c.offset;
        while (firstSound < 1024 && left[firstSound] == 0.0f) {
            ++firstSound;
        }
        EXPECT_LE(firstSound, c.offset + 4);
        double energy = 0.0;
        for (int i = c.offset + 256; i < c.offset + 512; ++i) {
            energy += left[i] * left[i];
        }
        EXPECT_GT(std::sqrt(energy / 256.0), 0.01);
    }
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
