// Whole small input files (MIDI files, state files) read into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorrel::render {

// Throws RenderError naming `what` ("MIDI file", "bank file") and the system's reason.
std::vector<std::uint8_t> readFileBytes(const std::string& path, const std::string& what);

} // namespace sorrel::render
