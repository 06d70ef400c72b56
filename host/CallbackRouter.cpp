#include "CallbackRouter.h"

#include "HostContext.h"

namespace sorrel::host {

namespace {

thread_local HostContext* instanceBeingCreated = nullptr;

HostContext* route(const AEffect* effect)
{
    if (effect != nullptr && effect->user != nullptr) {
        return static_cast<HostContext*>(effect->user);
    }
    return instanceBeingCreated;
}

} // namespace

VstIntPtr CallbackRouter::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt)
{
    HostContext* context = route(effect);
    return context != nullptr ? context->answer(opcode, index, value, ptr, opt) : 0;
}

void CallbackRouter::attach(AEffect& effect, HostContext& context)
{
    effect.user = &context;
}

CallbackRouter::CreationScope::CreationScope(HostContext& context) : previous_(instanceBeingCreated)
{
    instanceBeingCreated = &context;
}

CallbackRouter::CreationScope::~CreationScope()
{
    instanceBeingCreated = previous_;
}

} // namespace sorrel::host
