#include "host/wait.h"

#include "host/virtual_clock.h"

namespace {
WaitRecorder &Recorder() {
    static WaitRecorder recorder;
    return recorder;
}
}  // namespace

void SetWaitRecorder(WaitRecorder recorder) { Recorder() = std::move(recorder); }

void WaitMs(DWORD milliseconds) {
    if (Recorder()) {
        Recorder()(milliseconds);
        return;
    }
    if (VirtualClock *clock = OpenVirtualClock()) {
        InterlockedExchangeAdd64(&clock->elapsedMs, milliseconds);
        InterlockedIncrement(&clock->waitCount);
        return;
    }
    Sleep(milliseconds);
}
