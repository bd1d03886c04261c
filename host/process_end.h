// Ends the process with an exit code; tests can record the request instead.
#pragma once

#include <functional>

// Calls exit(exitCode), or the test recorder, which returns to the caller.
void EndProcess(int exitCode);

using ProcessEndRecorder = std::function<void(int exitCode)>;
void SetProcessEndRecorder(ProcessEndRecorder recorder);
