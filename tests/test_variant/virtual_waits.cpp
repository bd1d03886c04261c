// Test builds only. Linked into a program, it turns every fixed wait into a step of the virtual
// clock that VANTOR_VIRTUAL_CLOCK names, so that a simulated run passes its waits at once; the
// simulated devices then keep that clock's time. Without the variable the waits are slept.
#include "host/wait.h"
#include "sim/virtual_clock.h"

namespace {

bool RecordWaitsOnTheVirtualClock() {
    VirtualClock *clock = OpenVirtualClock();
    if (!clock) return false;
    InterlockedExchange(&clock->driven, 1);
    SetWaitRecorder([clock](DWORD milliseconds) {
        InterlockedExchangeAdd64(&clock->elapsedMs, milliseconds);
        InterlockedIncrement(&clock->waitCount);
    });
    return true;
}

// Set up while the program's statics are made, before anything can wait.
[[maybe_unused]] const bool g_recordsWaits = RecordWaitsOnTheVirtualClock();

}  // namespace
