// The bank image: global block, 128 program slots and a trailer, laid out so that a
// bank chunk is a plain copy of it.
#pragma once

#include "GlobalBlock.h"
#include "ProgramRecord.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace sorrel {

constexpr std::size_t kBankImageSize = 268304;
constexpr int kProgramSlots = 128; // only the first 32 are programs; the rest travel along
constexpr int kBankPrograms = 32;

struct BankImage {
    GlobalBlock global;
    ProgramRecord slots[kProgramSlots];
    std::int32_t program = 0; // current program when saved
    std::int32_t edited = 0;  // edited flag when saved, 0 or 1
    std::uint8_t reserved[8] = {};
    ProgramRecord edit;       // edit buffer when saved
    ProgramRecord compare;    // compare buffer when saved
};

static_assert(std::is_standard_layout_v<BankImage> && std::is_trivially_copyable_v<BankImage>);
static_assert(sizeof(BankImage) == kBankImageSize);
static_assert(offsetof(BankImage, global) == 0);
static_assert(offsetof(BankImage, slots) == 2048);
static_assert(offsetof(BankImage, program) == 264192);
static_assert(offsetof(BankImage, edited) == 264196);
static_assert(offsetof(BankImage, reserved) == 264200);
static_assert(offsetof(BankImage, edit) == 264208);
static_assert(offsetof(BankImage, compare) == 266256);

} // namespace sorrel
