#include "tests/e2e_support/vantor_run.h"

#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/screenshot.h"

namespace e2e {

VantorRun::VantorRun(const std::wstring &testName, const std::vector<std::wstring> &binFiles, ProgramFile program)
    : sandbox_(testName, binFiles, program) {
    env_.Set(kVirtualClockVariable, clock_.Name());
}

bool VantorRun::Start(const std::wstring &args, const std::wstring &workDir) {
    return process_.Start(sandbox_.ProgramPath(), args, workDir.empty() ? sandbox_.Dir() : workDir, &env_);
}

HWND VantorRun::WaitForDialog(DWORD timeoutMs) { return WaitForMainDialog(process_.Pid(), timeoutMs); }

bool VantorRun::WaitExit(DWORD *exitCode, DWORD timeoutMs) {
    bool ended = process_.WaitExit(timeoutMs);
    if (!ended) process_.KillTree();
    *exitCode = process_.ExitCode();
    return ended;
}

std::wstring VantorRun::Screenshot(HWND window, const std::wstring &name) {
    std::wstring path = ArtifactDir() + L"\\" + name + L".bmp";
    return SaveWindowScreenshot(window, path) ? path : std::wstring();
}

}  // namespace e2e
