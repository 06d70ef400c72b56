#include "MoxFile.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::size_t kMaxPathLength = 4095;

const char* streamMode(int mode)
{
    const bool binary = (mode & CMoxFile::kBinary) != 0;
    switch (mode & CMoxFile::kReadWrite) {
    case CMoxFile::kRead:
        return binary ? "rb" : "r";
    case CMoxFile::kWrite:
        return binary ? "wb" : "w";
    case CMoxFile::kReadWrite:
        return binary ? "r+b" : "r+";
    default:
        return nullptr;
    }
}

bool isFolder(const char* path)
{
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeFolder(const char* path) { return ::mkdir(path, 0777) == 0 || (errno == EEXIST && isFolder(path)); }

} // namespace

CMoxFile::~CMoxFile() { Close(); }

bool CMoxFile::Open(const char* path, int mode)
{
    Close();
    const char* how = streamMode(mode);
    if (path == nullptr || how == nullptr)
        return false;
    stream = std::fopen(path, how);
    return stream != nullptr;
}

bool CMoxFile::Close()
{
    if (stream == nullptr)
        return false;
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    return closed;
}

std::size_t CMoxFile::Read(void* buffer, std::size_t bytes)
{
    return stream != nullptr && buffer != nullptr ? std::fread(buffer, 1, bytes, stream) : 0;
}

std::size_t CMoxFile::Write(const void* buffer, std::size_t bytes)
{
    return stream != nullptr && buffer != nullptr ? std::fwrite(buffer, 1, bytes, stream) : 0;
}

bool CMoxFile::Seek(std::int64_t offset, int origin)
{
    if (stream == nullptr)
        return false;
    const int whence = origin == kFromCurrent ? SEEK_CUR : origin == kFromEnd ? SEEK_END : SEEK_SET;
    return ::fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

bool CMoxFile::Tell(std::int64_t& position)
{
    if (stream == nullptr)
        return false;
    const off_t at = ::ftello(stream);
    if (at < 0)
        return false;
    position = at;
    return true;
}

bool CMoxFile::GetFileSize(const char* path, std::int64_t& size)
{
    struct stat info {};
    if (path == nullptr || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = info.st_size;
    return true;
}

bool CMoxFile::CreateDirectories(const char* path)
{
    const std::size_t length = path != nullptr ? strnlen(path, kMaxPathLength + 1) : 0;
    if (length == 0 || length > kMaxPathLength)
        return false;
    std::string prefix(path, length);
    for (std::size_t at = prefix.find('/', 1); at != std::string::npos; at = prefix.find('/', at + 1)) {
        prefix[at] = '\0';
        const bool made = makeFolder(prefix.c_str());
        prefix[at] = '/';
        if (!made)
            return false;
    }
    return makeFolder(prefix.c_str());
}
