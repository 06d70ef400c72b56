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

// Reads table[index] and table[index + 1] for each lane and interpolates
// between them by fraction. Each lane's neighbours come in one 8-byte load,
// which costs far less than gathering the eight floats one by one.
inline SorlLaneFloats SorlInterpolateLanes(const float* table, SorlLaneInts index, SorlLaneFloats fraction)
{
    using Pair = float __attribute__((vector_size(8)));
    Pair pairs[4];
    for (int lane = 0; lane < 4; ++lane) {
        std::memcpy(&pairs[lane], table + index[lane], sizeof(Pair));
    }
    const SorlLaneFloats low = __builtin_shufflevector(pairs[0], pairs[1], 0, 1, 2, 3);
    const SorlLaneFloats high = __builtin_shufflevector(pairs[2], pairs[3], 0, 1, 2, 3);
    const SorlLaneFloats here = __builtin_shufflevector(low, high, 0, 2, 4, 6);
    const SorlLaneFloats next = __builtin_shufflevector(low, high, 1, 3, 5, 7);
    return here + (next - here) * fraction;
}

// Bit l of the result is set when lane l of the mask is true.
inline std::uint32_t SorlLaneBits(SorlLaneInts mask)
{
    const SorlLaneInts bits = mask & SorlLaneInts{1, 2, 4, 8};
    return static_cast<std::uint32_t>(bits[0] | bits[1] | bits[2] | bits[3]);
}

inline bool SorlAllLanes(SorlLaneInts mask)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &mask, sizeof halves);
    return (halves[0] & halves[1]) == ~std::uint64_t{0};
}
