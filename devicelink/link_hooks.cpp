#include "devicelink/link_hooks.h"

namespace vantor {

LinkHooks& linkHooks()
{
    static LinkHooks hooks;
    return hooks;
}

void installLinkHooks(LinkHooks hooks)
{
    linkHooks() = std::move(hooks);
}

} // namespace vantor
