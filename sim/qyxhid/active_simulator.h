// The one simulated controller of a process that the five library functions act on. The DLL
// sets it up from its environment; the in-process fake from the test's control calls.
#pragma once

#include "sim/qyxhid/hid_simulator.h"

HidSimulator &ActiveSimulator();
// After every library call: the DLL keeps its state file current; the in-process fake does nothing.
void AfterLibraryCall();
