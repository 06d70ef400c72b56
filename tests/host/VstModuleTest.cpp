#include "HostError.h"
#include "VstModule.h"
#include "VstPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace sorrel::host {
namespace {

using ::testing::HasSubstr;

std::string loadError(const std::string& path)
{
    try {
        VstModule module(path);
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}

TEST(VstModule, MissingFileOrFolderIsNamedInTheError)
{
    EXPECT_EQ(loadError("/nonexistent/folder/Missing.so"),
              "cannot load plug-in '/nonexistent/folder/Missing.so': no such file");
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(loadError(folder), "cannot load plug-in '" + folder + "': not a regular file");
}

TEST(VstModule, FileThatIsNoLibraryIsRefusedWithTheLoaderReason)
{
    const auto path = std::filesystem::temp_directory_path() / ("sorrel-not-a-library-" + std::to_string(getpid()) + ".so");
    std::ofstream(path) << "just text\n";
    const std::string message = loadError(path.string());
    std::filesystem::remove(path);
    const std::string prefix = "cannot load plug-in '" + path.string() + "': ";
    EXPECT_THAT(message, HasSubstr(prefix));
    EXPECT_GT(message.size(), prefix.size()) << "the loader's reason is missing";
}

TEST(VstModule, LibraryWithoutEntryPointIsNoPlugin)
{
    EXPECT_THAT(loadError(NO_ENTRY_PATH), HasSubstr("exports neither VSTPluginMain nor main"));
}

TEST(VstModule, PrefersVstPluginMainAndFallsBackToMain)
{
    EXPECT_EQ(VstModule(FAKE_SYNTH_PATH).entryName(), "VSTPluginMain");
    EXPECT_EQ(VstModule(FAKE_SYNTH_MAIN_ONLY_PATH).entryName(), "main");
    VstPlugin plugin(FAKE_SYNTH_MAIN_ONLY_PATH);
    EXPECT_EQ(plugin.effect().uniqueID, fourCharCode("FkSy"));
}

TEST(VstModule, BareFileNameLoadsFromTheWorkingFolderNotTheLibraryPath)
{
    const std::filesystem::path modulePath(FAKE_SYNTH_PATH);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(modulePath.parent_path());
    EXPECT_NO_THROW(VstModule(modulePath.filename().string()));
    std::filesystem::current_path(previous);
}

} // namespace
} // namespace sorrel::host
