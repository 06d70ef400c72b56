// Four voice lanes as one SIMD value. GCC's vector extensions keep the lane
// arithmetic branch-free without pulling in intrinsics headers; stored lanes
// stay plain std::array so voice records remain ordinary structs.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

using SorlLaneFloats = float __attribute__((vector_size(16)));
using SorlLaneInts = std::int32_t __attribute__((vector_size(16)));

inline SorlLaneFloats SorlLoadLanes(const std::array<float, 4>& lanes)
{
    SorlLaneFloats v;
    std::memcpy(&v, lanes.data(), sizeof v);
    return v;
}

inline SorlLaneInts SorlLoadLanes(const std::array<std::int32_t, 4>& lanes)
{
    SorlLaneInts v;
    std::memcpy(&v, lanes.data(), sizeof v);
    return v;
}

inline void SorlStoreLanes(std::array<float, 4>& lanes, SorlLaneFloats v)
{
    std::memcpy(lanes.data(), &v, sizeof v);
}

inline void SorlStoreLanes(std::array<std::int32_t, 4>& lanes, SorlLaneInts v)
{
    std::memcpy(lanes.data(), &v, sizeof v);
}

inline SorlLaneFloats SorlSplat(float x)
{
    return SorlLaneFloats{x, x, x, x};
}

// Comparisons are written so that a NaN lane lands on the lower bound.
inline SorlLaneFloats SorlClampLanes(SorlLaneFloats v, float low, float high)
{
    const SorlLaneFloats lo = SorlSplat(low);
    const SorlLaneFloats hi = SorlSplat(high);
    v = v > lo ? v : lo;
    return v < hi ? v : hi;
}

// Bit l of the result is set when lane l of the mask is true.
inline std::uint32_t SorlLaneBits(SorlLaneInts mask)
{
    const SorlLaneInts bits = mask & SorlLaneInts{1, 2, 4, 8};
    return static_cast<std::uint32_t>(bits[0] | bits[1] | bits[2] | bits[3]);
}
