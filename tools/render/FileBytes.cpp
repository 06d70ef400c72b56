#include "FileBytes.h"

#include "RenderError.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace sorrel::render {

std::vector<std::uint8_t> readFileBytes(const std::string& path, const std::string& what)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw RenderError("cannot read " + what + " '" + path + "': " + std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        throw RenderError("cannot read " + what + " '" + path + "': it is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw RenderError("cannot read " + what + " '" + path + "': " + std::strerror(errno));
    }
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw RenderError("cannot read " + what + " '" + path + "': read error");
    }
    return bytes;
}

} // namespace sorrel::render
