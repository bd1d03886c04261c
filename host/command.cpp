#include "host/command.h"

#include <windows.h>
#include <shellapi.h>

namespace {
CommandRecorder &Recorder() {
    static CommandRecorder recorder;
    return recorder;
}
}  // namespace

#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "cbSize is 112 in the 64-bit test build");
#else
static_assert(sizeof(SHELLEXECUTEINFOW) == 60, "cbSize must be 60 on the 32-bit platform");
#endif

void SetCommandRecorder(CommandRecorder recorder) { Recorder() = std::move(recorder); }

void RunCommand(CString command, CString argument) {
    // cmd.exe parses the line itself, so both texts go in unquoted.
    CString parameters;
    parameters.Format(L"/c %s %s", command.GetString(), argument.GetString());
    if (Recorder()) {
        Recorder()(parameters);
        return;
    }

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = L"cmd.exe";
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    ShellExecuteExW(&info);

    // A launch that failed leaves no handle and the caller simply goes on.
    if (info.hProcess) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
}
