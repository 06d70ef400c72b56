#include "LevelMeter.h"

#include <algorithm>
#include <cmath>

namespace sorrel::render {

LevelMeter::LevelMeter(int channels)
    : peaks_(static_cast<std::size_t>(channels), 0.0), sumsOfSquares_(static_cast<std::size_t>(channels), 0.0)
{
}

void LevelMeter::measure(float* const* channels, int frames)
{
    for (std::size_t channel = 0; channel < peaks_.size(); ++channel) {
        float* samples = channels[channel];
        for (int frame = 0; frame < frames; ++frame) {
            if (!std::isfinite(samples[frame])) {
                samples[frame] = 0.0f;
                ++nonFinite_;
            }
            const double magnitude = std::fabs(samples[frame]);
            peaks_[channel] = std::max(peaks_[channel], magnitude);
            sumsOfSquares_[channel] += magnitude * magnitude;
            overs_ += magnitude > 1.0 ? 1 : 0;
        }
    }
    frames_ += frames;
}

double LevelMeter::rms(int channel) const
{
    return frames_ > 0 ? std::sqrt(sumsOfSquares_[static_cast<std::size_t>(channel)] / static_cast<double>(frames_))
                       : 0.0;
}

} // namespace sorrel::render
