// Peak and RMS level per channel of everything rendered, and the count of
// samples beyond full scale or not finite at all.
#pragma once

#include <cstdint>
#include <vector>

namespace sorrel::render {

class LevelMeter {
public:
    explicit LevelMeter(int channels);

    // Non-finite samples are counted and replaced by 0 in place, so they reach
    // neither the levels nor the output file.
    void measure(float* const* channels, int frames);

    int channels() const { return static_cast<int>(peaks_.size()); }
    double peak(int channel) const { return peaks_[static_cast<std::size_t>(channel)]; }
    double rms(int channel) const;
    std::int64_t samplesOverFullScale() const { return overs_; }
    std::int64_t nonFiniteSamples() const { return nonFinite_; }

private:
    std::vector<double> peaks_;
    std::vector<double> sumsOfSquares_;
    std::int64_t frames_ = 0;
    std::int64_t overs_ = 0;
    std::int64_t nonFinite_ = 0;
};

} // namespace sorrel::render
