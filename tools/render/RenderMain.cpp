// sorrel-render [options] INPUT.mid -o OUTPUT.wav: plays a Standard MIDI File
// through a VST 2.4 instrument and writes what it plays to a sound file.
#include "HostError.h"
#include "RenderCommand.h"
#include "RenderError.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFailure = 1;
constexpr int kUsageFailure = 2;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// The build puts this program in <build>/tools and the plug-in in <build>/plugin.
std::string defaultPluginPath()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "plugin" / "Sorrel.so").string();
}

} // namespace

int main(int argc, char** argv)
{
    using namespace sorrel::render;
    // Interrupting a render ends it cleanly, so its unfinished file is removed.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        RenderCommand command(RenderOptions::parse(arguments), defaultPluginPath());
        command.run(CommandOutput{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1},
                    [] { return stopRequested != 0; });
    } catch (const UsageError& error) {
        std::cerr << "sorrel-render: " << error.what() << "\n(sorrel-render --help shows the options)\n";
        return kUsageFailure;
    } catch (const std::exception& error) {
        std::cerr << "sorrel-render: " << error.what() << '\n';
        return kFailure;
    }
    return 0;
}
