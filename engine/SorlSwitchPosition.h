// Switch positions are picked by how many of a control's ascending thresholds
// its value reaches; a NaN reaches none and lands on the first position.
#pragma once

#include <span>

inline int SorlSwitchPosition(float value, std::span<const float> thresholds)
{
    int position = 0;
    for (const float threshold : thresholds) {
        if (value >= threshold) {
            ++position;
        }
    }
    return position;
}
