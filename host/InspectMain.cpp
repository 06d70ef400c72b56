// sorrel-inspect PLUGIN.so: show what a VST 2.4 host sees of a plug-in.
#include "PluginReport.h"
#include "VstPlugin.h"

#include <exception>
#include <iostream>

namespace {

constexpr double kSampleRate = 44100.0;
constexpr VstInt32 kBlockSize = 512;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: sorrel-inspect PLUGIN.so\n";
        return 1;
    }
    try {
        sorrel::host::VstPlugin plugin(argv[1]);
        plugin.open(kSampleRate, kBlockSize);
        sorrel::host::PluginReport(plugin).print(std::cout);
    } catch (const std::exception& error) {
        std::cerr << "sorrel-inspect: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
