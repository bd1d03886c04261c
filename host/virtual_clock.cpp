#include "host/virtual_clock.h"

namespace {
constexpr DWORD kClockNameChars = 256;
}  // namespace

VirtualClock *OpenVirtualClock() {
    // Found once, kept for the life of the process; while unset, each call looks again.
    static VirtualClock *clock = nullptr;
    if (clock) return clock;

    wchar_t name[kClockNameChars] = {};
    const DWORD nameLength = GetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", name, kClockNameChars);
    if (nameLength == 0 || nameLength >= kClockNameChars) return nullptr;

    // Creates the section when no other process has yet; the handle stays open with the view.
    HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(VirtualClock), name);
    if (!mapping) return nullptr;
    void *view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(VirtualClock));
    if (!view) {
        CloseHandle(mapping);
        return nullptr;
    }
    clock = static_cast<VirtualClock *>(view);
    return clock;
}
