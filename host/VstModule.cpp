#include "VstModule.h"

#include "HostError.h"

#include <dlfcn.h>

#include <array>
#include <filesystem>

namespace sorrel::host {

namespace {

// Linux hosts try the modern name first; older modules export only main.
constexpr std::array<const char*, 2> kEntryNames{"VSTPluginMain", "main"};

} // namespace

VstModule::VstModule(const std::string& path) : path_(path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw HostError("cannot load plug-in '" + path + "': no such file");
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        throw HostError("cannot load plug-in '" + path + "': not a regular file");
    }
    // An absolute path keeps dlopen from searching the library path for a bare file name.
    const std::string absolute = std::filesystem::absolute(path).string();
    handle_ = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        throw HostError("cannot load plug-in '" + path + "': " + (reason ? reason : "unknown dlopen failure"));
    }
    for (const char* name : kEntryNames) {
        if (void* symbol = dlsym(handle_, name)) {
            entry_ = reinterpret_cast<VstEntryProc>(symbol);
            entryName_ = name;
            return;
        }
    }
    dlclose(handle_);
    throw HostError("'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
}

VstModule::~VstModule()
{
    dlclose(handle_);
}

} // namespace sorrel::host
