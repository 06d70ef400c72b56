// Conversions between parameter values (0..1) and positions, in single precision.
#pragma once

#include <algorithm>

namespace sorrel {

// Position of x among n positions, the first of which is lo. Values from damaged
// records (NaN, out of range) land on the nearest end instead of overflowing.
inline int toStep(float x, int n, int lo)
{
    x = x >= 0.0f ? std::min(x, 1.0f) : 0.0f;
    const float nf = static_cast<float>(n);
    const int k = static_cast<int>(nf * x - 1.0f / (2.0f * nf));
    return lo + std::clamp(k, 0, n - 1);
}

// Value of position k among n positions, the first of which is lo.
inline float fromStep(int k, int n, int lo)
{
    return static_cast<float>(std::clamp(k - lo, 0, n - 1)) / static_cast<float>(n - 1);
}

inline bool isOn(float x) { return x >= 0.5f; }

inline float mapRange(float x, float a, float b) { return (b - a) * x + a; }

} // namespace sorrel
