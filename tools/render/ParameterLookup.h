// Finds a plug-in parameter from what the user typed after --param.
#pragma once

#include "VstPlugin.h"

#include <string>

namespace sorrel::render {

// `key` is an index in digits or a name; names match without regard to case
// or surrounding spaces. Throws RenderError for an unknown or ambiguous key.
VstInt32 findParameter(host::VstPlugin& plugin, const std::string& key);

} // namespace sorrel::render
