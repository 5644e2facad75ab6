// A DLL linked with the shared libgcc, as another plug-in of the host may be: loading it puts
// libgcc_s_dw2-1.dll into the process before tinker.dll.
#include <stdexcept>

extern "C" __declspec(dllexport) int sharedRuntimeUserCatches(int value) {
    try {
        if (value > 0) throw std::runtime_error("thrown across the shared runtime");
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}
