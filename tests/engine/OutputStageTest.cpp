#include <gtest/gtest.h>

#include "SorlOutputStage.h"

namespace {

constexpr float kFullVolume = 2.0f; // current value of Volume at 1
constexpr float kCentre = 1.0f;     // current value of Pan at 0.5

class OutputStageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stage.SetSampleRate(44100.0f);
        stage.SetRampGain(1.0f);
    }

    SorlStereo Render(SorlStereo in, float volume = kFullVolume, float pan = kCentre)
    {
        return stage.Render(volume, pan, in);
    }

    CSorlOutputStage stage;
};

TEST_F(OutputStageTest, OutputSwitchLevels)
{
    const SorlStereo in{0.5f, -0.25f};
    stage.SetOutputSwitch(1.0f);
    const SorlStereo high = Render(in);
    EXPECT_FLOAT_EQ(high.left, 0.5f);
    EXPECT_FLOAT_EQ(high.right, -0.25f);

    stage.SetOutputSwitch(0.5f);
    const SorlStereo middle = Render(in);
    EXPECT_FLOAT_EQ(middle.left, 0.090909f * high.left);
    EXPECT_FLOAT_EQ(middle.right, 0.090909f * high.right);

    stage.SetOutputSwitch(0.2f);
    for (const float volume : {1.0f, 1.5f, 2.0f}) {
        const SorlStereo low = Render(in, volume);
        EXPECT_EQ(low.left, 0.0f);
        EXPECT_EQ(low.right, 0.0f);
    }
}

TEST_F(OutputStageTest, VolumeScalesAboveItsOffset)
{
    const SorlStereo quarter = Render({0.8f, 0.8f}, 1.25f);
    EXPECT_FLOAT_EQ(quarter.left, 0.2f);
    const SorlStereo silent = Render({0.8f, 0.8f}, 1.0f);
    EXPECT_EQ(silent.left, 0.0f);
}

TEST_F(OutputStageTest, PanLaw)
{
    struct Case {
        float pan; // control bank value, 2 x Pan
        float left;
        float right;
    };
    const Case cases[] = {{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, {2.0f, 0.0f, 1.0f}, {0.5f, 1.0f, 0.25f},
                          {1.5f, 0.25f, 1.0f}};
    for (const Case& c : cases) {
        const SorlStereo out = Render({0.5f, 0.5f}, kFullVolume, c.pan);
        EXPECT_FLOAT_EQ(out.left, 0.5f * c.left) << "pan " << c.pan;
        EXPECT_FLOAT_EQ(out.right, 0.5f * c.right) << "pan " << c.pan;
    }
}

TEST_F(OutputStageTest, ClampsToUnity)
{
    const SorlStereo out = Render({3.0f, -7.0f});
    EXPECT_EQ(out.left, 1.0f);
    EXPECT_EQ(out.right, -1.0f);
}

TEST_F(OutputStageTest, RampsUpOver20MillisecondsWithASquaredGain)
{
    stage.SetRampGain(0.0f);
    const SorlStereo first = Render({0.5f, 0.5f});
    const float step = 1.0f / (0.02f * 44100.0f);
    EXPECT_FLOAT_EQ(first.left, 0.5f * step * step);

    for (int i = 1; i < 880; ++i) {
        Render({0.5f, 0.5f});
    }
    EXPECT_LT(stage.RampGain(), 1.0f);
    for (int i = 0; i < 3; ++i) {
        Render({0.5f, 0.5f});
    }
    EXPECT_EQ(stage.RampGain(), 1.0f);
    EXPECT_EQ(Render({0.5f, 0.5f}).left, 0.5f);
}

TEST_F(OutputStageTest, MuteFadesToExactSilenceAndStays)
{
    stage.SetMute(true);
    const SorlStereo first = Render({0.5f, 0.5f});
    EXPECT_GT(first.left, 0.49f);
    EXPECT_LT(first.left, 0.5f);

    for (int i = 1; i < 880; ++i) {
        Render({0.5f, 0.5f});
    }
    EXPECT_GT(stage.RampGain(), 0.0f);
    for (int i = 0; i < 3; ++i) {
        Render({0.5f, 0.5f});
    }
    EXPECT_EQ(stage.RampGain(), 0.0f);
    for (int i = 0; i < 1000; ++i) {
        const SorlStereo out = Render({1.0f, -1.0f});
        ASSERT_EQ(out.left, 0.0f);
        ASSERT_EQ(out.right, 0.0f);
    }

    stage.SetMute(false);
    EXPECT_GT(Render({0.5f, 0.5f}).left, 0.0f);
}

} // namespace
