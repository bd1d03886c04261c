// The clock the simulated controller runs on in a separate program: the shared virtual clock
// when VANTOR_VIRTUAL_CLOCK names one (the updater's waits advance it), else real time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "host/virtual_clock.h"

// Maps the section `name`, creating it zeroed when missing; null when that fails. The mapping
// stays for the life of the process.
VirtualClock *OpenClockSection(const wchar_t *name);

// The virtual clock's elapsedMs when VANTOR_VIRTUAL_CLOCK is set, else the milliseconds of
// real milliseconds since this call.
std::function<uint64_t()> ProcessClock();
