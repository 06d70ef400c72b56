// A CSorlVst made as the entry point makes it, for the fuzz targets: a host that
// answers without side effects, default files kept out of reach, and the checks
// every target shares.
#pragma once

#include "SorlVst.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace sorrel::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Points the data folders at a path that does not exist, so that no default bank
// or controller map of the machine is read. Call once from LLVMFuzzerInitialize.
void keepDefaultFilesAway();

// Created, initialised and resumed at 44.1 kHz.
std::unique_ptr<CSorlVst> makeInstrument();

// The bank chunk: everything an instance keeps.
Bytes bankOf(CSorlVst& instrument);

// Renders frames in blocks and aborts on a sample that is not finite.
void renderChecked(CSorlVst& instrument, int frames);

// Aborts with the message when the condition does not hold.
void require(bool condition, const char* what);

// Aborts with a message unless the state is the one saved before a refused input.
void requireUnchanged(CSorlVst& instrument, const Bytes& before);

} // namespace sorrel::fuzz
