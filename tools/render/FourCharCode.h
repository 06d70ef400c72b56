// Four-character codes (plug-in IDs, file magics) as text for messages.
#pragma once

#include "VstAbi.h"

#include <string>

namespace sorrel::render {

// 'amsy' for 0x616D7379; bytes that do not print show as '.'.
std::string fourCharText(VstInt32 code);

} // namespace sorrel::render
