#include "tests/interfaces/program_imports.h"

#include <windows.h>

std::vector<std::string> ImportedNames(const std::wstring &programPath, const std::string &dll) {
    std::vector<std::string> names;
    // Mapped as an image, not run: its tables sit at their relative addresses from the base.
    HMODULE mapped = LoadLibraryExW(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!mapped) return names;
    const auto *base = reinterpret_cast<const BYTE *>(reinterpret_cast<ULONG_PTR>(mapped) & ~ULONG_PTR{3});
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
         imports.VirtualAddress && entry->Name; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), dll.c_str()) != 0) continue;
        const DWORD lookup = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (auto *thunk = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + lookup); thunk->u1.AddressOfData; ++thunk) {
            if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal))
                names.push_back("#" + std::to_string(IMAGE_ORDINAL(thunk->u1.Ordinal)));
            else
                names.push_back(reinterpret_cast<const char *>(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + thunk->u1.AddressOfData)->Name));
        }
    }
    FreeLibrary(mapped);
    return names;
}
