#include "import_table.h"

#include <cstring>

namespace {

template <typename Record>
Record* at(HMODULE module, DWORD offset) {
    return reinterpret_cast<Record*>(reinterpret_cast<BYTE*>(module) + offset);
}

}  // namespace

void* replaceImport(HMODULE module, const char* libraryName, const char* functionName, void* replacement) {
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    IMAGE_NT_HEADERS* headers = at<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (IMAGE_IMPORT_DESCRIPTOR* library = at<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
         library->Name != 0; ++library) {
        if (_stricmp(at<char>(module, library->Name), libraryName) != 0) continue;
        IMAGE_THUNK_DATA* names = at<IMAGE_THUNK_DATA>(
            module, library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk);
        IMAGE_THUNK_DATA* addresses = at<IMAGE_THUNK_DATA>(module, library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            IMAGE_IMPORT_BY_NAME* byName = at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), functionName) != 0) continue;
            void** slot = reinterpret_cast<void**>(&addresses->u1.Function);
            DWORD previousProtection = 0;
            if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previousProtection)) return nullptr;
            void* original = *slot;
            *slot = replacement;
            VirtualProtect(slot, sizeof *slot, previousProtection, &previousProtection);
            return original;
        }
    }
    return nullptr;
}
