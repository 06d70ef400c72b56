// The host callback handed to every plug-in, and how it finds the instance a
// call belongs to. Before the entry point returns there is no effect record we
// own yet (audioMasterVersion even comes with a null one), so calls on the
// creating thread go to the instance being created; afterwards AEffect::user
// points at the instance's HostContext.
#pragma once

#include "VstAbi.h"

namespace sorrel::host {

class HostContext;

class CallbackRouter {
public:
    // Matches audioMasterCallback. Calls nobody can be routed to answer 0.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);

    static void attach(AEffect& effect, HostContext& context);

    // Routes this thread's calls without a known effect to `context` while it lives.
    class CreationScope {
    public:
        explicit CreationScope(HostContext& context);
        ~CreationScope();

        CreationScope(const CreationScope&) = delete;
        CreationScope& operator=(const CreationScope&) = delete;

    private:
        HostContext* previous_;
    };
};

} // namespace sorrel::host
