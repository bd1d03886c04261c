// A clock shared between a test build of the updater and the simulated devices, so that
// simulated runs pass the fixed waits without sleeping. The test build names it in
// VANTOR_VIRTUAL_CLOCK and adds every wait to it; the program itself never reads that name
// and sleeps, and the simulators then keep real time even when the name is set.
#pragma once

#include <windows.h>

struct VirtualClock {
    volatile LONGLONG elapsedMs;  // sum of every wait passed on this clock
    volatile LONG waitCount;      // number of waits passed
    volatile LONG driven;         // 1 once a program adds its waits here instead of sleeping
};

constexpr wchar_t kVirtualClockVariable[] = L"VANTOR_VIRTUAL_CLOCK";

// Maps the section `name`, created zeroed when missing; null when that fails. The mapping
// stays for the life of the process.
inline VirtualClock *MapVirtualClock(const wchar_t *name) {
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(VirtualClock), name);
    if (!section) return nullptr;
    auto *clock = static_cast<VirtualClock *>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(VirtualClock)));
    if (!clock) CloseHandle(section);
    return clock;
}

// The clock VANTOR_VIRTUAL_CLOCK names in this process's environment, or null when unset.
inline VirtualClock *OpenVirtualClock() {
    constexpr DWORD kNameChars = 256;
    wchar_t name[kNameChars] = {};
    const DWORD length = GetEnvironmentVariableW(kVirtualClockVariable, name, kNameChars);
    if (length == 0 || length >= kNameChars) return nullptr;
    return MapVirtualClock(name);
}

// The clock a simulated device keeps in a program run: the named virtual clock when the
// program drives it, else null for real time.
inline VirtualClock *DrivenVirtualClock() {
    VirtualClock *clock = OpenVirtualClock();
    return clock && clock->driven ? clock : nullptr;
}
