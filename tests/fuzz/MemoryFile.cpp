#include "MemoryFile.h"

#include <algorithm>
#include <cstring>

std::size_t MemoryFile::Read(void* buffer, std::size_t bytes)
{
    const std::size_t count = std::min(bytes, size_ - position_);
    if (count > 0)
        std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
}

bool MemoryFile::Seek(std::int64_t offset, int origin)
{
    const auto base = static_cast<std::int64_t>(origin == kFromCurrent ? position_ : origin == kFromEnd ? size_ : 0);
    const std::int64_t target = base + offset;
    if (target < 0 || target > static_cast<std::int64_t>(size_))
        return false;
    position_ = static_cast<std::size_t>(target);
    return true;
}

bool MemoryFile::Tell(std::int64_t& position)
{
    position = static_cast<std::int64_t>(position_);
    return true;
}
