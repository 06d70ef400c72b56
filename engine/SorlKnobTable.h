// A curve sampled at the 129 positions of a knob's travel, read back with
// linear interpolation.
#pragma once

#include <array>

class CSorlKnobTable {
public:
    static constexpr int kLastPosition = 128;
    static constexpr int kSize = kLastPosition + 1;

    // The knob taper most rate tables are derived from.
    static CSorlKnobTable KnobCurve();

    // Fills position k with formula(k); formulas work in double precision.
    template <class Formula>
    static CSorlKnobTable Built(Formula formula)
    {
        CSorlKnobTable table;
        for (int k = 0; k < kSize; ++k) {
            table.values_[k] = static_cast<float>(formula(k));
        }
        return table;
    }

    float operator[](int k) const { return values_[k]; }

    // Reads the table at position 128 * x. Values outside 0..1 (or NaN) read
    // the end entries instead of running off the table.
    float Lookup(float x) const;

private:
    std::array<float, kSize> values_{};
};
