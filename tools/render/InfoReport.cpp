#include "InfoReport.h"

#include "FourCharCode.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace sorrel::render {

namespace {

constexpr std::size_t kColumns = 4;

std::string fixed(double value, int decimals)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    return text.data();
}

std::string describeDivision(const MidiDivision& division)
{
    if (!division.isSmpte()) {
        return std::to_string(division.ticksPerQuarter) + " ticks per quarter note";
    }
    const std::string rate = division.smpteFormat == 29 ? "29.97 (drop-frame)" : std::to_string(division.smpteFormat);
    return "SMPTE " + rate + " frames a second, " + std::to_string(division.ticksPerFrame) + " ticks per frame";
}

} // namespace

void InfoReport::field(const char* label, const std::string& value)
{
    std::array<char, 16> padded{};
    std::snprintf(padded.data(), padded.size(), "%-13s", label);
    out_ << padded.data() << value << '\n';
}

void InfoReport::printPlugin(host::VstPlugin& plugin)
{
    const AEffect& effect = plugin.effect();
    field("Plug-in", plugin.module().path() + " (entry " + plugin.module().entryName() + ")");
    field("Name", plugin.dispatchText(effGetEffectName));
    field("Vendor", plugin.dispatchText(effGetVendorString));
    field("Product", plugin.dispatchText(effGetProductString));
    field("Unique ID", fourCharText(effect.uniqueID));
    field("Version", std::to_string(effect.version));
    field("Audio", std::to_string(effect.numInputs) + " inputs, " + std::to_string(effect.numOutputs) + " outputs");
    field("Programs", std::to_string(effect.numPrograms) + ", current " +
                          std::to_string(plugin.dispatch(effGetProgram)) + " \"" +
                          plugin.dispatchText(effGetProgramName) + "\"");
    field("Parameters", std::to_string(effect.numParams));
    field("Chunks", (effect.flags & effFlagsProgramChunks) ? "yes" : "no");
}

void InfoReport::printMidi(const std::string& path, const MidiFile& midi, const TempoMap& tempoMap)
{
    const auto notes = std::count_if(midi.events().begin(), midi.events().end(), [](const MidiFileEvent& e) {
        return e.kind == MidiEventKind::Channel && (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0;
    });
    const auto tempos = std::count_if(midi.events().begin(), midi.events().end(), [](const MidiFileEvent& e) {
        return e.kind == MidiEventKind::Meta && e.metaType == meta::kTempo;
    });
    field("MIDI file", path);
    field("Format", std::to_string(midi.format()) + ", " + std::to_string(midi.trackCount()) + " tracks, " +
                        describeDivision(midi.division()));
    field("Length", fixed(tempoMap.secondsAt(midi.endTick()), 3) + " s (" + std::to_string(midi.endTick()) + " ticks)");
    field("Events", std::to_string(midi.events().size()) + ", " + std::to_string(notes) + " notes");
    field("Tempo", fixed(tempoMap.positionAt(0.0, 1.0).tempo, 2) + " bpm at the start, " + std::to_string(tempos) +
                       " tempo events");
}

void InfoReport::printParameters(host::VstPlugin& plugin)
{
    std::vector<std::array<std::string, kColumns>> rows{{"index", "name", "display", "label"}};
    for (VstInt32 index = 0; index < plugin.effect().numParams; ++index) {
        rows.push_back({std::to_string(index), plugin.parameterName(index), plugin.parameterDisplay(index),
                        plugin.parameterLabel(index)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < kColumns; ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < kColumns; ++column) {
            line += row[column] + std::string(widths[column] - row[column].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out_ << line << '\n';
    }
}

} // namespace sorrel::render
