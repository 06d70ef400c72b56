#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "EngineFixture.h"
#include "SorlParameterTable.h"

namespace {

using Bank = CSorlControlBank;

TEST_F(EngineTest, IdentifiesItself)
{
    EXPECT_EQ(engine->GetVersion(), 0x31313030u);
    EXPECT_FALSE(engine->IsSounding());
}

class EngineBlockSizeTest : public EngineTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(EngineBlockSizeTest, ReplacingStoresExactSilence)
{
    const std::int32_t frames = GetParam();
    for (int block = 0; block < 3; ++block) {
        left.assign(static_cast<std::size_t>(frames), std::numeric_limits<float>::quiet_NaN());
        right.assign(static_cast<std::size_t>(frames), 123.0f);
        float* outputs[2] = {left.data(), right.data()};
        engine->ProcessReplacing(nullptr, outputs, frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(left[i]), 0u) << "block " << block << " sample " << i;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(right[i]), 0u) << "block " << block << " sample " << i;
        }
    }
}

TEST_P(EngineBlockSizeTest, ProcessAddsToWhatIsThere)
{
    const std::int32_t frames = GetParam();
    std::vector<float> l(static_cast<std::size_t>(frames), 0.25f);
    std::vector<float> r(static_cast<std::size_t>(frames), -0.5f);
    float* outputs[2] = {l.data(), r.data()};
    engine->Process(nullptr, outputs, frames);
    for (std::int32_t i = 0; i < frames; ++i) {
        ASSERT_EQ(l[i], 0.25f) << "sample " << i;
        ASSERT_EQ(r[i], -0.5f) << "sample " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, EngineBlockSizeTest,
                         ::testing::Values(1, 2, 3, 4, 5, 63, 64, 65, 511, 512, 1023, 4096, 8191, 8192));

TEST_F(EngineTest, FrameCountsBelowOneLeaveTheBuffersAlone)
{
    for (const std::int32_t frames : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
        float l = 7.0f;
        float r = 8.0f;
        float* outputs[2] = {&l, &r};
        engine->ProcessReplacing(nullptr, outputs, frames);
        engine->Process(nullptr, outputs, frames);
        EXPECT_EQ(l, 7.0f);
        EXPECT_EQ(r, 8.0f);
    }
}

TEST_F(EngineTest, MissingOutputBuffersAreIgnored)
{
    float l = 7.0f;
    float* oneMissing[2] = {&l, nullptr};
    engine->ProcessReplacing(nullptr, oneMissing, 1);
    engine->Process(nullptr, nullptr, 16);
    EXPECT_EQ(l, 7.0f);
}

TEST_F(EngineTest, ControlsGlideFromRestAfterConstruction)
{
    EXPECT_FLOAT_EQ(Current(Bank::kVolume), 1.0f);
    EXPECT_FLOAT_EQ(Target(Bank::kVolume), 0.02f);
    EXPECT_FLOAT_EQ(Current(Bank::kCutoff), 128.0f);
    EXPECT_FLOAT_EQ(Target(Bank::kCutoff), 2.56f);
    EXPECT_FLOAT_EQ(Current(Bank::kEnsembleRate), 0.0016f * kSampleRate);

    RenderBlock(4000); // 1000 control ticks
    EXPECT_NEAR(Current(Bank::kVolume), 2.0f, 1e-4f);
    EXPECT_NEAR(Current(Bank::kCutoff), 256.0f, 1e-2f);
}

TEST_F(EngineTest, ControlSectionRunsEveryFourthSampleAcrossBlocks)
{
    engine->Resume();
    engine->SetParameter(0, kInputCutoff, 0.0f); // settles at 128, where it rests
    RenderBlock(4000);
    engine->SetParameter(0, kInputCutoff, 1.0f);

    // Ticks fall on every fourth sample since Resume, whatever the block sizes.
    auto afterTicks = [](int ticks) {
        float current = 128.0f;
        for (int i = 0; i < ticks; ++i) {
            current = 0.99f * current + 2.56f;
        }
        return current;
    };
    const float before = Current(Bank::kCutoff);
    ASSERT_NEAR(before, 128.0f, 1e-3f);
    RenderBlock(3); // 4000 % 4 == 0: this block holds one tick
    EXPECT_NEAR(Current(Bank::kCutoff), afterTicks(1), 1e-3f);
    RenderBlock(1); // sample 3
    EXPECT_NEAR(Current(Bank::kCutoff), afterTicks(1), 1e-3f);
    RenderBlock(3); // samples 4..6
    EXPECT_NEAR(Current(Bank::kCutoff), afterTicks(2), 1e-3f);
    RenderBlock(3); // samples 7..9: tick at 8
    EXPECT_NEAR(Current(Bank::kCutoff), afterTicks(3), 1e-3f);
}

TEST_F(EngineTest, ResumeRestartsTheControlCount)
{
    RenderBlock(2);
    engine->SetParameter(0, kInputResonance, 1.0f);
    const float before = Current(Bank::kResonance);
    engine->Resume();
    RenderBlock(1);
    EXPECT_FLOAT_EQ(Current(Bank::kResonance), 0.99f * before + 0.12f);
}

TEST_F(EngineTest, LampsAreDarkWhileSuspended)
{
    engine->Suspend();
    for (const int which : {0, 1, 2, -1}) {
        EXPECT_EQ(engine->GetLedState(which), 0.0f);
    }
    engine->Resume();
    EXPECT_EQ(engine->GetLedState(7), 0.0f);
}

TEST(EngineCreate, FallsBackToADefaultRateForUnusableRates)
{
    for (const float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN()}) {
        const auto engine = CSorlDsp::Create(rate, 6);
        ASSERT_NE(engine, nullptr);
        EXPECT_EQ(engine->SampleRate(), 44100.0f);
        engine->SetSampleRate(rate);
        EXPECT_EQ(engine->SampleRate(), 44100.0f);

        std::vector<float> l(256), r(256);
        float* outputs[2] = {l.data(), r.data()};
        engine->ProcessReplacing(nullptr, outputs, 256);
        for (const float sample : l) {
            ASSERT_TRUE(std::isfinite(sample));
        }
    }
}

} // namespace
