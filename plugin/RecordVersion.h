// Version numbers carried by stored records. This release writes its vendor version;
// older releases used small numbers and build numbers, compared unsigned.
#pragma once

#include <cstdint>

namespace sorrel {

constexpr std::uint32_t kCurrentRecordVersion = 0x01030000;

// Thresholds below which an older record still needs a step of the upgrade.
enum RecordVersionThreshold : std::uint32_t {
    kVersionRequantised = 20,     // programs: the present quantisation rule
    kVersionUserScales = 21,      // global block: the scale table exists
    kVersionControllerMap = 589872,
    kVersionHoldController = 589886,
    kVersionWheelsReset = 591420,
    kVersionTimesInverted = 591422, // also: banks with a trailer program and edit copy
    kVersionCompareCopy = 592197,
};

} // namespace sorrel
