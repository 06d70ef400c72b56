#include "StateFileHeader.h"

#include <cstring>

namespace {

constexpr std::uint32_t kChunkMagic = 0x43636E4B;   // 'CcnK'
constexpr std::uint32_t kProgramChunk = 0x46504368; // 'FPCh'
constexpr std::uint32_t kBankChunk = 0x46424368;    // 'FBCh'
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::uint32_t kFxVersion = 1;
constexpr std::size_t kProgramNameLength = 16;

enum Field : std::size_t {
    kChunkMagicAt = 0,
    kFxMagicAt = 8,
    kVersionAt = 12,
    kIdAt = 16,
    kFxVersionAt = 20,
    kProgramNameAt = 28,
};

void put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::uint32_t get(const std::uint8_t* bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | bytes[at + i];
    return value;
}

} // namespace

std::vector<std::uint8_t> CM4417StateFileHeader::build(bool program, std::int32_t pluginId, const char* programName,
                                                       std::uint32_t chunkSize)
{
    std::vector<std::uint8_t> bytes(size(program), 0);
    put(bytes, kChunkMagicAt, kChunkMagic);
    put(bytes, kFxMagicAt, program ? kProgramChunk : kBankChunk);
    put(bytes, kVersionAt, kFormatVersion);
    put(bytes, kIdAt, static_cast<std::uint32_t>(pluginId));
    put(bytes, kFxVersionAt, kFxVersion);
    if (program && programName != nullptr)
        std::memcpy(bytes.data() + kProgramNameAt, programName, strnlen(programName, kProgramNameLength));
    put(bytes, bytes.size() - 4, chunkSize);
    return bytes;
}

std::optional<std::uint32_t> CM4417StateFileHeader::parse(const std::uint8_t* header, bool program,
                                                          const IdCheck& isAcceptedId)
{
    if (header == nullptr || get(header, kChunkMagicAt) != kChunkMagic ||
        get(header, kFxMagicAt) != (program ? kProgramChunk : kBankChunk) ||
        !isAcceptedId(static_cast<std::int32_t>(get(header, kIdAt))))
        return std::nullopt;
    return get(header, size(program) - 4);
}
