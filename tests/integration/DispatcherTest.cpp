// The dispatcher opcodes as a host meets them.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using sorrel::test::loadSorrel;

namespace {

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override { plugin = loadSorrel(); }

    VstIntPtr canDo(const char* text) { return plugin->dispatch(effCanDo, 0, 0, const_cast<char*>(text)); }

    std::unique_ptr<sorrel::host::VstPlugin> plugin;
};

} // namespace

TEST_F(Dispatcher, FixedAnswers)
{
    struct Case {
        VstInt32 opcode;
        VstIntPtr value;
        VstIntPtr answer;
    };
    const Case cases[] = {
        {effOpen, 0, 0},
        {effGetVu, 0, 0},
        {effIdentify, 0, ('N' << 24) | ('v' << 16) | ('E' << 8) | 'f'},
        {effString2Parameter, 0, 0},
        {effGetNumProgramCategories, 0, 1},
        {effConnectInput, 0, 1},
        {effConnectOutput, 0, 1},
        {effGetPlugCategory, 0, 2},
        {effGetVendorVersion, 0, 0x01030000},
        {effKeysRequired, 0, 0},
        {effGetVstVersion, 0, 2400},
        {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 4321, 4321},
        {effEditGetRect, 0, 0},
        {effEditOpen, 0, 0},
        {effEditClose, 0, 0},
        {effEditIdle, 0, 0},
        {effEditKeyDown, 0, 0},
        {effSetEditKnobMode, 2, 0},
        {16, 0, 0},
        {77, 0, 0},
        {-5, 0, 0},
        {100000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("opcode " + std::to_string(c.opcode));
        EXPECT_EQ(plugin->dispatch(c.opcode, 0, c.value), c.answer);
    }
}

TEST_F(Dispatcher, NamesOfTheInstrument)
{
    EXPECT_EQ(plugin->dispatchText(effGetEffectName), "Sorrel");
    EXPECT_EQ(plugin->dispatchText(effGetProductString), "Sorrel");
    EXPECT_EQ(plugin->dispatchText(effGetVendorString), "VELTA");
    EXPECT_EQ(plugin->dispatch(effGetEffectName), 0); // no buffer, no answer
}

TEST_F(Dispatcher, CanDoMatchesExactly)
{
    for (const char* text :
         {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"})
        EXPECT_EQ(canDo(text), 1) << text;
    for (const char* text : {"receiveVstTimeInfo ", "receiveVstTimeIn", "ReceiveVstEvents", "offline", "", "bypass"})
        EXPECT_EQ(canDo(text), -1) << text;
    EXPECT_EQ(plugin->dispatch(effCanDo), -1);
}

TEST_F(Dispatcher, OutputProperties)
{
    for (int index : {0, 1}) {
        VstPinProperties properties{};
        EXPECT_EQ(plugin->dispatch(effGetOutputProperties, index, 0, &properties), 1);
        EXPECT_STREQ(properties.label, "Sorrel");
        EXPECT_EQ(properties.flags, 3);
    }
    VstPinProperties untouched;
    std::memset(&untouched, 0x5a, sizeof untouched);
    VstPinProperties properties = untouched;
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, 2, 0, &properties), 0);
    EXPECT_EQ(std::memcmp(&properties, &untouched, sizeof properties), 0);
    EXPECT_EQ(plugin->dispatch(effGetInputProperties, 0, 0, &properties), 0);
}

TEST_F(Dispatcher, ProgramNamesAndSelection)
{
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
    EXPECT_EQ(plugin->dispatchText(effGetProgramName), "Init Program");

    char name[64] = {};
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 31, 0, name), 1);
    EXPECT_STREQ(name, "Init Program");
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 32, 0, name), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, -1, 0, name), 0);

    char longName[] = "A name of thirty characters!!";
    plugin->dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(plugin->dispatchText(effGetProgramName), "A name of thirty"); // the host gets 16
    EXPECT_EQ(plugin->dispatch(effCopyProgram, 5), 1);
    EXPECT_EQ(plugin->dispatch(effCopyProgram, 32), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 5, 0, name), 1);
    EXPECT_STREQ(name, "A name of thirty");

    plugin->dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 5);
    EXPECT_GE(plugin->host().updateDisplayCount(), 1);
    plugin->dispatch(effSetProgram, 0, 32);
    plugin->dispatch(effSetProgram, 0, -1);
    plugin->dispatch(effSetProgram, 0, VstIntPtr{1} << 32); // must not wrap to program 0
    EXPECT_EQ(plugin->dispatch(effGetProgram), 5);
}

TEST_F(Dispatcher, MidiProgramName)
{
    MidiProgramName program{};
    program.thisProgramIndex = 3;
    EXPECT_EQ(plugin->dispatch(effGetMidiProgramName, 0, 0, &program), 1);
    EXPECT_STREQ(program.name, "Init Program");
    EXPECT_EQ(program.midiProgram, 3);
    EXPECT_EQ(program.midiBankMsb, -1);
    EXPECT_EQ(program.midiBankLsb, -1);
    EXPECT_EQ(program.parentCategoryIndex, -1);
    EXPECT_EQ(program.flags, 1);

    MidiProgramName outside{};
    outside.thisProgramIndex = 40;
    EXPECT_EQ(plugin->dispatch(effGetMidiProgramName, 0, 0, &outside), 0);
    EXPECT_STREQ(outside.name, "");
}

TEST_F(Dispatcher, SpeakerArrangementPointersAreCleared)
{
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ(plugin->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, NullPointersAreRefused)
{
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effGetChunk, effSetChunk, effProcessEvents, effGetProgramNameIndexed,
                            effGetOutputProperties, effGetEffectName, effGetVendorString, effGetProductString,
                            effGetMidiProgramName, effEditGetRect})
        EXPECT_EQ(plugin->dispatch(opcode, 0, 16, nullptr), 0) << "opcode " << opcode;
    EXPECT_EQ(plugin->dispatchText(effGetProgramName), "Init Program");
}

TEST_F(Dispatcher, ResumeAsksForMidi)
{
    plugin->open(48000.0, 256);
    EXPECT_TRUE(plugin->host().wantsMidi());
}
