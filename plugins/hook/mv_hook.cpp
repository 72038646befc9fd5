// The two exports of mv_hook.so. They take no handle, so the one grab thread lives here; the player
// loads the library once and calls them in pairs.

#include "plugins/hook/CKeyWatchThread.h"
#include "plugins/include/mv_hook.h"
#include "platform/ipc/CRuntimeDir.h"

#include <memory>

namespace {

std::unique_ptr<CKeyWatchThread> g_hook;

} // namespace

extern "C" __attribute__((visibility("default"))) int InstallHook(void)
{
    if (g_hook)
        return 1;
    auto hook = std::make_unique<CKeyWatchThread>(CRuntimeDir::FromEnvironment().Path());
    if (!hook->Start())
        return 0;
    g_hook = std::move(hook);
    return 1;
}

extern "C" __attribute__((visibility("default"))) int RemoveHook(void)
{
    if (!g_hook)
        return 0;
    g_hook->Stop();
    g_hook.reset();
    return 1;
}
