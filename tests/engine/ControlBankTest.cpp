#include <gtest/gtest.h>

#include <cmath>

#include "SorlControlBank.h"

namespace {

using Bank = CSorlControlBank;

struct TargetCase {
    Bank::Entry entry;
    float x;
    float settlesAt;
};

class ControlBankTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ControlBankTargets, TargetIsAHundredthOfTheSettlingValue)
{
    const TargetCase& c = GetParam();
    Bank bank;
    bank.SetSampleRate(48000.0f);
    bank.SetTarget(c.entry, c.x);
    EXPECT_NEAR(bank.Target(c.entry), 0.01f * c.settlesAt, 1e-6f * std::abs(c.settlesAt));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ControlBankTargets,
    ::testing::Values(TargetCase{Bank::kMgLevel, 0.3f, 1.3f}, TargetCase{Bank::kPitchBend, 0.25f, 2.5f},
                      TargetCase{Bank::kPitchBendRange, 0.5f, 18.0f},
                      TargetCase{Bank::kPulseWidth, 0.25f, 768.0f},
                      TargetCase{Bank::kPulseWidth, 1.0f, 1024.0f * (1.0f - 0.99999f)},
                      TargetCase{Bank::kCutoff, 0.5f, 192.0f}, TargetCase{Bank::kEgIntensity, 1.0f, 420.0f},
                      TargetCase{Bank::kKbdTrack, 0.6651f, 1.5f * 1.6651f},
                      TargetCase{Bank::kKbdTrack, 0.6652f, 2.5f}, TargetCase{Bank::kKbdTrack, 0.6669f, 2.5f},
                      TargetCase{Bank::kKbdTrack, 0.667f, 1.5f * 1.667f},
                      TargetCase{Bank::kAttenuatorGain, 3.1622777f, 3.1622777f},
                      TargetCase{Bank::kEnsembleRate, 1.0f, 0.0128f * 48000.0f * 0.5f},
                      TargetCase{Bank::kFxSpread, 0.5f, 1.25f},
                      TargetCase{Bank::kExtMod1PulseWidth, 1.0f, 1024.0f * (3.0f - 2.0f * 0.99999f)},
                      TargetCase{Bank::kExtMod2PulseWidth, 0.0f, 3072.0f},
                      TargetCase{Bank::kExtMod1Cutoff, 0.75f, 320.0f}, TargetCase{Bank::kExtMod2VcaGain, 0.0f, 1.0f},
                      TargetCase{Bank::kPan, 0.25f, 0.5f}, TargetCase{Bank::kExtInput2, 0.8f, 1.8f}));

TEST(ControlBank, RestValues)
{
    Bank bank;
    bank.SetSampleRate(48000.0f);
    bank.RestAll();
    const float expected[Bank::kCount] = {1,    3, 2,    1,    3,    12,   1024, 128,  6,    315,
                                          1.5f, 1, 1,    0.0016f * 48000.0f,    1,    1,    2048, 256,
                                          2,    2, 2048, 256,  2,    2,    1,    1,    1.5f, 1.5f};
    for (int i = 0; i < Bank::kCount; ++i) {
        EXPECT_FLOAT_EQ(bank.Current(static_cast<Bank::Entry>(i)), expected[i]) << "entry " << i;
    }
}

TEST(ControlBank, SmoothingGlidesFromRestToTheTarget)
{
    Bank bank;
    bank.RestAll();
    bank.SetTarget(Bank::kCutoff, 1.0f); // rest 128, settles at 256

    bank.Smooth();
    EXPECT_FLOAT_EQ(bank.Current(Bank::kCutoff), 0.99f * 128.0f + 2.56f);
    for (int tick = 1; tick < 100; ++tick) {
        bank.Smooth();
    }
    // One time constant: about 63 % of the way.
    EXPECT_NEAR(bank.Current(Bank::kCutoff), 256.0f - 128.0f * std::pow(0.99f, 100.0f), 0.01f);
    for (int tick = 0; tick < 3000; ++tick) {
        bank.Smooth();
    }
    EXPECT_NEAR(bank.Current(Bank::kCutoff), 256.0f, 0.001f);
}

TEST(ControlBank, RestingOneEntryLeavesTargetsAndOtherEntries)
{
    Bank bank;
    bank.RestAll();
    bank.SetTarget(Bank::kExtInput1, 1.0f);
    bank.SetTarget(Bank::kVolume, 1.0f);
    for (int tick = 0; tick < 10; ++tick) {
        bank.Smooth();
    }
    const float volume = bank.Current(Bank::kVolume);
    bank.Rest(Bank::kExtInput1);
    EXPECT_FLOAT_EQ(bank.Current(Bank::kExtInput1), 1.5f);
    EXPECT_FLOAT_EQ(bank.Target(Bank::kExtInput1), 0.02f);
    EXPECT_FLOAT_EQ(bank.Current(Bank::kVolume), volume);
}

TEST(ControlBank, SampleRateChangeKeepsTargetsSetEarlier)
{
    Bank bank;
    bank.SetSampleRate(44100.0f);
    bank.SetTarget(Bank::kEnsembleRate, 0.0f);
    bank.SetSampleRate(96000.0f);
    EXPECT_FLOAT_EQ(bank.Target(Bank::kEnsembleRate), 0.01f * 0.0016f * 44100.0f);
    bank.SetTarget(Bank::kEnsembleRate, 0.0f);
    EXPECT_FLOAT_EQ(bank.Target(Bank::kEnsembleRate), 0.01f * 0.0016f * 96000.0f);
}

} // namespace
