// A one-line progress bar for a terminal, redrawn in place at most ten times
// a second; clear() removes it before the summary is printed.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

namespace sorrel::render {

class ProgressBar {
public:
    ProgressBar(std::ostream& out, int sampleRate) : out_(out), sampleRate_(sampleRate) {}
    // A render that fails leaves no half-drawn bar in front of its error message.
    ~ProgressBar() { clear(); }

    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::int64_t done, std::int64_t atMost);
    void clear();

private:
    std::ostream& out_;
    int sampleRate_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDrawn_;
};

} // namespace sorrel::render
