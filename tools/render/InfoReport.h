// What --info and --list-params print.
#pragma once

#include "MidiFile.h"
#include "TempoMap.h"
#include "VstPlugin.h"

#include <ostream>

namespace sorrel::render {

class InfoReport {
public:
    explicit InfoReport(std::ostream& out) : out_(out) {}

    void printPlugin(host::VstPlugin& plugin);
    void printMidi(const std::string& path, const MidiFile& midi, const TempoMap& tempoMap);
    // One row per parameter: index, name, display text, label.
    void printParameters(host::VstPlugin& plugin);

private:
    void field(const char* label, const std::string& value);

    std::ostream& out_;
};

} // namespace sorrel::render
