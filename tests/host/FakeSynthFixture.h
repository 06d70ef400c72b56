// Shared pieces of the host tests: where the test modules are, and a way to
// read what the fake synth observed.
#pragma once

#include "FakeSynthProbe.h"
#include "VstPlugin.h"

#include <array>
#include <vector>

namespace sorrel::host::test {

inline const fake_synth::Observations& observe(VstPlugin& plugin)
{
    return *reinterpret_cast<const fake_synth::Observations*>(
        plugin.dispatch(fake_synth::kProbeOpcode, fake_synth::kObserve));
}

// Two output channels of one block, pre-filled with `fill`.
class StereoBlock {
public:
    explicit StereoBlock(VstInt32 frames, float fill = 0.0f)
        : left_(static_cast<std::size_t>(frames), fill), right_(static_cast<std::size_t>(frames), fill),
          channels_{left_.data(), right_.data()}
    {
    }

    float** channels() { return channels_.data(); }
    const std::vector<float>& left() const { return left_; }
    const std::vector<float>& right() const { return right_; }

private:
    std::vector<float> left_;
    std::vector<float> right_;
    std::array<float*, 2> channels_;
};

} // namespace sorrel::host::test
