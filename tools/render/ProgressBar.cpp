#include "ProgressBar.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace sorrel::render {

namespace {

constexpr int kBarWidth = 40;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr const char* kEraseLine = "\r\033[K";

} // namespace

void ProgressBar::update(std::int64_t done, std::int64_t atMost)
{
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastDrawn_ < kRedrawInterval) {
        return;
    }
    const double fraction = atMost > 0 ? std::clamp(static_cast<double>(done) / static_cast<double>(atMost), 0.0, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "] %3d%%  %.1f s", static_cast<int>(fraction * 100.0),
                  static_cast<double>(done) / sampleRate_);
    out_ << kEraseLine << "rendering [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << text.data() << std::flush;
    shown_ = true;
    lastDrawn_ = now;
}

void ProgressBar::clear()
{
    if (shown_) {
        out_ << kEraseLine << std::flush;
        shown_ = false;
    }
}

} // namespace sorrel::render
