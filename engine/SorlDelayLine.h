// One channel's delay line: 4096 samples and a guard entry that mirrors the
// first, so that an interpolated read never wraps between its two samples.
// The writer's index counts down, so reading a distance d above it gives the
// sample written d samples ago.
#pragma once

#include <algorithm>
#include <array>

class CSorlDelayLine {
public:
    static constexpr int kLength = 4096;
    static constexpr float kLongestDelay = kLength - 1;

    void Clear() { samples_.fill(0.0f); }

    void Write(int index, float x)
    {
        samples_[index] = x;
        samples_[kLength] = samples_[0];
    }

    float Read(int writeIndex, float delay) const
    {
        // Held inside the line whatever the modulators ask for (NaN too).
        const float distance = std::min(delay > 0.0f ? delay : 0.0f, kLongestDelay);
        float position = static_cast<float>(writeIndex) + distance;
        if (position >= static_cast<float>(kLength)) {
            position -= static_cast<float>(kLength);
        }
        const int n = static_cast<int>(position);
        return samples_[n] + (samples_[n + 1] - samples_[n]) * (position - static_cast<float>(n));
    }

private:
    std::array<float, kLength + 1> samples_{};
};
