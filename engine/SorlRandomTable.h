// 32 random values in about -0.5..0.5, read in turn. Each engine seeds its
// own generator, so a rendering never depends on other instances or on the
// C library's shared rand() state.
#pragma once

#include <array>
#include <cstdint>
#include <random>

class CSorlRandomTable {
public:
    static constexpr int kSize = 32;

    // The values stay 0 until the first Refill.
    explicit CSorlRandomTable(std::uint32_t seed);

    // Draws kSize fresh values and starts reading from the first again.
    void Refill();
    // The value at the read index; the index then moves on, wrapping.
    float Next();
    // Reads from the first value again.
    void Rewind() { index_ = 0; }

    float operator[](int i) const { return values_[i]; }

private:
    std::minstd_rand generator_;
    std::array<float, kSize> values_{};
    int index_ = 0;
};
