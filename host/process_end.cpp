#include "host/process_end.h"

#include <cstdlib>

namespace {
ProcessEndRecorder &Recorder() {
    static ProcessEndRecorder recorder;
    return recorder;
}
}  // namespace

void SetProcessEndRecorder(ProcessEndRecorder recorder) { Recorder() = std::move(recorder); }

void EndProcess(int exitCode) {
    if (Recorder()) {
        Recorder()(exitCode);
        return;
    }
    exit(exitCode);
}
