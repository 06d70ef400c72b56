// Host chunks and default files through the module, as a host meets them.
#include "../plugin/DataFolders.h"
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

using sorrel::host::MidiEventList;
using sorrel::host::VstPlugin;
using sorrel::test::DataFolders;
using sorrel::test::loadSorrel;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Every test of this program meets empty data folders, never the real default files.
struct IsolatedDataFolders : ::testing::Environment {
    void SetUp() override { folders = std::make_unique<DataFolders>(); }
    void TearDown() override { folders.reset(); }
    std::unique_ptr<DataFolders> folders;
};
[[maybe_unused]] const auto* const isolated = ::testing::AddGlobalTestEnvironment(new IsolatedDataFolders);

Bytes chunkOf(VstPlugin& plugin, bool program)
{
    void* data = nullptr;
    const auto size = plugin.dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    return Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

VstIntPtr give(VstPlugin& plugin, Bytes bytes, bool program)
{
    return plugin.dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
}

// A short phrase after a restart of the engine, left channel then right.
std::vector<float> renderPhrase(VstPlugin& plugin)
{
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effMainsChanged, 0, 1);
    std::vector<float> left(512), right(512), rendered;
    float* outputs[2] = {left.data(), right.data()};
    for (int block = 0; block < 40; ++block) {
        MidiEventList events;
        if (block == 2) {
            events.addNoteOn(10, 0, 60, 100);
            events.addNoteOn(30, 0, 64, 90);
        }
        if (block == 20)
            events.addNoteOff(0, 0, 60);
        plugin.processEvents(events);
        plugin.processReplacing(outputs, 512);
        rendered.insert(rendered.end(), left.begin(), left.end());
        rendered.insert(rendered.end(), right.begin(), right.end());
    }
    return rendered;
}

std::unique_ptr<VstPlugin> openSorrel()
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 512);
    return plugin;
}

TEST(State, BankChunkRoundTripIsExactAndSoundsAlike)
{
    auto source = openSorrel();
    source->dispatch(effSetProgram, 0, 2);
    for (int index : {7, 8, 24, 27})
        source->setParameter(index, 0.3f);
    const Bytes saved = chunkOf(*source, false);
    ASSERT_EQ(saved.size(), 268304u);

    auto loaded = openSorrel();
    ASSERT_EQ(give(*loaded, saved, false), 1);
    EXPECT_EQ(chunkOf(*loaded, false), saved);
    EXPECT_EQ(loaded->dispatch(effGetProgram), 2);
    for (int index = 0; index < 96; ++index)
        EXPECT_EQ(loaded->getParameter(index), source->getParameter(index)) << index;
    const std::vector<float> phrase = renderPhrase(*source);
    EXPECT_GT(*std::max_element(phrase.begin(), phrase.end()), 0.001f);
    EXPECT_EQ(renderPhrase(*loaded), phrase);
}

TEST(State, ProgramChunkRoundTrip)
{
    auto source = openSorrel();
    source->setParameter(7, 0.61f);
    const Bytes program = chunkOf(*source, true);
    ASSERT_EQ(program.size(), 2048u);
    auto loaded = openSorrel();
    ASSERT_EQ(give(*loaded, program, true), 1);
    EXPECT_EQ(chunkOf(*loaded, true), program);
}

TEST(State, BadChunksAreRefused)
{
    auto plugin = openSorrel();
    const Bytes before = chunkOf(*plugin, false);
    Bytes flagged(5000, 0x5A);
    std::copy_n("bolg\xf8\x07\0\0\0\0\3\1\2\0\0\0", 16, flagged.begin());
    for (const Bytes& bad : {Bytes{0}, Bytes(268304, 0xFF), flagged})
        EXPECT_EQ(give(*plugin, bad, false), 0);
    EXPECT_EQ(plugin->dispatch(effSetChunk, 0, 268304, nullptr), 0);
    EXPECT_EQ(chunkOf(*plugin, false), before);
}

TEST(State, ANewInstanceLoadsTheDefaultBank)
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(dataHome, nullptr);
    const std::filesystem::path folder = std::filesystem::path(dataHome) / "VELTA" / "Sorrel";

    auto source = openSorrel();
    char name[] = "From Default";
    source->dispatch(effSetProgramName, 0, 0, name);
    void* data = nullptr;
    const auto size = source->dispatch(effGetChunk, 0, 0, &data);
    Bytes file(160, 0);
    std::copy_n("CcnK\0\0\0\0FBCh\0\0\0\1ZOBE\0\0\0\1", 24, file.begin());
    file[156] = static_cast<std::uint8_t>(size >> 24);
    file[157] = static_cast<std::uint8_t>(size >> 16);
    file[158] = static_cast<std::uint8_t>(size >> 8);
    file[159] = static_cast<std::uint8_t>(size);
    file.insert(file.end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Sorrel.fxb", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

    auto next = openSorrel();
    EXPECT_EQ(next->dispatchText(effGetProgramName), "From Default");
    std::filesystem::remove_all(folder);
    EXPECT_EQ(openSorrel()->dispatchText(effGetProgramName), "Init Program");
}

} // namespace
