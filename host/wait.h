// The one place every fixed wait of the updater goes through.
#pragma once

#include <windows.h>

#include <functional>

// Sleeps for `milliseconds`, unless a test has asked to record the waits instead.
void WaitMs(DWORD milliseconds);

// In-process only: test code linked into a test program sets it; nothing outside the process
// can, so the program itself always sleeps.
using WaitRecorder = std::function<void(DWORD milliseconds)>;
void SetWaitRecorder(WaitRecorder recorder);
