// Bounds-checked big-endian reading of a byte buffer, as MIDI files and VST
// state files store their headers. Running past the end throws Truncated with
// the offset where the data stopped, so the caller can say where a file is cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sorrel::render {

class ByteReader {
public:
    struct Truncated {
        std::size_t offset; // in the whole file, where the missing bytes should have been
    };

    // `fileOffset` is where `bytes` starts in the file, for the offsets reported.
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t fileOffset = 0);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::span<const std::uint8_t> take(std::size_t count);

    std::uint8_t peek() const;
    bool atEnd() const { return position_ == bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - position_; }
    // Offset of the next unread byte in the whole file.
    std::size_t fileOffset() const { return fileOffset_ + position_; }

private:
    void require(std::size_t count) const;

    std::span<const std::uint8_t> bytes_;
    std::size_t fileOffset_;
    std::size_t position_ = 0;
};

} // namespace sorrel::render
