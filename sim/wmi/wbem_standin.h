// A stand-in for the WMI locator: just the objects and calls the SMBIOS read makes, serving
// one "MSSMBios_RawSMBiosTables" instance from a scenario, and recording every call.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/wmi/smbios_scenario.h"

// Class factory for CLSID_WbemLocator that serves `scenario`. Returned with one reference.
IClassFactory *CreateStandinLocatorFactory(std::shared_ptr<const SmbiosScenario> scenario);

// Class factory that loads its scenario when a locator is created (the DLL's way): a null
// path serves what Wine's own provider serves, an empty row.
IClassFactory *CreateStandinLocatorFactoryFromFile(const wchar_t *scenarioPath);

// Every call the stand-in received since the last ClearStandinCalls, one line each, in
// order ("ConnectServer ROOT\WMI user=null ...").
std::vector<std::wstring> StandinCalls();
void ClearStandinCalls();
// Also appends each call line to this file (UTF-8, a Linux path allowed); null stops it.
void SetStandinTraceFile(const wchar_t *path);
void TraceStandin(const std::wstring &line);

// Objects of the stand-in still alive (locators, services, enumerators, class objects and the
// object a VT_UNKNOWN value holds); 0 once a caller has released all it obtained.
long StandinLiveObjects();
// Locks taken through IClassFactory::LockServer, and class factories alive.
long StandinServerLocks();
long StandinLiveFactories();
