#include "ParameterConversions.h"
#include "ParameterTable.h"
#include "ProgramRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace sorrel {
namespace {

// Factory assignable controllers: Modulation, Breath, 16, 17.
const DisplayContext kFactoryContext{{1, 2, 16, 17}};

std::string display(int index, float value, const DisplayContext& context = kFactoryContext)
{
    char text[64];
    std::memset(text, 'x', sizeof text);
    formatParameterDisplay(index, value, context, text);
    return text;
}

std::string hostName(int index, float fxMode = 0.0f)
{
    char text[64] = {};
    hostParameterName(index, fxMode, text);
    return text;
}

// Display of every parameter in the factory program, character for character.
const char* const kInitProgramDisplay[kParameterCount] = {
    "10.00", " 0.00", " 8'", "SAW", " 0.00", " 0.00", "Off  ", "10.00",                    // 0-7
    " 0.00", " 0.00", " 0.0", "  EG", "0", "OFF", " 4.00", "1 Oct",                         // 8-15
    "     Up", "OFF", "High", "2.00", " 6.67", " 0.00", " 0.00", "VCO",                    // 16-23
    " 0.00", " 5.00", "10.00", " 0.00", "     Off", " 0.00", " 0.00", " 0.00",             // 24-31
    "OFF", "Poly", "", "", "", "", "", "",                                                  // 32-39
    "", "", "", "", "", "", "", "",                                                         // 40-47
    " 0.00", "CENTER", "144.0", "ON", "+00", "", " 0.50", " 3.00",                          // 48-55
    "OFF", "OFF", "1/4  ", "01", "OFF", "ON", "1/16 ", "01",                                // 56-63
    " 0.00", " 0.00", " 0.00", " 0.00", " 0.00", " 0.00", " 0.00", " 0.00",                 // 64-71
    "06", "01", "Velocity", "Modulation", " 0.00", "10.00", "", "",                         // 72-79
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",                         // 80-95
};

TEST(ParameterTable, InitProgramDisplaysEveryDefault)
{
    const ProgramRecord init = initProgram();
    for (int index = 0; index < kParameterCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(display(index, init.value(index)), kInitProgramDisplay[index]);
    }
}

struct DisplayCase {
    int index;
    float value;
    const char* text;
};

const DisplayCase kDisplayCases[] = {
    {49, 0.5f, "CENTER"}, {49, 0.6f, "R1.00"}, {49, 0.4f, "L1.00"}, {49, 0.0f, "L5.00"}, {49, 1.0f, "R5.00"},
    {1, 1.0f, "+ 5.00"}, {1, 0.0f, "- 5.00"}, {1, 0.6f, "+ 1.00"},
    {0, 0.0f, " 0.00"}, {0, 0.123f, " 1.23"},
    {52, 0.0f, "-24"}, {52, 1.0f, "+24"}, {52, 21.0f / 48.0f, "-03"},
    {59, 0.0f, "16"}, {63, 8.0f / 15.0f, "08"},
    {72, 1.0f, "32"}, {73, 1.0f, "16"},
    {10, 1.0f, "150.0"}, {19, 1.0f, "12.00"}, {50, 0.0f, "20.0"}, {50, 1.0f, "400.0"},
    {28, 1.0f, "Ensemble"}, {12, 0.0f, "-10"}, {12, 1.0f, "+10"},
    {11, 0.0f, "Gate"}, {13, 0.5f, "ON"}, {13, 0.49f, "OFF"},
    {74, 0.0f, "None"}, {74, 0.5f, "Pitch Bend"}, {75, 0.75f, "Breath"}, {75, 0.875f, "CC16"}, {75, 1.0f, "CC17"},
    {53, 0.5f, ""}, {94, 1.0f, ""}, {95, 1.0f, ""}, {96, 0.5f, ""}, {-1, 0.5f, ""},
};

TEST(ParameterTable, DisplayFormats)
{
    for (const DisplayCase& c : kDisplayCases) {
        SCOPED_TRACE(testing::Message() << c.index << " at " << c.value);
        EXPECT_EQ(display(c.index, c.value), c.text);
    }
}

TEST(ParameterTable, SourceNamesOfUnusableControllersReadNoAssign)
{
    const DisplayContext context{{96, -1, 127, 64}};
    EXPECT_EQ(display(74, fromStep(5, 9, 0), context), "No Assign");
    EXPECT_EQ(display(74, fromStep(6, 9, 0), context), "No Assign");
    EXPECT_EQ(display(75, fromStep(7, 9, 0), context), "No Assign");
    EXPECT_EQ(display(75, fromStep(8, 9, 0), context), "Damper");
}

TEST(ParameterTable, HostNames)
{
    const char* const expected[kParameterCount] = {
        "Volume", "Tune", "VCO Octave", "VCO Wave Form", "VCO PWM Adjust", "VCO PWM Speed", "VCO Sub Osc",
        "VCF Cutoff", "VCF Resonance", "VCF EG Intensity", "VCF Kbd Track", "VCA Mode", "VCA Attenuator",
        "Arpeggio", "Arp Speed", "Arp Range", "Arp Mode", "Arp Latch", "", "Pitch Bend Range", "MG Frequency",
        "MG Delay Time", "MG Level", "MG Destination", "EG Attack", "EG Decay", "EG Sustain", "EG Release",
        "FX Mode", "FX Speed", "", "", "Hold", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", // 34-47
        "FX Spread", "Pan", "Tempo", "MIDI Sync", "Transpose", "Pitch Fine", "Analog", "Unison Detune",
        "MG Key Sync", "MG Tempo Sync", "MG Base Note", "MG Times", "Arp Key Sync", "Arp Tempo Sync",
        "Arp Base Note", "Arp Times",
        "", "", "", "", "", "", "", "", "", "", "", "", // 64-75 hidden
        "Unison Spread", "Vibrato Int",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", // 78-95
    };
    for (int index = 0; index < kParameterCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(hostName(index), expected[index]);
    }
}

TEST(ParameterTable, FxSpeedIsCalledIntensityInEnsembleModeOnly)
{
    EXPECT_EQ(hostName(29, 1.0f), "FX INTENSITY");
    EXPECT_EQ(hostName(29, fromStep(2, 4, 0)), "FX Speed");
    EXPECT_EQ(hostName(28, 1.0f), "FX Mode");
}

TEST(ParameterTable, HiddenNamesFollowAZeroByteWithinTwentyFourBytes)
{
    struct HiddenCase {
        int index;
        const char* name;
    };
    const HiddenCase cases[] = {{18, "Output Switch"}, {30, "Pitch Bend"}, {31, "Modulation"},
                                {33, "Key Assign"}, {65, "Ext.Mod.1 > VCF Cutoff"}, {72, "Voices Total"},
                                {73, "Voices Unison"}, {75, "Ext.Mod.2 Source"}};
    for (const HiddenCase& c : cases) {
        SCOPED_TRACE(c.index);
        char text[64];
        std::memset(text, 'x', sizeof text);
        hostParameterName(c.index, 0.0f, text);
        EXPECT_EQ(text[0], '\0');
        EXPECT_STREQ(text + 1, c.name);
        EXPECT_EQ(text[24], 'x');
        EXPECT_STREQ(editorParameterName(c.index), c.name);
    }
    EXPECT_STREQ(editorParameterName(0), "Volume");
    EXPECT_STREQ(editorParameterName(40), "");
}

TEST(ParameterTable, LabelsOnlyOnKbdTrackAndAttenuator)
{
    for (int index = 0; index < kParameterCount; ++index) {
        SCOPED_TRACE(index);
        const char* expected = index == 10 ? "%" : index == 12 ? "dB" : "";
        EXPECT_STREQ(parameterInfo(index).label, expected);
    }
}

TEST(ParameterTable, AutomatableFlags)
{
    const std::string expected = "1111111111111111"  // 0-15
                                 "1101111111111100"  // 16-31
                                 "1011111111111111"  // 32-47
                                 "1100101111111111"  // 48-63
                                 "0000000000001100"  // 64-79
                                 "0000000000000011"; // 80-95
    for (int index = 0; index < kParameterCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(parameterInfo(index).automatable, expected[index] == '1');
    }
}

TEST(ParameterTable, EngineInputsAreDistinctAndInRange)
{
    std::set<int> seen;
    for (int index = 0; index < kParameterCount; ++index) {
        const int input = parameterInfo(index).engineInput;
        if (input < 0)
            continue;
        SCOPED_TRACE(index);
        EXPECT_LT(input, 70);
        EXPECT_TRUE(seen.insert(input).second);
    }
    EXPECT_EQ(parameterInfo(13).engineInput, 39);
    EXPECT_EQ(parameterInfo(32).engineInput, 40);
    EXPECT_EQ(parameterInfo(33).engineInput, -1);
    EXPECT_EQ(parameterInfo(49).engineInput, 53);
    EXPECT_EQ(parameterInfo(77).engineInput, 67);
}

TEST(ParameterTable, StoredValuesHaveDistinctOffsetsInsideTheValueArea)
{
    std::set<int> seen;
    for (int index = 0; index < kParameterCount; ++index) {
        const ParameterDescriptor& d = parameterDescriptor(index);
        const bool stored = index <= 33 || (index >= 48 && index <= 77);
        SCOPED_TRACE(index);
        if (!stored) {
            EXPECT_EQ(d.offset, 0);
            continue;
        }
        const bool firstBlock = d.offset >= 48 && d.offset < 184;
        const bool secondBlock = d.offset >= 224 && d.offset < 344;
        EXPECT_TRUE(index <= 33 ? firstBlock : secondBlock);
        EXPECT_EQ(d.offset % 4, 0);
        EXPECT_TRUE(seen.insert(d.offset).second);
    }
}

struct QuantiseCase {
    int index;
    float requested;
    float stored;
};

const QuantiseCase kQuantiseCases[] = {
    {2, 0.4f, 0.5f}, {2, 0.1f, 0.0f},                      // selector
    {59, 1.0f, 1.0f}, {59, 0.0f, 0.0f}, {63, 0.5f, 1.0f - 7.0f / 15.0f}, // inverted counts
    {13, 0.5f, 1.0f}, {13, 0.49f, 0.0f},                   // switch
    {11, 0.55f, 1.0f},                                     // VCA Mode snaps like a switch
    {72, 0.5f, 15.0f / 31.0f}, {73, 1.0f, 1.0f},           // counts
    {52, 0.51f, 0.5f}, {52, 0.52f, 25.0f / 48.0f},         // Transpose
    {74, 0.3f, 0.25f},                                     // source
    {0, 0.37f, 0.37f}, {50, 0.123f, 0.123f}, {53, 0.3f, 0.3f}, // continuous, Tempo, Pitch Fine
};

TEST(ParameterTable, Quantisation)
{
    for (const QuantiseCase& c : kQuantiseCases) {
        SCOPED_TRACE(testing::Message() << c.index << " at " << c.requested);
        EXPECT_EQ(quantiseParameter(c.index, c.requested), c.stored);
    }
}

} // namespace
} // namespace sorrel
