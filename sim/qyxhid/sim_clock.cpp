#include "sim/qyxhid/sim_clock.h"

#include "sim/real_time.h"
#include "sim/virtual_clock.h"

std::function<uint64_t()> ProcessClock() {
    if (VirtualClock *clock = DrivenVirtualClock())
        return [clock] {
            // One 64-bit read, whole, although another process may be adding to it.
            return static_cast<uint64_t>(InterlockedCompareExchange64(&clock->elapsedMs, 0, 0));
        };
    LONGLONG start = RealTimeMs();
    return [start] { return static_cast<uint64_t>(RealTimeMs() - start); };
}
