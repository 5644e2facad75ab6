#include "platform/win32/unwind_tables.h"

#if defined(__i386__) && defined(__GNUC__)

#include <windows.h>

namespace {

// libgcc's view of a module's table and the bases its lookups report.
struct UnwindBases {
    void* textBase;
    void* dataBase;
    void* function;
};
// Room for libgcc's registration record (six words on i686), which it fills and keeps.
struct RegistrationRecord {
    void* words[16];
};
RegistrationRecord ownRegistration;
bool registered = false;

using FindFrameFunction = const void* (*)(void*, UnwindBases*);

}  // namespace

extern "C" const void* _Unwind_Find_FDE(void* pc, UnwindBases* bases);
extern "C" void __register_frame_info(const void* begin, void* record);

void registerUnwindTablesWithOwnUnwinder() {
    if (registered) return;
    void* here = reinterpret_cast<void*>(&registerUnwindTablesWithOwnUnwinder);
    UnwindBases bases{};
    if (_Unwind_Find_FDE(here, &bases)) return;
    // Registered with the shared runtime: it tells where this module's table lies.
    HMODULE shared = GetModuleHandleA("libgcc_s_dw2-1.dll");
    FindFrameFunction sharedFind =
        shared ? reinterpret_cast<FindFrameFunction>(reinterpret_cast<void*>(GetProcAddress(shared, "_Unwind_Find_FDE")))
               : nullptr;
    const BYTE* entry = sharedFind ? static_cast<const BYTE*>(sharedFind(here, &bases)) : nullptr;
    HMODULE self = nullptr;
    if (!entry || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      static_cast<LPCSTR>(here), &self)) {
        return;
    }
    // The table is a section of its own, read from its start up to the closing zero word.
    const BYTE* base = reinterpret_cast<const BYTE*>(self);
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
        const BYTE* begin = base + section->VirtualAddress;
        if (entry < begin || entry >= begin + section->Misc.VirtualSize) continue;
        __register_frame_info(begin, &ownRegistration);
        registered = true;
        return;
    }
}

#else

void registerUnwindTablesWithOwnUnwinder() {}

#endif
