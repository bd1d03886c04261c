// The clock the simulated controller runs on in a separate program: the shared virtual clock
// when a test build of the updater drives the one VANTOR_VIRTUAL_CLOCK names, else real time.
#pragma once

#include <cstdint>
#include <functional>

// The driven virtual clock's elapsedMs, else the real milliseconds since this call.
std::function<uint64_t()> ProcessClock();
