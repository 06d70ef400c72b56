// The exported entry point that a VST 2.4 host looks up: VSTPluginMain, also as "main".

#include "SorlVst.h"

#include <memory>
#include <new>

namespace {

AEffect* createEffect(audioMasterCallback host)
{
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    std::unique_ptr<CSorlVst> plugin(new (std::nothrow) CSorlVst(host));
    if (plugin == nullptr || !plugin->initialize())
        return nullptr;
    // The editor joins later; until then the record goes out without flag 1.
    return plugin.release()->getAeffect();
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    try {
        return createEffect(host);
    } catch (...) {
        return nullptr;
    }
}

// Older Linux hosts look for the entry under this name.
__attribute__((visibility("default"))) AEffect* vstPluginMainAlias(audioMasterCallback host) __asm__("main");
AEffect* vstPluginMainAlias(audioMasterCallback host) { return VSTPluginMain(host); }
}
