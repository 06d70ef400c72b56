// The amplifier's response to its control level: silent up to 33/500, a
// short linear toe, then a smooth climb that runs slightly faster than
// linear to unity. 501 entries, read at 500 times the level.
#pragma once

#include <array>

class CSorlVcaTable {
public:
    static constexpr int kLastEntry = 500;
    static constexpr int kSize = kLastEntry + 1;

    CSorlVcaTable();

    float operator[](int i) const { return values_[i]; }
    const float* Data() const { return values_.data(); }

private:
    std::array<float, kSize> values_{};
};
