// Control functions both simulated DLLs export for in-process tests (sim_smbus_control.h
// wraps them). The libraries' own entry points are in wendil_dll.cpp and corrant_dll.cpp.
#pragma once

#include <windows.h>

#define SIM_EXPORT extern "C" __declspec(dllexport)

SIM_EXPORT void __stdcall SimSmbus_Reset();
SIM_EXPORT BOOL __stdcall SimSmbus_Configure(const char *scenarioText);
SIM_EXPORT void __stdcall SimSmbus_AdvanceClock(DWORD milliseconds);
SIM_EXPORT DWORD __stdcall SimSmbus_TraceText(char *buffer, DWORD size);
SIM_EXPORT DWORD __stdcall SimSmbus_StateText(char *buffer, DWORD size);

// Names, for GetProcAddress.
constexpr char kSimResetName[] = "SimSmbus_Reset";
constexpr char kSimConfigureName[] = "SimSmbus_Configure";
constexpr char kSimAdvanceClockName[] = "SimSmbus_AdvanceClock";
constexpr char kSimTraceTextName[] = "SimSmbus_TraceText";
constexpr char kSimStateTextName[] = "SimSmbus_StateText";
constexpr char kSimFlashName[] = "SimSmbus_Flash";  // Corrant.dll only
