// In-process control of the simulated "Wendil.dll" and "Corrant.dll", for unit tests of the
// code that reaches them through DriverLibrary / SmbusLibrary records.
//
// Use: load the two DLLs from the directory the code under test will load them from (the same
// path gives the same module, so the records built later talk to the configured simulator),
// reset and configure them, and let the updater's waits advance the simulator's clock:
//
//     SimSmbusControl sim(SimSmbusControl::ProgramDirectory());
//     sim.Reset();
//     sim.Configure("host_bridge=0x12341022\nstatus_layout=shifted_up\nloader_version=0205\n"
//                   "app_version=1A03\n");
//     SetWaitRecorder([&](DWORD ms) { sim.AdvanceClock(ms); });
//     ... build the records (DriverLibrary, SmbusLibrary, SMBusInitialization) and run the code ...
//     EXPECT_NE(sim.Trace().find("SMB_BlockWrite3 addr=52 cmd=23"), std::string::npos);
//
// Reset and Configure start a fresh simulated session: call SMBusInitialization again afterwards
// (as the start-up checks do); until then every SMBus transfer is refused. The scenario keys,
// the trace format and the controller's rules are in sim/smbus/README.md.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sim/smbus/test_image.h"  // MakeSmbusTestImage

class SimSmbusControl {
public:
    // Loads "<directory>\Wendil.dll" and "<directory>\Corrant.dll" (either may be absent).
    explicit SimSmbusControl(const std::wstring &directory);
    ~SimSmbusControl();
    SimSmbusControl(const SimSmbusControl &) = delete;
    SimSmbusControl &operator=(const SimSmbusControl &) = delete;

    bool DriverLoaded() const { return m_driver != nullptr; }
    bool SmbusLoaded() const { return m_smbus != nullptr; }

    // Default scenario, manual clock at 0 ms, no state or trace file, empty trace.
    void Reset();
    // Applies scenario text (README format) on top of the defaults; false on a bad line.
    bool Configure(const std::string &scenarioText);
    // Moves the manual clock on; hand every recorded wait of the updater to it.
    void AdvanceClock(DWORD milliseconds);
    // Every call made to either DLL since the last Reset/Configure, one line each.
    std::string Trace() const;
    // The controller's flash as it stands (blocks still in its input buffer not included).
    std::vector<BYTE> Flash() const;
    // The controller's state in the state file's text format (mode, versions, offsets).
    std::string State() const;

    // Directory of the running program, without a trailing backslash.
    static std::wstring ProgramDirectory();

private:
    HMODULE m_driver = nullptr;
    HMODULE m_smbus = nullptr;
};
