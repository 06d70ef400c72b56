#include "ControllerMapFile.h"

#include "MoxFile.h"

#include <algorithm>

namespace {

constexpr std::int32_t kMagic = 0x636D6170; // "cmap"
constexpr std::int32_t kRestSize = 152;
// Versions that wrote their headers in little-endian order.
constexpr std::int32_t kLittleEndianVersions[] = {0x01020100, 0x01010900};

enum HeaderField : std::size_t {
    kMagicAt = 0,
    kSizeAt = 4,
    kVersionAt = 8,
    kIdAt = 16,
    kIdVersionAt = 20,
};

using Bytes = std::array<std::uint8_t, CM4417ControllerMapFile::kFileSize>;

void putBigEndian(Bytes& bytes, std::size_t at, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

std::int32_t fieldAt(const Bytes& bytes, std::size_t at, bool littleEndian)
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t byte = littleEndian ? at + 3 - i : at + i;
        bits = (bits << 8) | bytes[byte];
    }
    return static_cast<std::int32_t>(bits);
}

} // namespace

bool CM4417ControllerMapFile::write(CMoxFile& file, const Map& map, std::int32_t pluginId, std::int32_t version)
{
    Bytes bytes{};
    putBigEndian(bytes, kMagicAt, kMagic);
    putBigEndian(bytes, kSizeAt, kRestSize);
    putBigEndian(bytes, kVersionAt, version);
    putBigEndian(bytes, kIdAt, pluginId);
    putBigEndian(bytes, kIdVersionAt, version);
    std::copy(map.begin(), map.end(), bytes.begin() + kMapOffset);
    return file.Write(bytes.data(), bytes.size()) == bytes.size();
}

std::optional<CM4417ControllerMapFile::Map> CM4417ControllerMapFile::read(CMoxFile& file, const IdCheck& isAcceptedId)
{
    Bytes bytes{};
    if (file.Read(bytes.data(), bytes.size()) != bytes.size())
        return std::nullopt;

    const std::int32_t littleVersion = fieldAt(bytes, kVersionAt, true);
    const bool littleEndian =
        std::find(std::begin(kLittleEndianVersions), std::end(kLittleEndianVersions), littleVersion) !=
            std::end(kLittleEndianVersions) ||
        isAcceptedId(fieldAt(bytes, kIdAt, true));
    if (fieldAt(bytes, kMagicAt, littleEndian) != kMagic || fieldAt(bytes, kSizeAt, littleEndian) != kRestSize ||
        !isAcceptedId(fieldAt(bytes, kIdAt, littleEndian)))
        return std::nullopt;

    Map map{};
    std::copy_n(bytes.begin() + kMapOffset, kEntries, map.begin());
    return map;
}
