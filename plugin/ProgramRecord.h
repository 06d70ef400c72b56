// The 2048-byte program record: header, name, parameter values at the byte offsets of the
// descriptor table, and the chord memory. Held and saved in little-endian byte order.
#pragma once

#include "RecordVersion.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace sorrel {

constexpr std::size_t kProgramRecordSize = 2048;
constexpr std::uint32_t kProgramMagic = 0x676F7270; // the bytes "prog"
constexpr std::int32_t kProgramRestSize = 2040;
constexpr std::size_t kProgramNameSize = 24;
constexpr std::size_t kProgramNameMaxLength = kProgramNameSize - 1;
constexpr std::size_t kParameterValuesOffset = 48;
constexpr std::size_t kParameterValuesEnd = 344;
constexpr int kChordMemoryEntries = 128;

struct ChordMemoryEntry {
    std::int8_t noteOffset = 0;
    std::int8_t velocityOffset = 0;
    std::uint8_t unused[6] = {};
};

struct ProgramRecord {
    std::uint32_t magic = 0;
    std::int32_t restSize = 0;
    std::int32_t version = 0;
    std::int32_t reserved0 = 0;
    char nameBytes[kProgramNameSize] = {};
    std::uint8_t reserved1[8] = {};
    // Parameters 0-33 from byte 48 and 48-77 from byte 224, with zeroed room between;
    // reach them through value() and setValue(), which use the descriptor offsets.
    std::uint8_t valueBytes[kParameterValuesEnd - kParameterValuesOffset] = {};
    std::uint8_t reserved2[24] = {};
    std::int32_t chordMemoryCount = 0;
    std::uint8_t reserved3[652] = {};
    ChordMemoryEntry chordMemory[kChordMemoryEntries] = {};

    // 0.0 for an index outside 0-95 or without a stored value.
    float value(int index) const;
    // Ignored for an index outside 0-95 or without a stored value.
    void setValue(int index, float value);

    // At most 23 characters, even when the stored bytes lack their terminator.
    std::string_view name() const;
    // Stores the first 23 characters and clears the rest of the field.
    void setName(std::string_view name);
};

static_assert(std::endian::native == std::endian::little, "records are kept in little-endian order");
static_assert(std::is_standard_layout_v<ProgramRecord> && std::is_trivially_copyable_v<ProgramRecord>);
static_assert(sizeof(ChordMemoryEntry) == 8);
static_assert(sizeof(ProgramRecord) == kProgramRecordSize);
static_assert(offsetof(ProgramRecord, magic) == 0);
static_assert(offsetof(ProgramRecord, restSize) == 4);
static_assert(offsetof(ProgramRecord, version) == 8);
static_assert(offsetof(ProgramRecord, reserved0) == 12);
static_assert(offsetof(ProgramRecord, nameBytes) == 16);
static_assert(offsetof(ProgramRecord, reserved1) == 40);
static_assert(offsetof(ProgramRecord, valueBytes) == kParameterValuesOffset);
static_assert(offsetof(ProgramRecord, reserved2) == kParameterValuesEnd);
static_assert(offsetof(ProgramRecord, chordMemoryCount) == 368);
static_assert(offsetof(ProgramRecord, reserved3) == 372);
static_assert(offsetof(ProgramRecord, chordMemory) == 1024);

// The factory program "Init Program": every parameter at its default, no chord
// memory, and this release's version, as its values follow this release's conventions.
ProgramRecord initProgram();

} // namespace sorrel
