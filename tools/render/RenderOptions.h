// The sorrel-render command line.
#pragma once

#include "AudioFileWriter.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sorrel::render {

struct ParameterSetting {
    std::string key; // a parameter index in digits, or a name matched without regard to case
    float value;     // 0 to 1
};

struct RenderOptions {
    std::string input;
    std::string output;
    std::string plugin; // empty: the build's Sorrel.so
    int sampleRate = 44100;
    int blockSize = 512;
    std::optional<int> program;
    std::string bankFile;
    std::string programFile;
    std::vector<ParameterSetting> parameters;
    double tailSeconds = 5.0;
    SampleFormat format = SampleFormat::Pcm24;
    bool listParameters = false;
    bool info = false;
    bool quiet = false;
    bool help = false;

    // The arguments after the program name. Throws UsageError.
    static RenderOptions parse(std::span<const std::string> arguments);
    static const char* usage();

    // --list-params and --info show what they show and render nothing.
    bool rendersAudio() const { return !listParameters && !info; }
};

} // namespace sorrel::render
