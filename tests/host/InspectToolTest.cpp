#include "CommandRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;

using sorrel::test::RunResult;

RunResult inspect(const std::string& argument) { return sorrel::test::runCommand(SORREL_INSPECT_PATH, {argument}); }

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
