// Sorrel.so driven from three threads at once, as hosts do: an audio thread that
// renders without pause, a UI thread that changes parameters and programs and
// loads and saves chunks, and a thread that sends MIDI. Run under ThreadSanitizer
// it must report nothing; afterwards the state must be the last one loaded and
// nothing may keep sounding after all notes are off.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

using sorrel::host::MidiEventList;
using sorrel::host::VstPlugin;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr VstInt32 kBlock = 128;
constexpr double kSampleRate = 44100.0;

Bytes chunkOf(VstPlugin& plugin, bool program)
{
    void* data = nullptr;
    const auto size = plugin.dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return data != nullptr ? Bytes(bytes, bytes + size) : Bytes();
}

VstIntPtr load(VstPlugin& plugin, Bytes chunk, bool program)
{
    return plugin.dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
}

struct Stereo {
    std::vector<float> left = std::vector<float>(kBlock);
    std::vector<float> right = std::vector<float>(kBlock);
    float* channels[2] = {left.data(), right.data()};

    float peak() const
    {
        float level = 0.0f;
        for (std::size_t i = 0; i < left.size(); ++i)
            level = std::max({level, std::fabs(left[i]), std::fabs(right[i])});
        return level;
    }
};

class ConcurrentHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = sorrel::test::loadSorrel();
        plugin->open(kSampleRate, kBlock);
    }

    // Renders until told to stop; the rendered audio must stay finite.
    void audioThread()
    {
        Stereo out;
        while (!stopAudio.load(std::memory_order_acquire)) {
            plugin->processReplacing(out.channels, kBlock);
            if (!std::isfinite(out.peak()))
                nonFinite.store(true);
            ++blocksRendered;
        }
    }

    void uiThread(const std::vector<Bytes>& banks, const Bytes& program)
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<VstInt32> index(0, plugin->effect().numParams - 1), slot(0, 31), what(0, 9);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        for (int step = 0; step < 1500; ++step) {
            switch (what(random)) {
            case 0:
                plugin->dispatch(effSetProgram, 0, slot(random));
                break;
            case 1:
                load(*plugin, banks[static_cast<std::size_t>(step) % banks.size()], false);
                break;
            case 2:
                load(*plugin, program, true);
                break;
            case 3:
                chunkOf(*plugin, step % 2 == 0);
                break;
            default:
                plugin->setParameter(index(random), value(random));
                break;
            }
        }
    }

    void midiThread()
    {
        std::mt19937 random(11);
        std::uniform_int_distribution<int> key(30, 90), byte(0, 127), offset(0, kBlock - 1);
        MidiEventList events;
        for (int step = 0; step < 3000; ++step) {
            events.clear();
            events.addNoteOn(offset(random), 0, key(random), 1 + byte(random) % 127);
            events.addNoteOff(offset(random), 0, key(random));
            events.addControlChange(offset(random), 0, byte(random) % 96, byte(random));
            if (step % 50 == 0)
                events.addMidi(0, 0xC0, static_cast<unsigned char>(byte(random) % 32), 0);
            if (step % 9 == 0)
                events.addPitchBend(offset(random), 0, byte(random) << 7);
            plugin->processEvents(events);
        }
    }

    std::unique_ptr<VstPlugin> plugin;
    std::atomic<bool> stopAudio{false};
    std::atomic<bool> nonFinite{false};
    std::atomic<int> blocksRendered{0};
};

TEST_F(ConcurrentHost, ThreeThreadsLeaveTheLastLoadedStateAndNoStuckNotes)
{
    const Bytes factoryBank = chunkOf(*plugin, false);
    plugin->setParameter(7, 0.3f);
    const Bytes editedBank = chunkOf(*plugin, false);
    const Bytes program = chunkOf(*plugin, true);

    std::thread audio([this] { audioThread(); });
    std::thread midi([this] { midiThread(); });
    std::thread ui([&] { uiThread({factoryBank, editedBank}, program); });
    midi.join();
    ui.join();

    // The UI thread's last load, while the audio thread still renders; then the
    // controllers reset, so that the wheels are where they were when the bank was
    // saved (the edit buffer follows their live positions), and all notes off.
    ASSERT_EQ(load(*plugin, editedBank, false), 1);
    MidiEventList panic;
    panic.addControlChange(0, 0, 121, 0);
    panic.addControlChange(0, 0, 123, 0);
    plugin->processEvents(panic);
    while (blocksRendered.load() < 100)
        std::this_thread::yield();
    stopAudio.store(true, std::memory_order_release);
    audio.join();

    EXPECT_FALSE(nonFinite.load());
    const Bytes finalBank = chunkOf(*plugin, false);
    ASSERT_EQ(finalBank.size(), editedBank.size());
    for (std::size_t i = 0; i < finalBank.size(); ++i)
        ASSERT_EQ(finalBank[i], editedBank[i]) << "first difference at byte " << i;

    // Ten seconds cover the longest release of the loaded program.
    Stereo out;
    for (int block = 0; block < static_cast<int>(10 * kSampleRate) / kBlock; ++block)
        plugin->processReplacing(out.channels, kBlock);
    EXPECT_LT(out.peak(), 1e-6f);
}

} // namespace
