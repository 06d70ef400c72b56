// A read-only CMoxFile over bytes in memory, for readers that take a file.
#pragma once

#include "MoxFile.h"

#include <cstddef>
#include <cstdint>

class MemoryFile : public CMoxFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Open(const char*, int) override { return false; }
    bool Close() override { return true; }
    std::size_t Read(void* buffer, std::size_t bytes) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    bool Seek(std::int64_t offset, int origin) override;
    bool Tell(std::int64_t& position) override;
    bool IsOpen() const override { return true; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
