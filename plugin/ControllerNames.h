// Long ("CC 7:Volume") and short ("Volume") names of MIDI controller numbers, as shown
// for the controller map and the assignable controllers.
#pragma once

namespace sorrel {

constexpr int kControllerNameCount = 128;
constexpr int kControllerNameSize = 32;
constexpr int kNoAssignController = 127; // both tables hold "No Assign" here

// Both take the controller number modulo 128.
const char* longControllerName(int controller);
const char* shortControllerName(int controller);

} // namespace sorrel
