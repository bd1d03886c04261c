#include "tests/e2e_support/child_process.h"

#include <tlhelp32.h>

#include <vector>

namespace e2e {

namespace {

HANDLE OpenNul(DWORD access) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

void CollectDescendants(DWORD pid, std::vector<DWORD> *found) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    std::vector<DWORD> children;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == pid && entry.th32ProcessID != pid) children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    for (DWORD child : children) {
        found->push_back(child);
        CollectDescendants(child, found);
    }
}

}  // namespace

void KillProcessTree(DWORD pid) {
    std::vector<DWORD> tree;
    CollectDescendants(pid, &tree);
    tree.insert(tree.begin(), pid);
    for (DWORD member : tree) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, member);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

ChildProcess::~ChildProcess() {
    if (!keepAfterExit_ && Running()) KillTree();
    if (job_) CloseHandle(job_);
    if (process_) CloseHandle(process_);
}

bool ChildProcess::Start(const std::wstring &exePath, const std::wstring &args, const std::wstring &workDir,
                         const ChildEnvironment *env, bool keepAfterExit) {
    keepAfterExit_ = keepAfterExit;
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!args.empty()) commandLine += L" " + args;
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    std::vector<wchar_t> block;
    if (env) block = env->Block();

    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_ && !keepAfterExit) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }

    // Standard handles on NUL and a process group of its own: under Wine the child then
    // holds neither the caller's input nor its output pipe (ctest waits for those to close).
    HANDLE input = OpenNul(GENERIC_READ);
    HANDLE output = OpenNul(GENERIC_WRITE);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(exePath.c_str(), mutableLine.data(), nullptr, nullptr, TRUE,
                                  CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP,
                                  env ? block.data() : nullptr, workDir.empty() ? nullptr : workDir.c_str(),
                                  &startup, &info);
    startError_ = started ? 0 : GetLastError();
    CloseHandle(input);
    CloseHandle(output);
    if (!started) return false;
    if (job_ && !AssignProcessToJobObject(job_, info.hProcess)) {
        CloseHandle(job_);
        job_ = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool ChildProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::KillTree() {
    if (!process_) return;
    // The snapshot walk first, while the parent links still lead to the children; then the
    // job catches whatever was started in between.
    KillProcessTree(pid_);
    if (job_) TerminateJobObject(job_, 1);
    WaitForSingleObject(process_, 5000);
}

}  // namespace e2e
