#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

struct RunResult {
    int exitCode;
    std::string output;
};

RunResult inspect(const std::string& argument)
{
    const std::string command = std::string("'") + SORREL_INSPECT_PATH + "' '" + argument + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    RunResult result{-1, ""};
    std::array<char, 4096> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
        result.output += chunk.data();
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(SorrelInspect, PrintsWhatTheHostSees)
{
    const RunResult run = inspect(FAKE_SYNTH_PATH);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("Unique ID       'FkSy' 0x466B5379\n"));
    EXPECT_THAT(run.output, HasSubstr("Flags           0x00000110  can-replacing is-synth\n"));
    EXPECT_THAT(run.output, HasSubstr("Vendor version  66051 (0x00010203)\n"));
    EXPECT_THAT(run.output, HasSubstr("Category        2 (synth)\n"));
    EXPECT_THAT(run.output, ContainsRegex("1 +Cutoff +10000 +Hz +yes\n"));
    EXPECT_THAT(run.output, ContainsRegex("2 +Mode +Saw +no\n"));
    EXPECT_THAT(run.output, ContainsRegex("1 +Bright\n"));
    // Level 0.5 plus the test note 60.
    EXPECT_THAT(run.output, HasSubstr("channel 0  peak 60.500000"));
    EXPECT_THAT(run.output, HasSubstr("channel 1  peak 60.500000"));
}

TEST(SorrelInspect, FailsWithAReasonForAMissingModule)
{
    const RunResult run = inspect("/nonexistent/Missing.so");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("sorrel-inspect: cannot load plug-in '/nonexistent/Missing.so': no such file"));
}

} // namespace
