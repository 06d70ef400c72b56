#include "SorlKnobTable.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps rates derived from C(0) finite and non-zero.
constexpr double kCurveFloor = 0.00001;

} // namespace

CSorlKnobTable CSorlKnobTable::KnobCurve()
{
    return Built([](int k) {
        const double d = std::exp2(k / static_cast<double>(kLastPosition)) - 1.0;
        return std::max((d * d * d + d) / 2.0, kCurveFloor);
    });
}

float CSorlKnobTable::Lookup(float x) const
{
    if (x >= 1.0f) {
        return values_[kLastPosition];
    }
    if (!(x > 0.0f)) {
        return values_[0];
    }
    const float position = x * kLastPosition;
    const int i = static_cast<int>(position);
    return values_[i] + (values_[i + 1] - values_[i]) * (position - static_cast<float>(i));
}
