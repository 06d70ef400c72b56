// The big-endian headers of program (.fxp, 'FPCh') and bank (.fxb, 'FBCh') files in
// the chunk formats; the chunk bytes follow the header unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CM4417StateFileHeader {
public:
    static constexpr std::size_t kProgramHeaderSize = 60;
    static constexpr std::size_t kBankHeaderSize = 160;

    using IdCheck = std::function<bool(std::int32_t)>;

    static std::size_t size(bool program) { return program ? kProgramHeaderSize : kBankHeaderSize; }

    // A program header names the program (at most 16 characters).
    static std::vector<std::uint8_t> build(bool program, std::int32_t pluginId, const char* programName,
                                           std::uint32_t chunkSize);

    // The chunk size of a header of size (program) bytes with the right magics and an
    // accepted id; nothing otherwise.
    static std::optional<std::uint32_t> parse(const std::uint8_t* header, bool program, const IdCheck& isAcceptedId);
};
