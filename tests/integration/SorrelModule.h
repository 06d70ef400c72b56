// Loads the built Sorrel.so through our host library, as a host does.
#pragma once

#include "VstPlugin.h"

#include <memory>

namespace sorrel::test {

inline std::unique_ptr<host::VstPlugin> loadSorrel(host::HostConfig config = {})
{
    return std::make_unique<host::VstPlugin>(SORREL_MODULE_PATH, config);
}

} // namespace sorrel::test
