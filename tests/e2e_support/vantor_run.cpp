#include "tests/e2e_support/vantor_run.h"

#include <cstdio>

#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/screenshot.h"
#include "tests/e2e_support/text_conversion.h"

namespace e2e {

namespace {

// What a run waited for and did not get, beside the test's own failure.
void ReportMissed(const std::wstring &what) { std::fprintf(stderr, "e2e: %s\n", ToUtf8(what).c_str()); }

std::wstring Seconds(DWORD ms) { return std::to_wstring(ms / 1000) + L" s"; }

}  // namespace

VantorRun::VantorRun(const std::wstring &testName, const std::vector<std::wstring> &binFiles, ProgramFile program)
    : sandbox_(testName, binFiles, program) {
    env_.Set(kVirtualClockVariable, clock_.Name());
}

bool VantorRun::Start(const std::wstring &args, const std::wstring &workDir) {
    if (process_.Start(sandbox_.ProgramPath(), args, workDir.empty() ? sandbox_.Dir() : workDir, &env_)) return true;
    ReportMissed(L"could not start " + sandbox_.ProgramPath() + L": error " + std::to_wstring(process_.StartError()));
    return false;
}

HWND VantorRun::WaitForDialog(DWORD timeoutMs) {
    HWND dialog = nullptr;
    // A program that has ended shows no dialog any more: no need to wait out the limit.
    WaitUntil([&] {
        dialog = FindMainDialog(process_.Pid());
        if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
        return dialog || !process_.Running();
    }, timeoutMs);
    if (dialog) return dialog;
    const std::wstring program = kProgramName + std::wstring(L" (pid ") + std::to_wstring(process_.Pid()) + L")";
    if (process_.Running())
        ReportMissed(L"waited " + Seconds(timeoutMs) + L" for the main dialog of " + program + L": it did not show");
    else
        ReportMissed(program + L" ended with exit code " + std::to_wstring(process_.ExitCode()) +
                     L" before its main dialog showed");
    return nullptr;
}

bool VantorRun::WaitExit(DWORD *exitCode, DWORD timeoutMs) {
    bool ended = process_.WaitExit(timeoutMs);
    if (!ended) {
        ReportMissed(L"waited " + Seconds(timeoutMs) + L" for " + kProgramName + L" (pid " +
                     std::to_wstring(process_.Pid()) + L") to end: it still ran, and was ended");
        process_.KillTree();
    }
    *exitCode = process_.ExitCode();
    return ended;
}

std::wstring VantorRun::Screenshot(HWND window, const std::wstring &name) {
    std::wstring path = ArtifactDir() + L"\\" + name + L".bmp";
    return SaveWindowScreenshot(window, path) ? path : std::wstring();
}

}  // namespace e2e
