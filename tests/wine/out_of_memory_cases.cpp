// Out of memory inside the module never takes the host down, even where another plug-in of the
// same process has loaded the shared libgcc first (it then holds the module's unwind tables).
#include <windows.h>

#include <cstdlib>

#include "import_table.h"
#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;
using MallocFunction = void* (*)(size_t);

MallocFunction realMalloc = nullptr;
bool scarce = false;
int largeAllocationsLeft = 0;
int failedAllocations = 0;

// The module's large blocks of output storage come from here: while scarce, a few more, then none.
void* scarceMalloc(size_t size) {
    if (scarce && size >= 256 * 1024 && largeAllocationsLeft-- <= 0) {
        ++failedAllocations;
        return nullptr;
    }
    return realMalloc(size);
}

}  // namespace

WINE_CASE(OutOfMemoryDuringABuildEndsInMessage25) {
#if defined(__i386__)
    // Built with -shared-libgcc: loaded first, as another plug-in of the host would be.
    HMODULE sharedRuntimeUser = LoadLibraryA((programDirectory() + "shared_runtime_user.dll").c_str());
    CHECK(sharedRuntimeUser != nullptr);
    CHECK(GetModuleHandleA("libgcc_s_dw2-1.dll") != nullptr);
#endif
    PluginCase plugin("out-of-memory");
    CHECK(plugin.loaded());
    if (!plugin.loaded()) return;
    void* previous = replaceImport(plugin.module(), "msvcrt.dll", "malloc", reinterpret_cast<void*>(scarceMalloc));
    CHECK(previous != nullptr);
    if (!previous) return;
    realMalloc = reinterpret_cast<MallocFunction>(previous);
    plugin.writeConfig(configWith(outputChild() + " many 40000"));
    plugin.start();

    failedAllocations = 0;
    largeAllocationsLeft = 1;
    scarce = true;
    plugin.openCommandLine("make:big.c");
    scarce = false;
    CHECK(failedAllocations > 0);
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(25)});
    std::vector<std::string> cut = plugin.savedOutput();
    // What fitted is kept, in order.
    CHECK(!cut.empty() && cut.size() < 40000u);
    CHECK(!cut.empty() && cut[0].rfind("line 000001 ", 0) == 0);

    // The module goes on working: the same build with memory to spare keeps every line.
    plugin.openCommandLine("make:big.c");
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{plugin.host.message(25)});
    CHECK_EQ(plugin.savedOutput().size(), 40000u);
}
