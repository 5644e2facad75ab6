// The four entry points the host looks up by name. Nothing thrown inside the plug-in may
// cross into the host: the host is not C++ and would be taken down with it.
#include <new>

#include "far/host_services.h"
#include "plugin/plugin_binding.h"
#include "plugin/plugin_exports.h"
#ifdef _WIN32
#include "platform/win32/unwind_tables.h"
#endif

#ifdef _WIN32
#define TINKER_EXPORT extern "C"
#else
#define TINKER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

template <typename Action>
void guarded(Action action) {
    try {
        action();
    } catch (const std::bad_alloc&) {
        reportOutOfMemory();
    } catch (...) {
    }
}

}  // namespace

TINKER_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo* info) {
#ifdef _WIN32
    // Before anything can throw.
    registerUnwindTablesWithOwnUnwinder();
#endif
    if (info) guarded([&] { pluginStartup(*info); });
}

TINKER_EXPORT void WINAPI GetPluginInfo(PluginInfo* info) {
    if (info) guarded([&] { pluginDescribe(*info); });
}

TINKER_EXPORT HANDLE WINAPI OpenPlugin(int openFrom, INT_PTR item) {
    guarded([&] { pluginOpen(openFrom, item); });
    return INVALID_HANDLE_VALUE;
}

TINKER_EXPORT void WINAPI ExitFAR() {
    guarded([] { pluginExit(); });
}
