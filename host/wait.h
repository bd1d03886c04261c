// The one place every fixed wait of the updater goes through.
#pragma once

#include <windows.h>

#include <functional>

// Sleeps for `milliseconds`, unless a test has asked to record the waits instead.
// A simulated run may also name a shared virtual clock in VANTOR_VIRTUAL_CLOCK: the wait is
// then added to that clock and not slept.
void WaitMs(DWORD milliseconds);

using WaitRecorder = std::function<void(DWORD milliseconds)>;
void SetWaitRecorder(WaitRecorder recorder);
