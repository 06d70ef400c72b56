// Plain text forms of parameter values, for typing a value in: numbers in the range the
// parameter shows, whole numbers for counts, selector entries and "ON"/"OFF".
#pragma once

#include <cstddef>

namespace sorrel {

constexpr std::size_t kParameterTextSize = 25; // including the terminating zero

// Writes the text of value into text (kParameterTextSize bytes); false and an empty text
// for indices without a text form (no parameter, Pitch Fine, the compare trigger).
bool parameterValueToText(int index, float value, char* text);

// Sets *value from text; false, leaving *value alone, when the text is not understood.
// Numbers beyond the parameter's range are limited to it.
bool parameterTextToValue(int index, const char* text, float* value);

} // namespace sorrel
