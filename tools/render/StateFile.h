// A VST program (.fxp) or bank (.fxb) file: either an opaque chunk for the
// plug-in's effSetChunk ('FPCh', 'FBCh') or plain parameter values ('FxCk',
// 'FxBk'). All headers are big-endian; the chunk is passed on untouched.
#pragma once

#include "VstPlugin.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace sorrel::render {

enum class StateKind { ProgramChunk, BankChunk, ProgramParameters, BankParameters };

struct ProgramValues {
    std::string name;
    std::vector<float> values;
};

class StateFile {
public:
    // `bank` says which of the two files the caller asked for; the other kind
    // is refused. Throws RenderError on a wrong, truncated or malformed file.
    static StateFile parse(std::span<const std::uint8_t> bytes, bool bank);
    static StateFile read(const std::string& path, bool bank);

    StateKind kind() const { return kind_; }
    bool isBank() const { return kind_ == StateKind::BankChunk || kind_ == StateKind::BankParameters; }
    VstInt32 pluginId() const { return pluginId_; }
    const std::vector<std::uint8_t>& chunk() const { return chunk_; }
    // One entry for a program file, one per program for a bank.
    const std::vector<ProgramValues>& programs() const { return programs_; }
    int currentProgram() const { return currentProgram_; }

    // Chunks go to effSetChunk (1 for a program, 0 for a bank); parameter
    // files set names and values program by program. Throws RenderError when
    // the plug-in refuses or cannot take the file. A chunk counts as refused
    // when the plug-in answers 0 and its own chunk neither changed nor equals
    // the file's. A file made for another
    // plug-in ID is refused when it holds parameter values, whose meaning
    // depends on the plug-in; a chunk is handed over with a warning, since
    // plug-ins may accept the IDs of their earlier versions.
    void applyTo(host::VstPlugin& plugin, std::ostream& warnings) const;

private:
    StateFile() = default;

    static std::vector<std::uint8_t> currentChunk(host::VstPlugin& plugin, VstInt32 index);
    void applyChunk(host::VstPlugin& plugin) const;
    void applyValues(host::VstPlugin& plugin) const;

    StateKind kind_ = StateKind::ProgramChunk;
    VstInt32 pluginId_ = 0;
    std::vector<std::uint8_t> chunk_;
    std::vector<ProgramValues> programs_;
    int currentProgram_ = 0;
};

} // namespace sorrel::render
