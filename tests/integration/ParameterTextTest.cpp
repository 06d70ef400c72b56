// What a host reads of the 96 parameters of "Init Program".
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <string>

using sorrel::test::loadSorrel;

namespace {

struct Expected {
    const char* name;
    const char* display;
    bool automatable;
};

// Hidden parameters and indices without a parameter have empty host names.
const Expected kInitProgram[96] = {
    {"Volume", "10.00", true},           {"Tune", " 0.00", true},
    {"VCO Octave", " 8'", true},         {"VCO Wave Form", "SAW", true},
    {"VCO PWM Adjust", " 0.00", true},   {"VCO PWM Speed", " 0.00", true},
    {"VCO Sub Osc", "Off  ", true},      {"VCF Cutoff", "10.00", true},
    {"VCF Resonance", " 0.00", true},    {"VCF EG Intensity", " 0.00", true},
    {"VCF Kbd Track", " 0.0", true},     {"VCA Mode", "  EG", true},
    {"VCA Attenuator", "0", true},       {"Arpeggio", "OFF", true},
    {"Arp Speed", " 4.00", true},        {"Arp Range", "1 Oct", true},
    {"Arp Mode", "     Up", true},       {"Arp Latch", "OFF", true},
    {"", "High", false},                 {"Pitch Bend Range", "2.00", true},
    {"MG Frequency", " 6.67", true},     {"MG Delay Time", " 0.00", true},
    {"MG Level", " 0.00", true},         {"MG Destination", "VCO", true},
    {"EG Attack", " 0.00", true},        {"EG Decay", " 5.00", true},
    {"EG Sustain", "10.00", true},       {"EG Release", " 0.00", true},
    {"FX Mode", "     Off", true},       {"FX Speed", " 0.00", true},
    {"", " 0.00", false},                {"", " 0.00", false},
    {"Hold", "OFF", true},               {"", "Poly", false},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"", "", true},                      {"", "", true},
    {"FX Spread", " 0.00", true},        {"Pan", "CENTER", true},
    {"Tempo", "144.0", false},           {"MIDI Sync", "ON", false},
    {"Transpose", "+00", true},          {"Pitch Fine", "", false},
    {"Analog", " 0.50", true},           {"Unison Detune", " 3.00", true},
    {"MG Key Sync", "OFF", true},        {"MG Tempo Sync", "OFF", true},
    {"MG Base Note", "1/4  ", true},     {"MG Times", "01", true},
    {"Arp Key Sync", "OFF", true},       {"Arp Tempo Sync", "ON", true},
    {"Arp Base Note", "1/16 ", true},    {"Arp Times", "01", true},
    {"", " 0.00", false},                {"", " 0.00", false},
    {"", " 0.00", false},                {"", " 0.00", false},
    {"", " 0.00", false},                {"", " 0.00", false},
    {"", " 0.00", false},                {"", " 0.00", false},
    {"", "06", false},                   {"", "01", false},
    {"", "Velocity", false},             {"", "Modulation", false},
    {"Unison Spread", " 0.00", true},    {"Vibrato Int", "10.00", true},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", false},                     {"", "", false},
    {"", "", true},                      {"", "", true},
};

} // namespace

TEST(ParameterText, InitProgramAsTheHostSeesIt)
{
    auto plugin = loadSorrel();
    for (int index = 0; index < 96; ++index) {
        SCOPED_TRACE("parameter " + std::to_string(index));
        EXPECT_EQ(plugin->parameterName(index), kInitProgram[index].name);
        EXPECT_EQ(plugin->parameterDisplay(index), kInitProgram[index].display);
        EXPECT_EQ(plugin->dispatch(effCanBeAutomated, index), kInitProgram[index].automatable ? 1 : 0);
        const char* label = index == 10 ? "%" : index == 12 ? "dB" : "";
        EXPECT_EQ(plugin->parameterLabel(index), label);
    }
}

TEST(ParameterText, OutOfRangeIndices)
{
    auto plugin = loadSorrel();
    for (int index : {-1, 96, 1000, 0x7fffffff}) {
        EXPECT_EQ(plugin->parameterName(index), "");
        EXPECT_EQ(plugin->parameterDisplay(index), "");
        EXPECT_EQ(plugin->parameterLabel(index), "---");
        EXPECT_EQ(plugin->dispatch(effCanBeAutomated, index), 0);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
        plugin->setParameter(index, 0.5f); // ignored
    }
}

TEST(ParameterText, FxSpeedIsNamedIntensityInEnsembleMode)
{
    auto plugin = loadSorrel();
    plugin->setParameter(28, 1.0f);
    EXPECT_EQ(plugin->parameterDisplay(28), "Ensemble");
    EXPECT_EQ(plugin->parameterName(29), "FX INTENSITY");
    plugin->setParameter(28, 0.6f);
    EXPECT_EQ(plugin->parameterDisplay(28), "   Phase");
    EXPECT_EQ(plugin->parameterName(29), "FX Speed");
}

TEST(ParameterText, HostSetParameterQuantisesAndIgnoresNonAutomatable)
{
    auto plugin = loadSorrel();
    struct Case {
        int index;
        float value;
        float stored;
        const char* display;
    };
    const Case cases[] = {
        {2, 0.4f, 0.5f, " 8'"},   {2, 0.1f, 0.0f, "16'"},    {11, 0.3f, 0.0f, "Gate"},
        {12, 1.0f, 1.0f, "+10"},  {49, 0.6f, 0.6f, "R1.00"}, {49, 0.0f, 0.0f, "L5.00"},
        {59, 0.0f, 0.0f, "16"},   {0, 7.0f, 1.0f, "10.00"},  {0, -3.0f, 0.0f, " 0.00"},
        {52, 0.0f, 0.0f, "-24"},  {52, 1.0f, 1.0f, "+24"},   {9, 0.0f, 0.0f, "- 5.00"},
        {33, 0.0f, 1.0f, "Poly"}, {72, 0.0f, 5.0f / 31.0f, "06"}, {50, 0.0f, 124.0f / 380.0f, "144.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("parameter " + std::to_string(c.index));
        plugin->setParameter(c.index, c.value);
        EXPECT_FLOAT_EQ(plugin->getParameter(c.index), c.stored);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display);
    }
}
