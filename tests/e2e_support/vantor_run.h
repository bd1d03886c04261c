// One run of Update_Vantor.exe as most end-to-end tests need it: a fresh install directory
// with the shipped program or its test variant, the child's environment naming a virtual
// clock of the run's own, the process and its dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e_support/child_environment.h"
#include "tests/e2e_support/child_process.h"
#include "tests/e2e_support/sandbox.h"
#include "tests/e2e_support/test_clock.h"

namespace e2e {

// Generous: a cold Wine start of a GUI program takes a few seconds on a loaded machine.
constexpr DWORD kDialogTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 60000;

class VantorRun {
public:
    // The install directory C:\vantor_e2e\<testName> with the program and `binFiles`. The
    // environment names the run's clock in VANTOR_VIRTUAL_CLOCK whichever `program` runs: the
    // test variant steps it instead of sleeping; the shipped program must leave it alone and
    // sleep, and the simulators then keep real time.
    explicit VantorRun(const std::wstring &testName, const std::vector<std::wstring> &binFiles = {L"QyxHid.dll"},
                       ProgramFile program = ProgramFile::kShipped);

    Sandbox &sandbox() { return sandbox_; }
    ChildEnvironment &env() { return env_; }
    TestClock &clock() { return clock_; }
    ChildProcess &process() { return process_; }
    bool ok() const { return sandbox_.ok() && clock_.ok(); }

    // Each of these says on stderr what it waited for when it did not get it.
    // Starts the program with `args` in the install directory (or `workDir`).
    bool Start(const std::wstring &args = std::wstring(), const std::wstring &workDir = std::wstring());
    // The visible main dialog, or null when it did not show in time or the program ended first.
    HWND WaitForDialog(DWORD timeoutMs = kDialogTimeoutMs);
    // Waits for the end and gives the exit code; on a timeout the whole tree is ended and
    // false returned, so a hung program fails the test instead of hanging it.
    bool WaitExit(DWORD *exitCode, DWORD timeoutMs = kExitTimeoutMs);
    // Saves the window's screen picture as e2e-artifacts\<name>.bmp; the path, or empty.
    std::wstring Screenshot(HWND window, const std::wstring &name);

private:
    Sandbox sandbox_;
    ChildEnvironment env_;
    TestClock clock_;
    ChildProcess process_;
};

}  // namespace e2e
