// What one sorrel-render invocation does: read the inputs, load and set up
// the instrument, then show information or render the MIDI file to a file.
// Every input is checked before the output is created.
#pragma once

#include "RenderOptions.h"
#include "RenderSession.h"
#include "StateFile.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace sorrel::render {

struct CommandOutput {
    std::ostream& out;   // --info, --list-params and the summary line
    std::ostream& err;   // warnings and the progress bar
    bool showProgress;   // stderr is a terminal and --quiet is off
};

class RenderCommand {
public:
    // `defaultPlugin` is loaded when no --plugin is given.
    RenderCommand(RenderOptions options, std::string defaultPlugin);

    // Throws RenderError or HostError with a message for the user.
    void run(const CommandOutput& output, const RenderSession::StopRequest& stop = {});

private:
    std::unique_ptr<host::VstPlugin> loadInstrument(double initialTempo);
    void applySettings(host::VstPlugin& plugin, std::ostream& warnings);
    void render(host::VstPlugin& plugin, const MidiFile& midi, const TempoMap& tempoMap, const CommandOutput& output,
                const RenderSession::StopRequest& stop);

    RenderOptions options_;
    std::string pluginPath_;
    std::optional<StateFile> bank_;
    std::optional<StateFile> program_;
};

} // namespace sorrel::render
