// Control of the simulated USB lighting controller that the library `sim_hid_inprocess` links
// into a test program in place of "QyxHid.dll". The five library functions
// (IsDeviceConnect, openMyDevice_Read, WriteDeviceOutput, ReadDeviceInput, CloseDevice) are
// defined by that library and act on the controller set up here.
//
// The simulation clock starts at 0 on every reset and moves only through HidSimAdvanceClock
// (or the clock a test installs with HidSimUseClock), so a test typically records the
// updater's waits into it:
//     SetWaitRecorder([](DWORD ms) { HidSimAdvanceClock(ms); });
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/qyxhid/hid_sim_types.h"

// Powers on a fresh controller: empties the trace, the handles and the call counters, clears
// the faults and sets the clock back to 0 (the manual clock).
void HidSimReset(const HidSimControllerSetup &setup = HidSimControllerSetup());
// Same, from scenario text in the format of sim/qyxhid/README.md (initial state and faults).
// Keys that name files (flash_file) resolve against `baseDir`. Returns false, with the reason
// in `error`, when the text does not parse; the controller is then left as it was.
bool HidSimResetFromScenario(const std::string &scenarioText, std::string *error = nullptr,
                             const std::string &baseDir = std::string());

void HidSimSetFaults(const HidSimFaults &faults);

// Simulation clock.
void HidSimAdvanceClock(uint64_t milliseconds);
uint64_t HidSimNow();
// Replaces the manual clock by `clock` (an empty function restores the manual clock).
void HidSimUseClock(std::function<uint64_t()> clock);

// Re-enumerations that are due by now have happened when these return.
HidSimMode HidSimCurrentMode();
bool HidSimTransitionPending();
HidSimFlash HidSimFlashState();
// APROM from address 0 to the end of what was programmed (empty when erased).
std::vector<uint8_t> HidSimFlashImage();
// The version byte (VerF << 4 | VerS) the application firmware reports for the flash it holds.
uint8_t HidSimFirmwareVersionByte();
uint8_t HidSimLoaderVersionByte();
int HidSimProductId();
// Handles opened and not closed (stale ones included).
int HidSimOpenHandleCount();

// The calls made so far, and what the controller did or refused.
std::vector<HidSimCall> HidSimCalls();
std::vector<HidSimEvent> HidSimEvents();
// Only the "protocol_error" events' details.
std::vector<std::string> HidSimProtocolErrors();
// The trace as the DLL writes it to its trace file, one line per call or event.
std::vector<std::string> HidSimTraceLines();
void HidSimClearTrace();
