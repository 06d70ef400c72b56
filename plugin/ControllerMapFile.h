// The 160-byte controller-map file (.cmap): a header written big-endian and map
// entries 0 to 95. Older files with little-endian header fields are read too.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class CMoxFile;

class CM4417ControllerMapFile {
public:
    static constexpr std::size_t kFileSize = 160;
    static constexpr std::size_t kMapOffset = 32;
    static constexpr std::size_t kEntries = 96;

    using Map = std::array<std::uint8_t, kEntries>;
    using IdCheck = std::function<bool(std::int32_t)>;

    // Writes the whole file at the current position; false when it could not.
    static bool write(CMoxFile& file, const Map& map, std::int32_t pluginId, std::int32_t version);

    // The map of a valid file, or nothing for a short file or a wrong magic, size or id.
    static std::optional<Map> read(CMoxFile& file, const IdCheck& isAcceptedId);
};
