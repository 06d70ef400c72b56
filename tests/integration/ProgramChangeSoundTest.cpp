// A program change under a held chord mutes and fades back in without a click.
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

using sorrel::host::MidiEventList;
using sorrel::test::loadSorrel;

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr VstInt32 kCutoffParameter = 7;
constexpr int kChord[] = {60, 64, 67};

class ProgramChangeTest : public ::testing::Test {
protected:
    void SetUp() override { plugin->open(kRate, kBlock); }

    void PlayChord()
    {
        MidiEventList events;
        for (const int key : kChord) {
            events.addNoteOn(0, 0, key, 100);
        }
        plugin->processEvents(events);
    }

    // Appends the left channel of `blocks` blocks to out.
    void Render(int blocks)
    {
        std::vector<float> left(kBlock);
        std::vector<float> right(kBlock);
        for (int b = 0; b < blocks; ++b) {
            float* outputs[2] = {left.data(), right.data()};
            plugin->processReplacing(outputs, kBlock);
            out.insert(out.end(), left.begin(), left.end());
        }
    }

    static float Peak(std::span<const float> s)
    {
        float peak = 0.0f;
        for (const float x : s) {
            peak = std::max(peak, std::abs(x));
        }
        return peak;
    }

    static float LargestStep(std::span<const float> s)
    {
        float step = 0.0f;
        for (std::size_t i = 1; i < s.size(); ++i) {
            step = std::max(step, std::abs(s[i] - s[i - 1]));
        }
        return step;
    }

    std::unique_ptr<sorrel::host::VstPlugin> plugin = loadSorrel();
    std::vector<float> out;
};

TEST_F(ProgramChangeTest, HeldChordFadesToSilenceAndTheNewProgramFadesIn)
{
    // Slot 1 gets a darker copy of the current program, which then goes back
    // to how it was.
    const float cutoff = plugin->getParameter(kCutoffParameter);
    plugin->setParameter(kCutoffParameter, 0.4f);
    ASSERT_EQ(plugin->dispatch(effCopyProgram, 1), 1);
    plugin->setParameter(kCutoffParameter, cutoff);

    PlayChord();
    Render(40);
    const std::size_t change = out.size();
    plugin->dispatch(effSetProgram, 0, 1);
    ASSERT_EQ(plugin->dispatch(effGetProgram), 1);
    Render(3); // the mute ends and silences the old voices
    PlayChord();
    Render(60);

    const std::span<const float> all(out);
    const std::span<const float> before = all.subspan(change - 20 * kBlock, 20 * kBlock);
    const std::span<const float> after = all.last(20 * kBlock);
    ASSERT_GT(Peak(before), 0.01f);
    ASSERT_GT(Peak(after), 0.01f);

    // Silent for a while in between.
    std::size_t longestSilence = 0;
    std::size_t run = 0;
    for (std::size_t i = change; i < out.size(); ++i) {
        run = out[i] == 0.0f ? run + 1 : 0;
        longestSilence = std::max(longestSilence, run);
    }
    EXPECT_GT(longestSilence, 256u);

    // The squared gain ramp moves by at most 2 / (0.02 fs) per sample, on
    // top of the signal's own steps.
    const float rampStep = static_cast<float>(2.0 / (0.02 * kRate));
    const float allowed = std::max(LargestStep(before), LargestStep(after)) +
                          std::max(Peak(before), Peak(after)) * rampStep;
    EXPECT_LE(LargestStep(all.subspan(change - kBlock)), 1.05f * allowed);
}

} // namespace
