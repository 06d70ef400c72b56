// The 2048-byte global block: settings shared by all programs (tuning, MIDI reception
// switches, assignable controllers, controller map). Held and saved little-endian.
#pragma once

#include "RecordVersion.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace sorrel {

constexpr std::size_t kGlobalBlockSize = 2048;
constexpr std::uint32_t kGlobalMagic = 0x676C6F62; // the bytes "bolg"
constexpr std::int32_t kGlobalRestSize = 2040;
constexpr int kReceptionSwitches = 8;
constexpr int kAssignableControllers = 4;
constexpr int kControllerMapSize = 128;
constexpr int kMappedControllers = 96; // entries 0-95 of the map are used
constexpr std::uint8_t kUnassigned = 255;
constexpr int kScales = 16;
constexpr int kScaleNotes = 12;

// Reception switches by number (global settings 14 to 16).
enum ReceptionSwitch : int {
    kControlChangeOff = 0,
    kProgramChangeOff = 1,
    kChannelPressureOff = 2,
};

struct AssignableController {
    std::uint8_t controller = 0;
    std::uint8_t bipolar = 0;
    std::uint8_t unused[2] = {};
};

struct GlobalBlock {
    std::uint32_t magic = 0;
    std::int32_t restSize = 0;
    std::int32_t version = 0;
    std::int32_t flags = 0;
    float masterTune = 0.0f;
    float scale = 0.0f;
    float scaleKey = 0.0f;
    std::int32_t reserved0 = 0;
    float unusedTwelve[12] = {};
    std::uint8_t reserved1[16] = {};
    float reception[kReceptionSwitches] = {};
    AssignableController assignable[kAssignableControllers] = {};
    std::uint8_t reserved2[112] = {};
    std::uint8_t controllerMap[kControllerMapSize] = {};
    std::uint8_t reserved3[128] = {};
    std::int8_t scaleTable[kScales][kScaleNotes] = {};
    std::uint8_t reserved4[1344] = {};

    bool receptionOff(ReceptionSwitch which) const { return reception[which] >= 0.5f; }
};

static_assert(std::endian::native == std::endian::little, "records are kept in little-endian order");
static_assert(std::is_standard_layout_v<GlobalBlock> && std::is_trivially_copyable_v<GlobalBlock>);
static_assert(sizeof(GlobalBlock) == kGlobalBlockSize);
static_assert(offsetof(GlobalBlock, masterTune) == 16);
static_assert(offsetof(GlobalBlock, scale) == 20);
static_assert(offsetof(GlobalBlock, scaleKey) == 24);
static_assert(offsetof(GlobalBlock, unusedTwelve) == 32);
static_assert(offsetof(GlobalBlock, reception) == 96);
static_assert(offsetof(GlobalBlock, assignable) == 128);
static_assert(offsetof(GlobalBlock, controllerMap) == 256);
static_assert(offsetof(GlobalBlock, scaleTable) == 512);
static_assert(offsetof(GlobalBlock, reserved4) == 704);

// The factory block: 440 Hz, equal temperament, everything received, the factory
// controller map and assignable controllers 1, 2, 16 and 17. Its values follow this
// release's conventions, so it carries this release's version: saving and loading it
// must not run the upgrades meant for older records.
const GlobalBlock& factoryGlobalBlock();

} // namespace sorrel
