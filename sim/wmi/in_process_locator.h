// Serves a scenario to CoCreateInstance(CLSID_WbemLocator, CLSCTX_INPROC_SERVER) in this
// process, for as long as the object lives: the reader under test calls COM unchanged.
#pragma once

#include <windows.h>

#include <memory>

#include "sim/wmi/smbios_scenario.h"

class InProcessLocator {
public:
    // COM must be initialised on this thread for the whole life of the object.
    explicit InProcessLocator(const SmbiosScenario &scenario);
    ~InProcessLocator();
    InProcessLocator(const InProcessLocator &) = delete;
    InProcessLocator &operator=(const InProcessLocator &) = delete;

    bool Registered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};
