#include "ByteReader.h"

namespace sorrel::render {

ByteReader::ByteReader(std::span<const std::uint8_t> bytes, std::size_t fileOffset)
    : bytes_(bytes), fileOffset_(fileOffset)
{
}

void ByteReader::require(std::size_t count) const
{
    if (count > remaining()) {
        throw Truncated{fileOffset_ + bytes_.size()};
    }
}

std::uint8_t ByteReader::u8()
{
    require(1);
    return bytes_[position_++];
}

std::uint8_t ByteReader::peek() const
{
    require(1);
    return bytes_[position_];
}

std::uint16_t ByteReader::u16()
{
    require(2);
    const auto value = static_cast<std::uint16_t>(bytes_[position_] << 8 | bytes_[position_ + 1]);
    position_ += 2;
    return value;
}

std::uint32_t ByteReader::u32()
{
    require(4);
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | bytes_[position_++];
    }
    return value;
}

std::span<const std::uint8_t> ByteReader::take(std::size_t count)
{
    require(count);
    const auto part = bytes_.subspan(position_, count);
    position_ += count;
    return part;
}

} // namespace sorrel::render
