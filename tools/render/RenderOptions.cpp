#include "RenderOptions.h"

#include "RenderError.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace sorrel::render {

namespace {

constexpr int kMinSampleRate = 22050;
constexpr int kMaxSampleRate = 192000;
constexpr int kMinBlockSize = 1;
constexpr int kMaxBlockSize = 8192;
constexpr double kMaxTailSeconds = 3600.0;

const std::map<std::string, SampleFormat> kSampleFormats{
    {"16", SampleFormat::Pcm16},
    {"24", SampleFormat::Pcm24},
    {"float", SampleFormat::Float32},
};

template <typename Number>
Number parseNumber(const std::string& option, const std::string& text)
{
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        throw UsageError(option + " expects a number, not '" + text + "'");
    }
    return value;
}

int parseInteger(const std::string& option, const std::string& text, int minimum, int maximum)
{
    const int value = parseNumber<int>(option, text);
    if (value < minimum || value > maximum) {
        throw UsageError(option + " " + text + " is outside " + std::to_string(minimum) + " to " +
                         std::to_string(maximum));
    }
    return value;
}

ParameterSetting parseParameter(const std::string& text)
{
    const auto equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0) {
        throw UsageError("--param expects NAME=VALUE or INDEX=VALUE, not '" + text + "'");
    }
    ParameterSetting setting{text.substr(0, equals), 0.0f};
    setting.value = parseNumber<float>("--param " + setting.key, text.substr(equals + 1));
    if (!(setting.value >= 0.0f && setting.value <= 1.0f)) {
        throw UsageError("--param " + text + ": the value is outside 0 to 1");
    }
    return setting;
}

} // namespace

RenderOptions RenderOptions::parse(std::span<const std::string> arguments)
{
    RenderOptions options;
    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> valued{
        {"-o", [&](const std::string& v) { options.output = v; }},
        {"--output", [&](const std::string& v) { options.output = v; }},
        {"--plugin", [&](const std::string& v) { options.plugin = v; }},
        {"--sr", [&](const std::string& v) { options.sampleRate = parseInteger("--sr", v, kMinSampleRate, kMaxSampleRate); }},
        {"--block", [&](const std::string& v) { options.blockSize = parseInteger("--block", v, kMinBlockSize, kMaxBlockSize); }},
        {"--program", [&](const std::string& v) { options.program = parseInteger("--program", v, 0, 1 << 30); }},
        {"--bank", [&](const std::string& v) { options.bankFile = v; }},
        {"--fxp", [&](const std::string& v) { options.programFile = v; }},
        {"--param", [&](const std::string& v) { options.parameters.push_back(parseParameter(v)); }},
        {"--tail",
         [&](const std::string& v) {
             options.tailSeconds = parseNumber<double>("--tail", v);
             if (!(options.tailSeconds >= 0.0 && options.tailSeconds <= kMaxTailSeconds)) {
                 throw UsageError("--tail " + v + " is outside 0 to 3600 seconds");
             }
         }},
        {"--format",
         [&](const std::string& v) {
             const auto found = kSampleFormats.find(v);
             if (found == kSampleFormats.end()) {
                 throw UsageError("--format expects 16, 24 or float, not '" + v + "'");
             }
             options.format = found->second;
         }},
    };
    const std::map<std::string, bool*> flags{
        {"--list-params", &options.listParameters}, {"--info", &options.info},
        {"--quiet", &options.quiet},                {"-q", &options.quiet},
        {"--help", &options.help},                  {"-h", &options.help},
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            if (!options.input.empty()) {
                throw UsageError("more than one input file: '" + options.input + "' and '" + argument + "'");
            }
            options.input = argument;
            continue;
        }
        if (const auto flag = flags.find(argument); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
            hasValue = true;
        }
        const auto handler = valued.find(argument);
        if (handler == valued.end()) {
            throw UsageError("unknown option '" + argument + "'");
        }
        if (!hasValue) {
            if (i + 1 == arguments.size()) {
                throw UsageError(argument + " needs a value");
            }
            value = arguments[++i];
        }
        handler->second(value);
    }

    if (options.help) {
        return options;
    }
    if (options.rendersAudio()) {
        if (options.input.empty()) {
            throw UsageError("no input MIDI file given");
        }
        if (options.output.empty()) {
            throw UsageError("no output file given (-o OUTPUT.wav)");
        }
        AudioFileWriter::validate(options.output, options.format);
    }
    return options;
}

const char* RenderOptions::usage()
{
    return "usage: sorrel-render [options] INPUT.mid -o OUTPUT.wav\n"
           "\n"
           "Plays a Standard MIDI File through a VST 2.4 instrument and writes the sound to a file.\n"
           "\n"
           "  -o, --output FILE     output file: .wav or .flac\n"
           "  --format 16|24|float  sample format (default 24; FLAC takes 16 or 24)\n"
           "  --plugin FILE.so      the instrument (default: Sorrel.so of this build)\n"
           "  --sr RATE             sample rate, 22050 to 192000 (default 44100)\n"
           "  --block FRAMES        frames per process call, 1 to 8192 (default 512)\n"
           "  --program N           select program N before playing\n"
           "  --bank FILE.fxb       load a bank file\n"
           "  --fxp FILE.fxp        load a program file into the current program\n"
           "  --param NAME=VALUE    set a parameter by name (any case) or index to a value\n"
           "                        from 0 to 1; may be repeated\n"
           "  --tail SECONDS        render on after the last event until the sound has stayed\n"
           "                        below -90 dBFS for half a second, at most SECONDS (default 5)\n"
           "  --list-params         list the parameters (index, name, display, label) and stop\n"
           "  --info                describe the plug-in and the MIDI file and stop\n"
           "  -q, --quiet           print errors only\n"
           "  -h, --help            show this text\n"
           "\n"
           "The bank, program, program file and parameters are applied in that order.\n";
}

} // namespace sorrel::render
