// Program opcodes as a host meets them.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <string>

using sorrel::test::loadSorrel;

TEST(ProgramOpcodes, SelectingRenamingAndCopying)
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 512);
    sorrel::host::HostContext& host = plugin->host();
    const int updates = host.updateDisplayCount();

    plugin->dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 3);
    EXPECT_EQ(host.updateDisplayCount(), updates + 1);
    plugin->dispatch(effSetProgram, 0, 3);  // the current one: nothing to show
    plugin->dispatch(effSetProgram, 0, 32); // beyond the bank
    EXPECT_EQ(plugin->dispatch(effGetProgram), 3);
    EXPECT_EQ(host.updateDisplayCount(), updates + 1);

    std::string name = "A rather long program name";
    plugin->dispatch(effSetProgramName, 0, 0, name.data());
    EXPECT_EQ(plugin->dispatchText(effGetProgramName), name.substr(0, 16));
    EXPECT_EQ(plugin->dispatchText(effGetProgramNameIndexed, 3), name.substr(0, 16));
    EXPECT_EQ(plugin->dispatchText(effGetProgramNameIndexed, 4), "Init Program");
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 32, 0, std::string(256, '\0').data()), 0);

    EXPECT_EQ(plugin->dispatch(effCopyProgram, 4), 1);
    EXPECT_EQ(plugin->dispatchText(effGetProgramNameIndexed, 4), name.substr(0, 16));
    EXPECT_EQ(plugin->dispatch(effCopyProgram, 32), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 3);
}

TEST(ProgramOpcodes, AProgramChangeKeepsTheWheels)
{
    auto plugin = loadSorrel();
    plugin->open(44100.0, 512);
    sorrel::host::MidiEventList events;
    events.addPitchBend(0, 0, 0);
    events.addControlChange(0, 0, 1, 127);
    plugin->processEvents(events);
    plugin->dispatch(effSetProgram, 0, 7);
    EXPECT_FLOAT_EQ(plugin->getParameter(30), 0.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(31), 1.0f);
}
