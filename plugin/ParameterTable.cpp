#include "ParameterTable.h"

#include "ControllerNames.h"
#include "ParameterConversions.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace sorrel {
namespace {

constexpr std::size_t kDisplayTextSize = 25;
constexpr std::size_t kHostNameSize = 24;
constexpr int kNameLength = kHostNameSize - 1;
constexpr int kFxSpeed = 29;
constexpr int kFxModeEnsemble = 3;

// How a change snaps a requested value before storing it.
enum class Snap : std::uint8_t {
    Unchanged,
    Steps,         // k / (positions - 1)
    Switch,        // 0 or 1 by isOn
    InvertedSteps, // 1 - k / (positions - 1) of 1 - value
};

// Descriptor together with its quantisation; VCA Mode shows a two-entry text table
// but snaps like a switch, so the snap is not always implied by the kind.
struct Shape {
    ParameterDescriptor descriptor;
    Snap snap;
};

struct ParameterRow {
    ParameterInfo info;
    Shape shape;
};

constexpr int textLength(const char* text)
{
    int length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

constexpr Shape knob(int offset)
{
    return {{ParameterKind::Knob, offset, 0.0f, 10.0f, 0, nullptr, 2}, Snap::Unchanged};
}

constexpr Shape bipolar(int offset)
{
    return {{ParameterKind::Bipolar, offset, -5.0f, 5.0f, 0, nullptr, 2}, Snap::Unchanged};
}

constexpr Shape pan(int offset)
{
    return {{ParameterKind::Pan, offset, -5.0f, 5.0f, 0, nullptr, 2}, Snap::Unchanged};
}

// A continuous value shown as mapRange (x, minimum, maximum) with the given decimals.
constexpr Shape range(ParameterKind kind, int offset, float minimum, float maximum, int decimals)
{
    return {{kind, offset, minimum, maximum, 0, nullptr, decimals}, Snap::Unchanged};
}

constexpr Shape onOff(int offset)
{
    return {{ParameterKind::Switch, offset, 0.0f, 1.0f, 2, nullptr, 3}, Snap::Switch};
}

template <std::size_t N>
constexpr Shape selectorSnapping(int offset, const char* const (&texts)[N], Snap snap)
{
    int width = 0;
    for (const char* text : texts)
        width = std::max(width, textLength(text));
    const int positions = static_cast<int>(N);
    return {{ParameterKind::Selector, offset, 0.0f, static_cast<float>(positions - 1), positions, texts, width},
            snap};
}

template <std::size_t N>
constexpr Shape selector(int offset, const char* const (&texts)[N])
{
    return selectorSnapping(offset, texts, Snap::Steps);
}

template <std::size_t N>
constexpr Shape switchWithTexts(int offset, const char* const (&texts)[N])
{
    static_assert(N == 2);
    return selectorSnapping(offset, texts, Snap::Switch);
}

// positions whole numbers from first; shown with two digits.
constexpr Shape count(ParameterKind kind, int offset, int first, int positions, Snap snap)
{
    return {{kind, offset, static_cast<float>(first), static_cast<float>(first + positions - 1), positions, nullptr, 2},
            snap};
}

constexpr Shape modSource(int offset)
{
    return count(ParameterKind::ModSource, offset, 0, 9, Snap::Steps);
}

// Stored and saved, but neither shown nor given to the engine.
constexpr Shape storedOnly(int offset)
{
    return {{ParameterKind::None, offset, 0.0f, 1.0f, 0, nullptr, 0}, Snap::Unchanged};
}

constexpr Shape kCompareTriggerShape{{ParameterKind::CompareTrigger, 0, 0.0f, 1.0f, 0, nullptr, 0}, Snap::Unchanged};

constexpr Shape kNoShape{{ParameterKind::None, 0, 0.0f, 0.0f, 0, nullptr, 0}, Snap::Unchanged};

constexpr const char* kOctaveTexts[] = {"16'", " 8'", " 4'"};
constexpr const char* kWaveFormTexts[] = {"SAW", " PW", "PWM"};
constexpr const char* kSubOscTexts[] = {"2 Oct", "1 Oct", "Off  "};
constexpr const char* kVcaModeTexts[] = {"Gate", "  EG"};
constexpr const char* kAttenuatorTexts[] = {"-10", "-8", "-6", "-4", "-2", "0", "+2", "+4", "+6", "+8", "+10"};
constexpr const char* kArpRangeTexts[] = {"1 Oct", "2 Oct", " Full"};
constexpr const char* kArpModeTexts[] = {"Up/Down", "   Down", "     Up"};
constexpr const char* kOutputSwitchTexts[] = {" Off", "Low ", "High"};
constexpr const char* kMgDestinationTexts[] = {"VCA", "VCF", "VCO"};
constexpr const char* kFxModeTexts[] = {"     Off", "  Chorus", "   Phase", "Ensemble"};
constexpr const char* kKeyAssignTexts[] = {"Chord", "Unison", "Poly"};
constexpr const char* kBaseNoteTexts[] = {"1/1  ", "1/2  ", "1/2T ", "1/4  ", "1/4T ",
                                          "1/8  ", "1/8T ", "1/16 ", "1/16T", "1/32 "};
constexpr const char* kFixedSourceNames[] = {"None", "Velocity", "KBD Track", "Pressure", "Pitch Bend"};
constexpr int kFirstAssignableSource = 5;

using C = ParameterChange;
using K = ParameterKind;

struct Entry {
    int index;
    ParameterRow row;
};

// Every parameter that exists; indices missing here are empty rows (see kGaps).
// Hidden names start with a zero byte.
constexpr Entry kEntries[] = {
    {0, {{"Volume", "", true, 0, C::Common, 1.0f}, knob(48)}},
    {1, {{"Tune", "", true, 1, C::Common, 0.5f}, bipolar(52)}},
    {2, {{"VCO Octave", "", true, 2, C::Common, 0.5f}, selector(56, kOctaveTexts)}},
    {3, {{"VCO Wave Form", "", true, 3, C::Common, 0.0f}, selector(60, kWaveFormTexts)}},
    {4, {{"VCO PWM Adjust", "", true, 4, C::Common, 0.0f}, knob(68)}},
    {5, {{"VCO PWM Speed", "", true, 5, C::Common, 0.0f}, knob(72)}},
    {6, {{"VCO Sub Osc", "", true, 6, C::Common, 1.0f}, selector(64, kSubOscTexts)}},
    {7, {{"VCF Cutoff", "", true, 7, C::Common, 1.0f}, knob(76)}},
    {8, {{"VCF Resonance", "", true, 8, C::Common, 0.0f}, knob(80)}},
    {9, {{"VCF EG Intensity", "", true, 9, C::Common, 0.5f}, bipolar(84)}},
    {10, {{"VCF Kbd Track", "%", true, 10, C::Common, 0.0f}, range(K::Range150, 88, 0.0f, 150.0f, 1)}},
    {11, {{"VCA Mode", "", true, 11, C::Common, 1.0f}, switchWithTexts(92, kVcaModeTexts)}},
    {12, {{"VCA Attenuator", "dB", true, 12, C::Common, 0.5f}, selector(96, kAttenuatorTexts)}},
    {13, {{"Arpeggio", "", true, 39, C::Arpeggio, 0.0f}, onOff(100)}},
    {14, {{"Arp Speed", "", true, 13, C::Common, 0.4f}, knob(104)}},
    {15, {{"Arp Range", "", true, 14, C::Common, 0.0f}, selector(108, kArpRangeTexts)}},
    {16, {{"Arp Mode", "", true, 15, C::Common, 1.0f}, selector(112, kArpModeTexts)}},
    {17, {{"Arp Latch", "", true, 16, C::Common, 0.0f}, onOff(116)}},
    {18, {{"\0Output Switch", "", false, 18, C::Common, 1.0f}, selector(120, kOutputSwitchTexts)}},
    {19, {{"Pitch Bend Range", "", true, 19, C::Common, 1.0f / 6.0f}, range(K::Range12, 124, 0.0f, 12.0f, 2)}},
    {20, {{"MG Frequency", "", true, 20, C::Common, 0.66667f}, knob(128)}},
    {21, {{"MG Delay Time", "", true, 21, C::Common, 0.0f}, knob(132)}},
    {22, {{"MG Level", "", true, 22, C::Common, 0.0f}, knob(136)}},
    {23, {{"MG Destination", "", true, 23, C::Common, 1.0f}, selector(140, kMgDestinationTexts)}},
    {24, {{"EG Attack", "", true, 24, C::Common, 0.0f}, knob(144)}},
    {25, {{"EG Decay", "", true, 25, C::Common, 0.5f}, knob(148)}},
    {26, {{"EG Sustain", "", true, 26, C::Common, 1.0f}, knob(152)}},
    {27, {{"EG Release", "", true, 27, C::Common, 0.0f}, knob(156)}},
    {28, {{"FX Mode", "", true, 28, C::Common, 0.0f}, selector(160, kFxModeTexts)}},
    {29, {{"FX Speed", "", true, 29, C::Common, 0.0f}, knob(164)}},
    {30, {{"\0Pitch Bend", "", false, 31, C::Common, 0.5f}, bipolar(168)}},
    {31, {{"\0Modulation", "", false, 32, C::Common, 0.0f}, knob(172)}},
    {32, {{"Hold", "", true, 40, C::Hold, 0.0f}, onOff(176)}},
    // The engine input of Key Assign depends on the mode chosen (41 to 43).
    {33, {{"\0Key Assign", "", false, -1, C::KeyAssign, 1.0f}, selector(180, kKeyAssignTexts)}},
    {48, {{"FX Spread", "", true, 68, C::Common, 0.0f}, knob(224)}},
    {49, {{"Pan", "", true, 53, C::Common, 0.5f}, pan(228)}},
    {50, {{"Tempo", "", false, -1, C::Tempo, 124.0f / 380.0f}, range(K::Tempo, 232, 20.0f, 400.0f, 1)}},
    {51, {{"MIDI Sync", "", false, -1, C::MidiSync, 1.0f}, onOff(236)}},
    {52, {{"Transpose", "", true, 54, C::Common, 0.5f}, count(K::SignedCount, 240, -24, 49, Snap::Steps)}},
    {53, {{"Pitch Fine", "", false, -1, C::StoreOnly, 0.5f}, storedOnly(244)}},
    {54, {{"Analog", "", true, 55, C::Common, 0.05f}, knob(248)}},
    {55, {{"Unison Detune", "", true, 56, C::Common, 0.3f}, knob(252)}},
    {56, {{"MG Key Sync", "", true, -1, C::StoreOnly, 0.0f}, onOff(256)}},
    {57, {{"MG Tempo Sync", "", true, -1, C::MgTempoSync, 0.0f}, onOff(260)}},
    {58, {{"MG Base Note", "", true, -1, C::MgRate, 3.0f / 9.0f}, selector(264, kBaseNoteTexts)}},
    {59, {{"MG Times", "", true, -1, C::MgRate, 1.0f}, count(K::InvertedCount, 268, 1, 16, Snap::InvertedSteps)}},
    {60, {{"Arp Key Sync", "", true, -1, C::StoreOnly, 0.0f}, onOff(272)}},
    {61, {{"Arp Tempo Sync", "", true, -1, C::ArpTempoSync, 1.0f}, onOff(276)}},
    {62, {{"Arp Base Note", "", true, -1, C::ArpRate, 7.0f / 9.0f}, selector(280, kBaseNoteTexts)}},
    {63, {{"Arp Times", "", true, -1, C::ArpRate, 1.0f}, count(K::InvertedCount, 284, 1, 16, Snap::InvertedSteps)}},
    {64, {{"\0Ext.Mod.1 > VCO PW", "", false, 57, C::Common, 0.5f}, bipolar(288)}},
    {65, {{"\0Ext.Mod.1 > VCF Cutoff", "", false, 58, C::Common, 0.5f}, bipolar(292)}},
    {66, {{"\0Ext.Mod.1 > MG Level", "", false, 59, C::Common, 0.5f}, bipolar(296)}},
    {67, {{"\0Ext.Mod.1 > VCA Gain", "", false, 60, C::Common, 0.5f}, bipolar(300)}},
    {68, {{"\0Ext.Mod.2 > VCO PW", "", false, 61, C::Common, 0.5f}, bipolar(304)}},
    {69, {{"\0Ext.Mod.2 > VCF Cutoff", "", false, 62, C::Common, 0.5f}, bipolar(308)}},
    {70, {{"\0Ext.Mod.2 > MG Level", "", false, 63, C::Common, 0.5f}, bipolar(312)}},
    {71, {{"\0Ext.Mod.2 > VCA Gain", "", false, 64, C::Common, 0.5f}, bipolar(316)}},
    {72, {{"\0Voices Total", "", false, 65, C::VoicesTotal, 5.0f / 31.0f}, count(K::Count, 320, 1, 32, Snap::Steps)}},
    {73, {{"\0Voices Unison", "", false, 66, C::VoicesUnison, 0.0f}, count(K::Count, 324, 1, 16, Snap::Steps)}},
    {74, {{"\0Ext.Mod.1 Source", "", false, -1, C::ExtMod1Source, 0.125f}, modSource(328)}},
    {75, {{"\0Ext.Mod.2 Source", "", false, -1, C::ExtMod2Source, 0.625f}, modSource(332)}},
    {76, {{"Unison Spread", "", true, 69, C::Common, 0.0f}, knob(336)}},
    {77, {{"Vibrato Int", "", true, 67, C::Common, 1.0f}, knob(340)}},
    // Hidden controls for one host: a compare-buffer trigger and the controller exclusion
    // channel (17 positions from -1); neither is stored in the program.
    {94, {{"", "", true, -1, C::CompareTrigger, 0.0f}, kCompareTriggerShape}},
    {95, {{"", "", true, -1, C::ExclusionChannel, 0.0f}, count(K::ExclusionChannel, 0, -1, 17, Snap::Steps)}},
};

struct Gap {
    int first;
    int last;
    bool automatable;
};

constexpr Gap kGaps[] = {{34, 47, true}, {78, 93, false}};

constexpr ParameterRow gapRow(bool automatable)
{
    return {{"", "", automatable, -1, C::Nothing, 0.0f}, kNoShape};
}

constexpr std::array<ParameterRow, kParameterCount> buildTable()
{
    std::array<ParameterRow, kParameterCount> rows{};
    std::array<bool, kParameterCount> filled{};
    auto fill = [&](int index, const ParameterRow& row) {
        if (filled[index])
            throw "parameter index given twice";
        filled[index] = true;
        rows[index] = row;
    };
    for (const Entry& entry : kEntries)
        fill(entry.index, entry.row);
    for (const Gap& gap : kGaps) {
        for (int index = gap.first; index <= gap.last; ++index)
            fill(index, gapRow(gap.automatable));
    }
    for (bool isFilled : filled) {
        if (!isFilled)
            throw "parameter index missing";
    }
    return rows;
}

constexpr std::array<ParameterRow, kParameterCount> kTable = buildTable();

constexpr ParameterRow kOutsideRow = gapRow(false);

const ParameterRow& row(int index)
{
    return index >= 0 && index < kParameterCount ? kTable[index] : kOutsideRow;
}

bool isHidden(const ParameterInfo& info) { return info.name[0] == '\0'; }

// The short name of the controller behind an assignable source; unusable numbers read "No Assign".
const char* sourceName(int source, const DisplayContext& context)
{
    if (source < kFirstAssignableSource)
        return kFixedSourceNames[source];
    const int controller = context.assignableControllers[source - kFirstAssignableSource];
    return shortControllerName(controller >= 0 && controller <= 95 ? controller : kNoAssignController);
}

void formatSigned(char* text, const char* zero, const char* positive, const char* negative, float v)
{
    if (v == 0.0f)
        std::snprintf(text, kDisplayTextSize, "%s", zero);
    else if (v > 0.0f)
        std::snprintf(text, kDisplayTextSize, positive, v);
    else
        std::snprintf(text, kDisplayTextSize, negative, -v);
}

} // namespace

const ParameterInfo& parameterInfo(int index) { return row(index).info; }

const ParameterDescriptor& parameterDescriptor(int index) { return row(index).shape.descriptor; }

float quantiseParameter(int index, float value)
{
    const Shape& shape = row(index).shape;
    const int positions = shape.descriptor.positions;
    switch (shape.snap) {
    case Snap::Unchanged:
        return value;
    case Snap::Steps:
        return fromStep(toStep(value, positions, 0), positions, 0);
    case Snap::Switch:
        return isOn(value) ? 1.0f : 0.0f;
    case Snap::InvertedSteps:
        return 1.0f - fromStep(toStep(1.0f - value, positions, 0), positions, 0);
    }
    return value;
}

void formatParameterDisplay(int index, float value, const DisplayContext& context, char* text)
{
    const ParameterDescriptor& d = row(index).shape.descriptor;
    const int first = static_cast<int>(d.minimum);
    const float shown = mapRange(value, d.minimum, d.maximum);
    text[0] = '\0';
    switch (d.kind) {
    case ParameterKind::Knob:
        std::snprintf(text, kDisplayTextSize, "%5.2f", shown);
        break;
    case ParameterKind::Bipolar:
        formatSigned(text, " 0.00", "+%5.2f", "-%5.2f", shown);
        break;
    case ParameterKind::Pan:
        formatSigned(text, "CENTER", "R%3.2f", "L%3.2f", shown);
        break;
    case ParameterKind::Range12:
    case ParameterKind::Range150:
    case ParameterKind::Tempo:
        std::snprintf(text, kDisplayTextSize, "%4.*f", d.width, shown);
        break;
    case ParameterKind::Count:
        std::snprintf(text, kDisplayTextSize, "%0*d", d.width, toStep(value, d.positions, first));
        break;
    case ParameterKind::InvertedCount:
        std::snprintf(text, kDisplayTextSize, "%0*d", d.width, toStep(1.0f - value, d.positions, first));
        break;
    case ParameterKind::SignedCount: {
        const int step = toStep(value, d.positions, first);
        std::snprintf(text, kDisplayTextSize, step >= 0 ? "+%0*d" : "-%0*d", d.width, step >= 0 ? step : -step);
        break;
    }
    case ParameterKind::Selector:
        std::snprintf(text, kDisplayTextSize, "%s", d.texts[toStep(value, d.positions, 0)]);
        break;
    case ParameterKind::Switch:
        std::snprintf(text, kDisplayTextSize, "%s", isOn(value) ? "ON" : "OFF");
        break;
    case ParameterKind::ModSource:
        std::snprintf(text, kDisplayTextSize, "%s", sourceName(toStep(value, d.positions, 0), context));
        break;
    case ParameterKind::None:
    case ParameterKind::CompareTrigger:
    case ParameterKind::ExclusionChannel:
        break;
    }
}

void hostParameterName(int index, float fxModeValue, char* text)
{
    const ParameterInfo& info = row(index).info;
    if (index == kFxSpeed && toStep(fxModeValue, 4, 0) == kFxModeEnsemble) {
        std::snprintf(text, kHostNameSize, "%s", "FX INTENSITY");
    } else if (isHidden(info)) {
        // The host sees an empty name; the hidden name follows the zero byte.
        text[0] = '\0';
        std::snprintf(text + 1, kHostNameSize - 1, "%.*s", kNameLength - 1, info.name + 1);
    } else {
        std::snprintf(text, kHostNameSize, "%.*s", kNameLength, info.name);
    }
}

const char* editorParameterName(int index)
{
    const ParameterInfo& info = row(index).info;
    return isHidden(info) ? info.name + 1 : info.name;
}

} // namespace sorrel
