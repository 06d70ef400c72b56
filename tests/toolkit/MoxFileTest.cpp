// Files, folder creation and the XDG data folders.
#include "../plugin/DataFolders.h"
#include "MoxFile.h"
#include "MoxSpecialFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using sorrel::test::DataFolders;

namespace {

TEST(MoxFile, ModesReadWriteSeekAndTell)
{
    DataFolders folders;
    const std::string path = folders.base() + "/file.bin";
    CMoxFile file;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Close());
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    EXPECT_EQ(file.Write("x", 1), 0u);
    EXPECT_FALSE(file.Open(path.c_str(), CMoxFile::kBinaryRead)); // missing
    EXPECT_FALSE(file.Open(path.c_str(), CMoxFile::kBinary));     // no direction

    ASSERT_TRUE(file.Open(path.c_str(), CMoxFile::kBinaryWrite));
    EXPECT_EQ(file.Write("abcdef", 6), 6u);
    std::int64_t position = -1;
    ASSERT_TRUE(file.Tell(position));
    EXPECT_EQ(position, 6);
    ASSERT_TRUE(file.Close());

    ASSERT_TRUE(file.Open(path.c_str(), CMoxFile::kBinary | CMoxFile::kReadWrite));
    ASSERT_TRUE(file.Seek(-2, CMoxFile::kFromEnd));
    char two[3] = {};
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_STREQ(two, "ef");
    ASSERT_TRUE(file.Seek(1, CMoxFile::kFromStart));
    ASSERT_TRUE(file.Seek(1, CMoxFile::kFromCurrent));
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_STREQ(two, "cd");
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_EQ(file.Read(two, 2), 0u); // at the end

    std::int64_t size = 0;
    EXPECT_TRUE(CMoxFile::GetFileSize(path.c_str(), size));
    EXPECT_EQ(size, 6);
    EXPECT_FALSE(CMoxFile::GetFileSize(folders.base().c_str(), size)); // a folder
    EXPECT_FALSE(CMoxFile::GetFileSize((folders.base() + "/none").c_str(), size));
}

TEST(MoxFile, CreateDirectoriesMakesEveryParent)
{
    DataFolders folders;
    const std::string deep = folders.base() + "/a/b/c";
    EXPECT_TRUE(CMoxFile::CreateDirectories(deep.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_TRUE(CMoxFile::CreateDirectories((deep + "/").c_str())); // exists already
    CMoxFile file;
    ASSERT_TRUE(file.Open((deep + "/f").c_str(), CMoxFile::kWrite));
    file.Close();
    EXPECT_FALSE(CMoxFile::CreateDirectories((deep + "/f/g").c_str())); // a file in the way
    EXPECT_FALSE(CMoxFile::CreateDirectories(""));
    EXPECT_FALSE(CMoxFile::CreateDirectories(std::string(5000, 'x').c_str()));
}

TEST(MoxSpecialFolder, FollowsTheXdgVariables)
{
    DataFolders folders;
    char text[512];
    ASSERT_TRUE(GetSpecialFolderPath(text, sizeof text, "V/S", "f.x", true));
    EXPECT_EQ(std::string(text), folders.base() + "/user/V/S/f.x");
    ASSERT_TRUE(GetSpecialFolderPath(text, sizeof text, "V/S", nullptr, false));
    EXPECT_EQ(std::string(text), folders.base() + "/nowhere/V/S");
    std::filesystem::create_directories(folders.base() + "/system/V/S");
    CMoxFile file;
    ASSERT_TRUE(file.Open((folders.base() + "/system/V/S/f.x").c_str(), CMoxFile::kWrite));
    file.Close();
    ASSERT_TRUE(GetSpecialFolderPath(text, sizeof text, "V/S", "f.x", false));
    EXPECT_EQ(std::string(text), folders.base() + "/system/V/S/f.x");

    const std::string expected = folders.base() + "/user/V/S";
    EXPECT_FALSE(GetSpecialFolderPath(text, expected.size(), "V/S", nullptr, true));
    EXPECT_TRUE(GetSpecialFolderPath(text, expected.size() + 1, "V/S", nullptr, true));

    // Relative values do not count: the defaults apply.
    setenv("XDG_DATA_HOME", "relative/share", 1);
    setenv("XDG_DATA_DIRS", "relative:", 1);
    setenv("HOME", "/home/someone", 1);
    ASSERT_TRUE(GetSpecialFolderPath(text, sizeof text, "V", nullptr, true));
    EXPECT_EQ(std::string(text), "/home/someone/.local/share/V");
    EXPECT_FALSE(GetSpecialFolderPath(text, sizeof text, "V", nullptr, false));
    unsetenv("XDG_DATA_DIRS");
    ASSERT_TRUE(GetSpecialFolderPath(text, sizeof text, "V", nullptr, false));
    EXPECT_EQ(std::string(text), "/usr/local/share/V");
}

} // namespace
