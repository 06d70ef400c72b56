// Points the per-user and all-users data folders at a fresh temporary folder for the
// life of the object, so that default files are neither read from nor written to
// the real ones; the previous environment comes back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace sorrel::test {

class DataFolders {
public:
    DataFolders()
    {
        std::string pattern = ::testing::TempDir() + "sorrel-data-XXXXXX";
        root = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        EXPECT_FALSE(root.empty());
        remember("XDG_DATA_HOME");
        remember("XDG_DATA_DIRS");
        remember("HOME"); // only restored: tests of the fallback change it
        setenv("XDG_DATA_HOME", (root + "/user").c_str(), 1);
        setenv("XDG_DATA_DIRS", (root + "/nowhere:" + root + "/system").c_str(), 1);
    }
    ~DataFolders()
    {
        for (const auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    DataFolders(const DataFolders&) = delete;
    DataFolders& operator=(const DataFolders&) = delete;

    // The application folders below each base.
    std::string userFolder() const { return root + "/user/VELTA/Sorrel"; }
    std::string systemFolder() const { return root + "/system/VELTA/Sorrel"; }
    const std::string& base() const { return root; }

    // Every regular file below the temporary folder.
    std::vector<std::string> files() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                found.push_back(entry.path().string());
        return found;
    }

private:
    void remember(const char* name)
    {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }

    std::string root;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

} // namespace sorrel::test
