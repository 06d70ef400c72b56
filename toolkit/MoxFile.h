// A file on disk through the C runtime's streams, with the toolkit's open modes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CMoxFile {
public:
    // Mode bits 0-1: 1 read, 2 write (created or truncated), 3 read and write;
    // bit 3 selects binary.
    enum Mode : int {
        kRead = 1,
        kWrite = 2,
        kReadWrite = 3,
        kBinary = 8,
        kBinaryRead = kBinary | kRead,   // 9
        kBinaryWrite = kBinary | kWrite, // 10
    };

    // Origins of Seek; any other value counts from the start.
    enum Origin : int {
        kFromCurrent = 0,
        kFromEnd = 1,
        kFromStart = 2,
    };

    CMoxFile() = default;
    virtual ~CMoxFile();
    CMoxFile(const CMoxFile&) = delete;
    CMoxFile& operator=(const CMoxFile&) = delete;

    // Closes an open stream first; false for an unknown mode or when the stream
    // cannot be opened.
    virtual bool Open(const char* path, int mode);
    // False when nothing is open or closing fails (for example unflushed data).
    virtual bool Close();
    // Bytes transferred; 0 without a stream.
    virtual std::size_t Read(void* buffer, std::size_t bytes);
    virtual std::size_t Write(const void* buffer, std::size_t bytes);
    virtual bool Seek(std::int64_t offset, int origin);
    virtual bool Tell(std::int64_t& position);
    virtual bool IsOpen() const { return stream != nullptr; }

    // Size of a regular file; false for a directory or a missing file.
    static bool GetFileSize(const char* path, std::int64_t& size);
    // Creates every missing folder of the path, parents first; true when the whole
    // path is a folder afterwards.
    static bool CreateDirectories(const char* path);

private:
    std::FILE* stream = nullptr;
};
