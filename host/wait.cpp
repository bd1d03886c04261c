#include "host/wait.h"

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
    Sleep(milliseconds);
}
