// An engine at 44100 Hz with six voices and a stereo buffer to render into.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "SorlDsp.h"

class EngineTest : public ::testing::Test {
protected:
    static constexpr float kSampleRate = 44100.0f;

    void SetUp() override
    {
        engine = CSorlDsp::Create(kSampleRate, 6);
        ASSERT_NE(engine, nullptr);
    }

    // Renders one block with ProcessReplacing into left and right.
    void RenderBlock(std::int32_t frames)
    {
        left.assign(static_cast<std::size_t>(frames), 0.0f);
        right.assign(static_cast<std::size_t>(frames), 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        engine->ProcessReplacing(nullptr, outputs, frames);
    }

    float Current(CSorlControlBank::Entry entry) const { return engine->Controls().Current(entry); }
    float Target(CSorlControlBank::Entry entry) const { return engine->Controls().Target(entry); }

    std::unique_ptr<CSorlDsp> engine;
    std::vector<float> left;
    std::vector<float> right;
};
