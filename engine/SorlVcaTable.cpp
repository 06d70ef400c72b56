#include "SorlVcaTable.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr int kLastSilent = 33;
constexpr int kToeEnd = 42;
constexpr double kToeStep = 0.001;

struct Knot {
    int entry;
    double value;
};

// The curve above the toe passes exactly through these points; the first
// is the toe's last entry, so the two parts meet.
constexpr Knot kKnots[] = {
    {kToeEnd, (kToeEnd - kLastSilent) * kToeStep},
    {43, 0.0095658},
    {50, 0.017363},
    {60, 0.034214},
    {75, 0.063593},
    {100, 0.11584},
    {125, 0.16957},
    {150, 0.22395},
    {200, 0.33371},
    {250, 0.44415},
    {300, 0.55497},
    {350, 0.66603},
    {400, 0.77725},
    {450, 0.88858},
    {475, 0.94428},
    {CSorlVcaTable::kLastEntry, 1.0},
};
constexpr std::size_t kKnotCount = std::size(kKnots);

double Secant(std::size_t i)
{
    return (kKnots[i + 1].value - kKnots[i].value) / (kKnots[i + 1].entry - kKnots[i].entry);
}

// Slopes at the knots for a monotone cubic (Fritsch-Carlson): start from
// the spacing-weighted mean of the neighbouring secants, then shrink any
// pair of end slopes that would let a segment overshoot.
std::array<double, kKnotCount> KnotSlopes()
{
    std::array<double, kKnotCount> slope{};
    slope[0] = Secant(0);
    slope[kKnotCount - 1] = Secant(kKnotCount - 2);
    for (std::size_t i = 1; i + 1 < kKnotCount; ++i) {
        const double before = kKnots[i].entry - kKnots[i - 1].entry;
        const double after = kKnots[i + 1].entry - kKnots[i].entry;
        slope[i] = (after * Secant(i - 1) + before * Secant(i)) / (before + after);
    }
    for (std::size_t i = 0; i + 1 < kKnotCount; ++i) {
        const double secant = Secant(i);
        const double alpha = slope[i] / secant;
        const double beta = slope[i + 1] / secant;
        const double size = std::hypot(alpha, beta);
        if (size > 3.0) {
            slope[i] = 3.0 / size * alpha * secant;
            slope[i + 1] = 3.0 / size * beta * secant;
        }
    }
    return slope;
}

double Hermite(const Knot& from, const Knot& to, double slopeFrom, double slopeTo, int entry)
{
    const double h = to.entry - from.entry;
    const double t = (entry - from.entry) / h;
    const double t2 = t * t;
    const double t3 = t2 * t;
    return (2.0 * t3 - 3.0 * t2 + 1.0) * from.value + (t3 - 2.0 * t2 + t) * h * slopeFrom +
           (-2.0 * t3 + 3.0 * t2) * to.value + (t3 - t2) * h * slopeTo;
}

} // namespace

CSorlVcaTable::CSorlVcaTable()
{
    for (int i = kLastSilent + 1; i <= kToeEnd; ++i) {
        values_[i] = static_cast<float>((i - kLastSilent) * kToeStep);
    }
    const std::array<double, kKnotCount> slope = KnotSlopes();
    for (std::size_t k = 0; k + 1 < kKnotCount; ++k) {
        for (int i = kKnots[k].entry; i <= kKnots[k + 1].entry; ++i) {
            values_[i] = static_cast<float>(Hermite(kKnots[k], kKnots[k + 1], slope[k], slope[k + 1], i));
        }
    }
}
