#include "host/command.h"

#include <windows.h>
#include <shellapi.h>

namespace {
CommandRecorder &Recorder() {
    static CommandRecorder recorder;
    return recorder;
}

// Empty when the system directory cannot be found: nothing is run then.
CString SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CString();
    return CString(path);
}
}  // namespace

#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "cbSize is 112 in the 64-bit test build");
#else
static_assert(sizeof(SHELLEXECUTEINFOW) == 60, "cbSize must be 60 on the 32-bit platform");
#endif

void SetCommandRecorder(CommandRecorder recorder) { Recorder() = std::move(recorder); }

void RunCommand(CString command, CString argument, CommandFolder folder) {
    const CString systemDirectory = SystemDirectory();
    if (systemDirectory.IsEmpty()) return;
    // cmd.exe by its full path: a bare name would be looked for beside the program and in
    // the current directory first.
    const CString cmdPath = systemDirectory + L"\\cmd.exe";
    // cmd.exe parses the line itself, so both texts go in unquoted. "/d": without it cmd.exe
    // first runs the "AutoRun" command that any program of the user may store in the registry,
    // and this process runs elevated.
    CString parameters;
    parameters.Format(L"/d /c %s %s", command.GetString(), argument.GetString());

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = cmdPath;
    info.lpParameters = parameters;
    // cmd.exe looks for a command in its working directory before the PATH.
    if (folder == CommandFolder::System) info.lpDirectory = systemDirectory;
    info.nShow = SW_HIDE;
    if (Recorder()) {
        Recorder()({info.lpFile, info.lpParameters, info.lpDirectory});
        return;
    }
    ShellExecuteExW(&info);

    // A launch that failed leaves no handle and the caller simply goes on.
    if (info.hProcess) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
}
