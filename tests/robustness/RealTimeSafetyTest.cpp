// The audio-thread calls of Sorrel.so make no heap call and take no lock over a long
// render that plays notes and changes parameters, programs, arpeggio and effect
// modes. The instance lock that these calls take at entry is a semaphore without a
// mutex behind it and is not counted; every mutex, rwlock, spin lock and POSIX
// semaphore is.
#include "AudioThreadProbe.h"
#include "ParameterIndices.h"
#include "VstAbi.h"
#include "VstModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

using sorrel::test::AudioThreadProbe;

namespace {

constexpr int kBlock = 256;
constexpr double kSampleRate = 44100.0;
constexpr int kBlocks = 60 * 44100 / kBlock; // one minute

// A host that answers without allocating or locking, so that everything counted
// belongs to the plug-in.
VstTimeInfo timeInfo{};

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(kSampleRate);
    case audioMasterGetBlockSize:
        return kBlock;
    default:
        return 0;
    }
}

// The MIDI of one block, laid out as a host lays it out, built before the render.
struct EventBlock {
    std::vector<VstMidiEvent> records;
    std::vector<VstEvent*> pointers;
    std::vector<std::byte> storage;

    void add(VstInt32 offset, int status, int data1, int data2)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = offset;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        records.push_back(event);
    }

    VstEvents* events()
    {
        storage.assign(sizeof(VstEvents) + records.size() * sizeof(VstEvent*), std::byte{});
        auto* block = reinterpret_cast<VstEvents*>(storage.data());
        block->numEvents = static_cast<VstInt32>(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            block->events[i] = reinterpret_cast<VstEvent*>(&records[i]);
        return block;
    }
};

struct ParameterChange {
    VstInt32 index;
    float value;
};

// Notes, chords, controllers, bends, program changes and panics, seeded.
std::vector<EventBlock> scriptMidi(std::mt19937& random)
{
    std::vector<EventBlock> blocks(kBlocks);
    std::uniform_int_distribution<int> key(24, 100), offset(0, kBlock - 1), value(0, 127);
    std::vector<int> held;
    for (int b = 0; b < kBlocks; ++b) {
        EventBlock& block = blocks[static_cast<std::size_t>(b)];
        if (b % 7 == 0) {
            for (int n = 0; n < 3; ++n) {
                held.push_back(key(random));
                block.add(offset(random), 0x90, held.back(), 1 + value(random) % 127);
            }
        }
        if (b % 11 == 0 && !held.empty()) {
            block.add(offset(random), 0x80, held.front(), 64);
            held.erase(held.begin());
        }
        if (b % 5 == 0)
            block.add(offset(random), 0xB0, value(random) % 96, value(random)); // mapped controllers
        if (b % 13 == 0)
            block.add(offset(random), 0xE0, value(random), value(random));
        if (b % 17 == 0)
            block.add(offset(random), 0xD0, value(random), 0);
        if (b % 150 == 0)
            block.add(0, 0xC0, value(random) % 32, 0);
        if (b % 400 == 399) {
            block.add(offset(random), 0xB0, 123, 0);
            held.clear();
        }
    }
    return blocks;
}

// Every automatable parameter at random, and the arpeggio and effect mode swept
// through their steps while notes sound.
std::vector<std::vector<ParameterChange>> scriptParameters(std::mt19937& random, VstInt32 count)
{
    std::vector<std::vector<ParameterChange>> blocks(kBlocks);
    std::uniform_int_distribution<VstInt32> index(0, count - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (int b = 0; b < kBlocks; ++b) {
        auto& changes = blocks[static_cast<std::size_t>(b)];
        if (b % 3 == 0)
            changes.push_back({index(random), value(random)});
        if (b % 64 == 0) {
            const int step = b / 64;
            changes.push_back({sorrel::kParamFxMode, static_cast<float>(step % 4) / 3.0f});
            changes.push_back({sorrel::kParamArpeggio, (step / 4) % 2 == 0 ? 1.0f : 0.0f});
            changes.push_back({sorrel::kParamHold, (step / 8) % 2 == 0 ? 0.0f : 1.0f});
        }
    }
    return blocks;
}

} // namespace

class RealTimeSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        timeInfo = {};
        timeInfo.sampleRate = kSampleRate;
        timeInfo.tempo = 132.0;
        timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
        effect = module.entry()(&quietHost);
        ASSERT_NE(effect, nullptr);
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, nullptr, static_cast<float>(kSampleRate));
        dispatch(effSetBlockSize, kBlock);
        dispatch(effMainsChanged, 1);
        AudioThreadProbe::reset();
    }
    void TearDown() override
    {
        if (effect == nullptr)
            return;
        dispatch(effMainsChanged, 0);
        dispatch(effClose);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, 0, value, ptr, opt);
    }

    sorrel::host::VstModule module{SORREL_MODULE_PATH};
    AEffect* effect = nullptr;
};

// Without this the zero counts below would prove nothing.
TEST_F(RealTimeSafety, ProbeSeesTheModulesHeapCalls)
{
    void* chunk = nullptr;
    {
        AudioThreadProbe probe;
        dispatch(effGetChunk, 0, &chunk); // the first bank chunk allocates its buffer
    }
    EXPECT_GT(AudioThreadProbe::totals().allocations, 0u);
}

TEST_F(RealTimeSafety, ProcessCallsNeitherAllocateNorLock)
{
    std::mt19937 random(20240);
    std::vector<EventBlock> midi = scriptMidi(random);
    std::vector<VstEvents*> events;
    for (EventBlock& block : midi)
        events.push_back(block.events());
    const auto parameters = scriptParameters(random, effect->numParams);
    std::array<std::vector<float>, 2> output{std::vector<float>(kBlock), std::vector<float>(kBlock)};
    float* outputs[2] = {output[0].data(), output[1].data()};

    float loudest = 0.0f;
    for (int b = 0; b < kBlocks; ++b) {
        AudioThreadProbe probe;
        for (const ParameterChange& change : parameters[static_cast<std::size_t>(b)])
            effect->setParameter(effect, change.index, change.value);
        dispatch(effProcessEvents, 0, events[static_cast<std::size_t>(b)]);
        if (b % 2 == 0)
            effect->processReplacing(effect, nullptr, outputs, kBlock);
        else
            effect->process(effect, nullptr, outputs, kBlock);
        for (const auto& channel : output)
            for (float sample : channel)
                loudest = std::max(loudest, std::fabs(sample));
        timeInfo.samplePos += kBlock;
        timeInfo.ppqPos = timeInfo.samplePos / kSampleRate * timeInfo.tempo / 60.0;
    }

    const auto counts = AudioThreadProbe::totals();
    EXPECT_GT(loudest, 0.01f); // it played
    EXPECT_EQ(counts.allocations, 0u);
    EXPECT_EQ(counts.frees, 0u);
    EXPECT_EQ(counts.locks, 0u);
}
