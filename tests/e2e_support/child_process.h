// A program started for a test, inside a job object so that the test can end it together
// with everything it launched (cmd.exe, the lighting programs) when it hangs or fails.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e_support/child_environment.h"

namespace e2e {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // ends the whole tree when it is still running
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Runs `exePath` with the command line "<exePath>" or "<exePath> <args>" (the program
    // name quoted), in `workDir`, with `env` or this process's environment. Its standard
    // handles go to NUL so that no pipe of the caller is held open. `keepAfterExit`: the job
    // does not end the tree when this object goes (for a driver that returns first).
    bool Start(const std::wstring &exePath, const std::wstring &args, const std::wstring &workDir,
               const ChildEnvironment *env = nullptr, bool keepAfterExit = false);

    DWORD StartError() const { return startError_; }
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // Waits for the end; false when it still runs after `timeoutMs` (it is left running).
    bool WaitExit(DWORD timeoutMs) const;
    // STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    // Ends the process and everything started from it, and waits for that.
    void KillTree();

private:
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
    bool keepAfterExit_ = false;
};

// Ends `pid` and, found through the process snapshot, every process it started (recursively).
void KillProcessTree(DWORD pid);

}  // namespace e2e
