// The 32 global settings: how each one is kept in the global block, read back as a
// value in 0..1, and shown as text. Side effects of setting them live in CM4417Vst.
#pragma once

#include "GlobalBlock.h"

#include <cstddef>

namespace sorrel {

constexpr int kGlobalSettingCount = 32;
constexpr int kFixedScales = 3; // Equal Temp, Pure Major and Pure Minor cannot be edited
constexpr int kNoAssignSlot = 127;
constexpr int kScaleOffsetPositions = 199; // cents -99 .. +99
constexpr int kLowestScaleOffset = -99;

enum class GlobalSettingKind : unsigned char {
    MasterTune,       // 0
    Scale,            // 1
    ScaleOffset,      // 2-13: note C to B of the selected scale
    Reception,        // 14-21: reception switches 0-7
    AssignController, // 22-25: controller number of assignable controller 1-4
    AssignBipolar,    // 26-29
    ScaleKey,         // 30
    None,             // 31
};

struct GlobalSetting {
    GlobalSettingKind kind;
    int item;         // note, switch or slot number within its kind
    bool tellsEngine; // handed to the engine's SetTuning with its own index
};

// index must lie in 0 .. kGlobalSettingCount - 1.
GlobalSetting globalSetting(int index);

int selectedScale(const GlobalBlock& block);
// "Equal Temp", "Pure Major", "Pure Minor", "User 1" .. "User 13"; scale modulo 16.
const char* scaleName(int scale);
// The selected scale's offset of a note as a value in 0..1.
float scaleOffsetValue(const GlobalBlock& block, int note);

// 0.0 for an index outside 0..31.
float readGlobalSetting(const GlobalBlock& block, int index);
// Text for the editor, at most size bytes including the terminating zero; empty for
// an index outside 0..31.
void formatGlobalSetting(const GlobalBlock& block, int index, char* text, std::size_t size);

} // namespace sorrel
