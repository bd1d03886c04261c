// Looking up one entry point of a run-time loaded library into a record's field.
#pragma once

#include <windows.h>

#include <cstring>

// The field keeps its own function type; a name the library lacks leaves it null.
template <typename EntryPoint>
void ResolveEntryPoint(HMODULE module, const char *name, EntryPoint &field) {
    static_assert(sizeof(EntryPoint) == sizeof(FARPROC), "entry points are plain function pointers");
    const FARPROC address = GetProcAddress(module, name);
    std::memcpy(&field, &address, sizeof field);
}
