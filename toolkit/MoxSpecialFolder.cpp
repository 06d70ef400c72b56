#include "MoxSpecialFolder.h"

#include "MoxFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kDefaultDataDirs = "/usr/local/share:/usr/share";

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string joined(std::string base, const char* subFolder, const char* fileName)
{
    for (const char* part : {subFolder, fileName}) {
        if (part == nullptr || *part == '\0')
            continue;
        if (base.empty() || base.back() != '/')
            base += '/';
        base += part;
    }
    return base;
}

std::string perUserBase()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && isAbsolute(dataHome))
        return dataHome;
    const char* home = std::getenv("HOME");
    if (home != nullptr && isAbsolute(home))
        return joined(home, ".local/share", nullptr);
    return {};
}

std::vector<std::string> allUsersBases()
{
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string_view list = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : kDefaultDataDirs;
    std::vector<std::string> bases;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string_view entry = list.substr(start, end - start);
        if (isAbsolute(entry))
            bases.emplace_back(entry);
        start = end + 1;
    }
    return bases;
}

std::string allUsersPath(const char* subFolder, const char* fileName)
{
    const std::vector<std::string> bases = allUsersBases();
    if (bases.empty())
        return {};
    if (fileName != nullptr) {
        for (const std::string& base : bases) {
            std::string path = joined(base, subFolder, fileName);
            std::int64_t size = 0;
            if (CMoxFile::GetFileSize(path.c_str(), size))
                return path;
        }
    }
    return joined(bases.front(), subFolder, fileName);
}

} // namespace

bool GetSpecialFolderPath(char* buffer, std::size_t size, const char* subFolder, const char* fileName, bool perUser)
{
    if (buffer == nullptr || size == 0)
        return false;
    std::string path;
    if (perUser) {
        const std::string base = perUserBase();
        if (!base.empty())
            path = joined(base, subFolder, fileName);
    } else {
        path = allUsersPath(subFolder, fileName);
    }
    if (path.empty() || path.size() >= size)
        return false;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}
