#include "PluginReport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace sorrel::host {

namespace {

constexpr std::array<std::pair<VstInt32, const char*>, 7> kFlagNames{{
    {effFlagsHasEditor, "has-editor"},
    {effFlagsCanMono, "can-mono"},
    {effFlagsCanReplacing, "can-replacing"},
    {effFlagsProgramChunks, "program-chunks"},
    {effFlagsIsSynth, "is-synth"},
    {effFlagsNoSoundInStop, "no-sound-in-stop"},
    {effFlagsCanDoubleReplacing, "can-double-replacing"},
}};

// effGetPlugCategory answers, in the order of their numbers.
constexpr std::array<const char*, 12> kCategoryNames{
    "unknown",  "effect",      "synth",       "analysis",        "mastering", "spatializer",
    "room fx",  "surround fx", "restoration", "offline process", "shell",     "generator",
};

constexpr int kTestNote = 60;
constexpr int kTestVelocity = 100;
constexpr const char* kIndent = "  ";

__attribute__((format(printf, 1, 2))) std::string textf(const char* format, ...)
{
    std::array<char, 512> buffer{};
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    va_end(arguments);
    return buffer.data();
}

std::string fourCharacters(VstInt32 code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto character = static_cast<unsigned char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        text += std::isprint(character) ? static_cast<char>(character) : '.';
    }
    return text;
}

std::string codeText(VstInt32 code)
{
    return textf("'%s' 0x%08X", fourCharacters(code).c_str(), static_cast<unsigned>(code));
}

std::string describeFlags(VstInt32 flags)
{
    std::string names;
    VstInt32 unknown = flags;
    for (const auto& [bit, name] : kFlagNames) {
        if (flags & bit) {
            names += std::string(names.empty() ? "" : " ") + name;
            unknown &= ~bit;
        }
    }
    if (unknown != 0) {
        names += textf("%sunknown 0x%X", names.empty() ? "" : " ", static_cast<unsigned>(unknown));
    }
    return textf("0x%08X  %s", static_cast<unsigned>(flags), names.empty() ? "(none)" : names.c_str());
}

std::string describeCategory(VstIntPtr category)
{
    const bool known = category >= 0 && category < static_cast<VstIntPtr>(kCategoryNames.size());
    return textf("%ld (%s)", static_cast<long>(category),
                 known ? kCategoryNames[static_cast<std::size_t>(category)] : "?");
}

void printField(std::ostream& out, const char* label, const std::string& value)
{
    out << textf("%-16s", label) << value << '\n';
}

std::string decibels(float peak)
{
    return peak > 0.0f ? textf("%.1f dBFS", 20.0 * std::log10(peak)) : "-inf dBFS";
}

// Columns padded to their widest cell; the first row is the header.
void printTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    for (const auto& row : rows) {
        std::string line = kIndent;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column] + std::string(widths[column] - row[column].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

} // namespace

void PluginReport::print(std::ostream& out)
{
    printSummary(out);
    printParameters(out);
    printPrograms(out);
    printRender(out);
}

void PluginReport::printSummary(std::ostream& out)
{
    const AEffect& effect = plugin_.effect();
    printField(out, "Module", plugin_.module().path() + " (entry " + plugin_.module().entryName() + ")");
    printField(out, "Magic", codeText(effect.magic));
    printField(out, "Unique ID", codeText(effect.uniqueID));
    printField(out, "Version", std::to_string(effect.version));
    printField(out, "Flags", describeFlags(effect.flags));
    printField(out, "Inputs", std::to_string(effect.numInputs));
    printField(out, "Outputs", std::to_string(effect.numOutputs));
    printField(out, "Programs", std::to_string(effect.numPrograms));
    printField(out, "Parameters", std::to_string(effect.numParams));
    printField(out, "Effect name", plugin_.dispatchText(effGetEffectName));
    printField(out, "Product", plugin_.dispatchText(effGetProductString));
    printField(out, "Vendor", plugin_.dispatchText(effGetVendorString));
    const VstIntPtr vendorVersion = plugin_.dispatch(effGetVendorVersion);
    printField(out, "Vendor version",
               textf("%ld (0x%08lX)", static_cast<long>(vendorVersion), static_cast<unsigned long>(vendorVersion)));
    printField(out, "VST version", std::to_string(plugin_.dispatch(effGetVstVersion)));
    printField(out, "Category", describeCategory(plugin_.dispatch(effGetPlugCategory)));
}

void PluginReport::printParameters(std::ostream& out)
{
    const VstInt32 count = plugin_.effect().numParams;
    out << "\nParameters (" << count << ")\n";
    if (count <= 0) {
        return;
    }
    std::vector<std::vector<std::string>> rows{{"#", "name", "display", "label", "automatable"}};
    for (VstInt32 index = 0; index < count; ++index) {
        rows.push_back({std::to_string(index), plugin_.parameterName(index), plugin_.parameterDisplay(index),
                        plugin_.parameterLabel(index),
                        plugin_.dispatch(effCanBeAutomated, index) != 0 ? "yes" : "no"});
    }
    printTable(out, rows);
}

void PluginReport::printPrograms(std::ostream& out)
{
    const VstInt32 count = plugin_.effect().numPrograms;
    out << "\nPrograms (" << count << ")\n";
    if (count <= 0) {
        return;
    }
    std::vector<std::vector<std::string>> rows{{"#", "name"}};
    for (VstInt32 index = 0; index < count; ++index) {
        rows.push_back({std::to_string(index), plugin_.dispatchText(effGetProgramNameIndexed, index)});
    }
    printTable(out, rows);
}

void PluginReport::printRender(std::ostream& out)
{
    const AEffect& effect = plugin_.effect();
    const VstInt32 frames = plugin_.host().blockSize();
    const auto channels = static_cast<std::size_t>(std::max(effect.numOutputs, 0));
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(static_cast<std::size_t>(frames), 0.0f));
    std::vector<float*> outputs;
    for (auto& buffer : buffers) {
        outputs.push_back(buffer.data());
    }

    std::string what = textf("%d frames at %g Hz", frames, plugin_.host().sampleRate());
    // A synth is silent without a note; give it one so the level says something.
    if (effect.flags & effFlagsIsSynth) {
        MidiEventList events;
        events.addNoteOn(0, 0, kTestNote, kTestVelocity);
        plugin_.processEvents(events);
        what += textf(", note %d velocity %d at frame 0", kTestNote, kTestVelocity);
    }
    // The buffers start silent, so the accumulating call gives the same result.
    if (effect.processReplacing != nullptr) {
        plugin_.processReplacing(outputs.data(), frames);
    } else {
        plugin_.process(outputs.data(), frames);
    }

    out << "\nRender (" << what << ")\n";
    for (std::size_t channel = 0; channel < channels; ++channel) {
        float peak = 0.0f;
        for (float sample : buffers[channel]) {
            peak = std::max(peak, std::fabs(sample));
        }
        out << kIndent << textf("channel %zu  peak %.6f  %s", channel, peak, decibels(peak).c_str()) << '\n';
    }
}

} // namespace sorrel::host
