// A clock shared between the updater and simulated devices, so that simulated runs can
// pass fixed waits without sleeping. It exists only when the environment variable
// VANTOR_VIRTUAL_CLOCK names it; the value is the name of a shared memory section.
#pragma once

#include <windows.h>

struct VirtualClock {
    volatile LONGLONG elapsedMs;   // sum of every wait passed on this clock
    volatile LONG waitCount;       // number of waits passed
};

// The clock named by VANTOR_VIRTUAL_CLOCK (created when missing), or null when unset.
VirtualClock *OpenVirtualClock();
