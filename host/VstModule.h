// A VST 2.4 module loaded into the process, and its entry point.
#pragma once

#include "VstAbi.h"

#include <string>

namespace sorrel::host {

using VstEntryProc = AEffect* (*)(audioMasterCallback host);

class VstModule {
public:
    // Throws HostError when the file is missing, cannot be loaded, or exports
    // neither VSTPluginMain nor main.
    explicit VstModule(const std::string& path);
    ~VstModule();

    VstModule(const VstModule&) = delete;
    VstModule& operator=(const VstModule&) = delete;

    const std::string& path() const { return path_; }
    VstEntryProc entry() const { return entry_; }
    // "VSTPluginMain" or "main", whichever was found.
    const std::string& entryName() const { return entryName_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    VstEntryProc entry_ = nullptr;
    std::string entryName_;
};

} // namespace sorrel::host
