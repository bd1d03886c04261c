#include "sim/qyxhid/sim_clock.h"

#include "sim/real_time.h"

VirtualClock *OpenClockSection(const wchar_t *name) {
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(VirtualClock), name);
    if (!section) return nullptr;
    return static_cast<VirtualClock *>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(VirtualClock)));
}

std::function<uint64_t()> ProcessClock() {
    wchar_t name[256];
    DWORD length = GetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", name, 256);
    if (length > 0 && length < 256) {
        if (VirtualClock *clock = OpenClockSection(name))
            return [clock] {
                // One 64-bit read, whole, although another process may be adding to it.
                return static_cast<uint64_t>(InterlockedCompareExchange64(&clock->elapsedMs, 0, 0));
            };
    }
    LONGLONG start = RealTimeMs();
    return [start] { return static_cast<uint64_t>(RealTimeMs() - start); };
}
