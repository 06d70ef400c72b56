// MIDI through the module: what reaches the parameters, and arbitrary bytes.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using sorrel::host::MidiEventList;
using sorrel::test::loadSorrel;

TEST(MidiInput, ControllersWheelsAndProgramChanges)
{
    auto plugin = loadSorrel();
    plugin->open(48000.0, 512);
    struct Case {
        const char* what;
        unsigned char status;
        unsigned char data1;
        unsigned char data2;
        int parameter;
        float expected;
    };
    const Case cases[] = {
        {"bend centre", 0xE0, 0, 64, 30, 0.5f},
        {"bend down", 0xE0, 0, 0, 30, 0.0f},
        {"bend up", 0xE1, 127, 127, 30, 1.0f},
        {"volume controller", 0xB0, 7, 64, 0, 0.5f},
        {"controller 21 under arp tempo sync moves Arp Times", 0xB3, 21, 0, 63, 0.0f},
        {"and not Arp Speed", 0xB3, 21, 0, 14, 0.4f},
        {"modulation wheel", 0xB0, 1, 127, 31, 1.0f},
    };
    for (const Case& c : cases) {
        MidiEventList events;
        events.addMidi(0, c.status, c.data1, c.data2);
        plugin->processEvents(events);
        EXPECT_FLOAT_EQ(plugin->getParameter(c.parameter), c.expected) << c.what;
    }

    MidiEventList programs;
    programs.addMidi(0, 0xC0, 40, 0);
    plugin->processEvents(programs);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
    programs.clear();
    programs.addMidi(0, 0xC5, 3, 0);
    const int updates = plugin->host().updateDisplayCount();
    plugin->processEvents(programs);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 3);
    EXPECT_EQ(plugin->host().updateDisplayCount(), updates + 1);
}

TEST(MidiInput, ArbitraryBytesAreSurvived)
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 256);
    std::mt19937 random(4417);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> offset(-50, 400);
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    for (int round = 0; round < 100; ++round) {
        MidiEventList events;
        for (int i = 0; i < 16; ++i)
            events.addMidi(offset(random), static_cast<unsigned char>(byte(random)),
                           static_cast<unsigned char>(byte(random)), static_cast<unsigned char>(byte(random)));
        EXPECT_EQ(plugin->processEvents(events), 1);
        plugin->processReplacing(outputs, 256);
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
    }
}
