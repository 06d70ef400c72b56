#include "FakeSynthFixture.h"
#include "HostError.h"
#include "VstPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

namespace sorrel::host {
namespace {

using ::testing::HasSubstr;
using test::observe;
using test::StereoBlock;

std::string creationError(HostConfig config)
{
    try {
        VstPlugin plugin(FAKE_SYNTH_PATH, std::move(config));
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}

TEST(VstPlugin, HostVersionZeroMakesThePluginRefuse)
{
    EXPECT_THAT(creationError(HostConfig{.version = 0}), HasSubstr("returned no effect record from VSTPluginMain"));
}

TEST(VstPlugin, RecordWithoutTheMagicIsRefused)
{
    EXPECT_THAT(creationError(HostConfig{.productString = fake_synth::kBadMagicProduct}),
                HasSubstr("magic 0x00000000 instead of 'VstP'"));
}

struct ParameterTextCase {
    VstInt32 index;
    float value;
    const char* name;
    const char* display;
    const char* label;
};

TEST(VstPlugin, ParameterTextWrappersReturnThePluginsText)
{
    const ParameterTextCase cases[] = {
        {0, 0.25f, "Level", "25.0", "%"},
        {1, 1.0f, "Cutoff", "20000", "Hz"},
        {2, 0.75f, "Mode", "Square", ""},
        {7, 0.5f, "", "", ""}, // out of range: the plug-in writes nothing, the buffer was zeroed
    };
    VstPlugin plugin(FAKE_SYNTH_PATH);
    for (const ParameterTextCase& c : cases) {
        SCOPED_TRACE(c.index);
        plugin.setParameter(c.index, c.value);
        if (c.index < plugin.effect().numParams) {
            EXPECT_FLOAT_EQ(plugin.getParameter(c.index), c.value);
        }
        EXPECT_EQ(plugin.parameterName(c.index), c.name);
        EXPECT_EQ(plugin.parameterDisplay(c.index), c.display);
        EXPECT_EQ(plugin.parameterLabel(c.index), c.label);
    }
}

TEST(VstPlugin, OpenSetsRateAndBlockSizeThatTheHostThenAnswers)
{
    VstPlugin plugin(FAKE_SYNTH_PATH);
    EXPECT_FALSE(plugin.host().wantsMidi());
    plugin.open(48000.0, 256);
    EXPECT_TRUE(plugin.isOpen());
    EXPECT_EQ(observe(plugin).sampleRateAnswer, 48000);
    EXPECT_EQ(observe(plugin).blockSizeAnswer, 256);
    EXPECT_TRUE(plugin.host().wantsMidi());
}

class FakeSynthInstances : public ::testing::Test {
protected:
    // Our own reference keeps the module mapped while instances come and go.
    void SetUp() override
    {
        handle_ = dlopen(FAKE_SYNTH_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr);
        liveInstances_ = reinterpret_cast<int (*)()>(dlsym(handle_, "fakeSynthLiveInstances"));
        ASSERT_NE(liveInstances_, nullptr);
    }
    void TearDown() override { dlclose(handle_); }

    int live() const { return liveInstances_(); }

private:
    void* handle_ = nullptr;
    int (*liveInstances_)() = nullptr;
};

TEST_F(FakeSynthInstances, DestructorClosesAnInstanceThatWasNotClosed)
{
    const int before = live();
    {
        VstPlugin opened(FAKE_SYNTH_PATH);
        opened.open(44100.0, 512);
        VstPlugin neverOpened(FAKE_SYNTH_PATH);
        EXPECT_EQ(live(), before + 2);
    }
    EXPECT_EQ(live(), before);
}

TEST_F(FakeSynthInstances, ClosedPluginRefusesFurtherCalls)
{
    const int before = live();
    VstPlugin plugin(FAKE_SYNTH_PATH);
    plugin.open(44100.0, 512);
    plugin.close();
    EXPECT_EQ(live(), before);
    EXPECT_TRUE(plugin.isClosed());
    EXPECT_FALSE(plugin.isOpen());
    EXPECT_THROW(plugin.dispatch(effGetProgram), HostError);
    EXPECT_THROW(plugin.getParameter(0), HostError);
}

TEST(VstPlugin, ReplacingOverwritesAndAccumulatingAdds)
{
    VstPlugin plugin(FAKE_SYNTH_PATH);
    plugin.open(44100.0, 64);

    StereoBlock replaced(64, 1.0f);
    plugin.processReplacing(replaced.channels(), 64);
    EXPECT_THAT(replaced.left(), ::testing::Each(0.5f));
    EXPECT_THAT(replaced.right(), ::testing::Each(-0.5f));

    StereoBlock accumulated(64, 1.0f);
    plugin.process(accumulated.channels(), 64);
    EXPECT_THAT(accumulated.left(), ::testing::Each(1.5f));
    EXPECT_THAT(accumulated.right(), ::testing::Each(0.5f));
}

TEST(VstPlugin, FrameCountsOutsideTheBlockSizeAreRefused)
{
    VstPlugin plugin(FAKE_SYNTH_PATH);
    plugin.open(44100.0, 64);
    StereoBlock block(128);
    EXPECT_THROW(plugin.processReplacing(block.channels(), 65), HostError);
    EXPECT_THROW(plugin.process(block.channels(), -1), HostError);
    EXPECT_EQ(observe(plugin).timeAsked, 0);
    EXPECT_NO_THROW(plugin.processReplacing(block.channels(), 0));
}

TEST(VstPlugin, DisplayUpdatesAreCounted)
{
    VstPlugin plugin(FAKE_SYNTH_PATH);
    plugin.dispatch(effSetProgram, 0, 1);
    plugin.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plugin.host().updateDisplayCount(), 2);
    EXPECT_EQ(plugin.dispatchText(effGetProgramNameIndexed, 1), "Bright");
}

} // namespace
} // namespace sorrel::host
