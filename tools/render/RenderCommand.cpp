#include "RenderCommand.h"

#include "HostError.h"
#include "InfoReport.h"
#include "ParameterLookup.h"
#include "ProgressBar.h"
#include "RenderError.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace sorrel::render {

namespace {

constexpr const char* kProductString = "sorrel-render";
constexpr const char* kVendorString = "sorrel";
constexpr double kDefaultTempo = 120.0;

std::string decibels(double level)
{
    if (level <= 0.0) {
        return "-inf";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%+.1f", 20.0 * std::log10(level));
    return text.data();
}

std::string fixed(double value, int decimals)
{
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    return text.data();
}

std::string channelName(int channel, int channels)
{
    if (channels == 2) {
        return channel == 0 ? "L" : "R";
    }
    return std::to_string(channel + 1);
}

std::string levelsText(const LevelMeter& levels, double (LevelMeter::*level)(int) const)
{
    std::string text;
    for (int channel = 0; channel < levels.channels(); ++channel) {
        text += " " + channelName(channel, levels.channels()) + " " + decibels((levels.*level)(channel));
    }
    return text + " dBFS";
}

const char* formatName(SampleFormat format)
{
    switch (format) {
    case SampleFormat::Pcm16:
        return "16-bit";
    case SampleFormat::Pcm24:
        return "24-bit";
    case SampleFormat::Float32:
        return "float";
    }
    return "";
}

void printSummary(const CommandOutput& output, const RenderStats& stats, int sampleRate, SampleFormat format)
{
    const double seconds = static_cast<double>(stats.frames) / sampleRate;
    const std::string speed =
        stats.processCpuSeconds > 0.0 ? fixed(seconds / stats.processCpuSeconds, 1) + "x realtime" : "realtime factor n/a";
    output.out << "rendered " << fixed(seconds, 2) << " s at " << sampleRate << " Hz, " << fixed(stats.processCpuSeconds, 3)
               << " s CPU in process calls (" << speed << "); peak" << levelsText(stats.levels, &LevelMeter::peak)
               << ", RMS" << levelsText(stats.levels, &LevelMeter::rms) << '\n';

    if (stats.levels.nonFiniteSamples() > 0) {
        output.err << "warning: the plug-in produced " << stats.levels.nonFiniteSamples()
                   << " samples that are not finite numbers; they were written as 0\n";
    }
    if (stats.levels.samplesOverFullScale() > 0) {
        output.err << "warning: the output clipped: " << stats.levels.samplesOverFullScale()
                   << " samples beyond full scale"
                   << (format == SampleFormat::Float32 ? " (kept in the float file, but players will clip them)"
                                                       : std::string(" (clipped in the ") + formatName(format) + " file)")
                   << '\n';
    }
}

} // namespace

RenderCommand::RenderCommand(RenderOptions options, std::string defaultPlugin)
    : options_(std::move(options)), pluginPath_(options_.plugin.empty() ? std::move(defaultPlugin) : options_.plugin)
{
}

void RenderCommand::run(const CommandOutput& output, const RenderSession::StopRequest& stop)
{
    if (options_.help) {
        output.out << RenderOptions::usage();
        return;
    }
    // Cheap checks first: the inputs are read before the plug-in is loaded.
    std::optional<MidiFile> midi;
    std::optional<TempoMap> tempoMap;
    if (!options_.input.empty()) {
        midi = MidiFile::read(options_.input);
        tempoMap.emplace(*midi);
    }
    if (!options_.bankFile.empty()) {
        bank_ = StateFile::read(options_.bankFile, true);
    }
    if (!options_.programFile.empty()) {
        program_ = StateFile::read(options_.programFile, false);
    }

    const auto plugin = loadInstrument(tempoMap ? tempoMap->positionAt(0.0, 1.0).tempo : kDefaultTempo);
    std::ostringstream discarded;
    applySettings(*plugin, options_.quiet ? discarded : output.err);

    InfoReport report(output.out);
    if (options_.info) {
        report.printPlugin(*plugin);
        if (midi) {
            report.printMidi(options_.input, *midi, *tempoMap);
        }
    }
    if (options_.listParameters) {
        report.printParameters(*plugin);
    }
    if (options_.rendersAudio()) {
        render(*plugin, *midi, *tempoMap, output, stop);
    }
}

std::unique_ptr<host::VstPlugin> RenderCommand::loadInstrument(double initialTempo)
{
    host::HostConfig config;
    config.productString = kProductString;
    config.vendorString = kVendorString;
    config.sampleRate = options_.sampleRate;
    config.blockSize = options_.blockSize;
    config.tempo = initialTempo;
    auto plugin = std::make_unique<host::VstPlugin>(pluginPath_, config);

    const AEffect& effect = plugin->effect();
    const bool instrument =
        (effect.flags & effFlagsIsSynth) != 0 || plugin->dispatch(effGetPlugCategory) == kPlugCategSynth;
    if (!instrument) {
        throw RenderError("plug-in '" + pluginPath_ + "' is not an instrument (it neither has the synth flag nor "
                          "reports the synth category)");
    }
    if (effect.numOutputs < 1) {
        throw RenderError("plug-in '" + pluginPath_ + "' has no audio outputs");
    }
    plugin->open(options_.sampleRate, options_.blockSize);
    return plugin;
}

void RenderCommand::applySettings(host::VstPlugin& plugin, std::ostream& warnings)
{
    const auto refused = [](const std::string& path, const RenderError& error) {
        return RenderError("'" + path + "': " + error.what());
    };
    if (bank_) {
        try {
            bank_->applyTo(plugin, warnings);
        } catch (const RenderError& error) {
            throw refused(options_.bankFile, error);
        }
    }
    if (options_.program) {
        const VstInt32 programs = plugin.effect().numPrograms;
        if (*options_.program >= programs) {
            throw RenderError("--program " + std::to_string(*options_.program) + " is outside 0 to " +
                              std::to_string(programs - 1));
        }
        plugin.dispatch(effSetProgram, 0, *options_.program);
    }
    if (program_) {
        try {
            program_->applyTo(plugin, warnings);
        } catch (const RenderError& error) {
            throw refused(options_.programFile, error);
        }
    }
    for (const ParameterSetting& setting : options_.parameters) {
        plugin.setParameter(findParameter(plugin, setting.key), setting.value);
    }
}

void RenderCommand::render(host::VstPlugin& plugin, const MidiFile& midi, const TempoMap& tempoMap,
                           const CommandOutput& output, const RenderSession::StopRequest& stop)
{
    RenderSession session(plugin, midi, tempoMap,
                          RenderSettings{options_.sampleRate, options_.blockSize, options_.tailSeconds});
    AudioFileWriter writer(options_.output, plugin.effect().numOutputs, options_.sampleRate, options_.format);
    ProgressBar bar(output.err, options_.sampleRate);
    RenderSession::Progress progress;
    if (output.showProgress && !options_.quiet) {
        progress = [&bar](std::int64_t done, std::int64_t atMost) { bar.update(done, atMost); };
    }
    const RenderStats stats = session.run(
        [&writer](const float* const* channels, int frames) { writer.write(channels, frames); }, progress, stop);
    bar.clear();
    writer.commit();
    if (!options_.quiet) {
        printSummary(output, stats, options_.sampleRate, options_.format);
    }
}

} // namespace sorrel::render
