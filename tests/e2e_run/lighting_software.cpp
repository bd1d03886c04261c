#include "tests/e2e_run/lighting_software.h"

#include <sstream>

#include "tests/e2e_run/line_file.h"
#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/sandbox.h"
#include "tests/fixtures/event_log.h"

namespace e2e {

namespace {

constexpr wchar_t kLocatorServer[] =
    L"Software\\Classes\\CLSID\\{4590F811-1D3A-11D0-891F-00AA004B2E24}\\InprocServer32";
constexpr wchar_t kProgramDllOverrides[] = L"Software\\Wine\\AppDefaults\\Update_Vantor.exe\\DllOverrides";
constexpr DWORD kReportTimeoutMs = 15000;

std::string Narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }

SC_HANDLE OpenService(DWORD access) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return nullptr;
    SC_HANDLE service = OpenServiceW(manager, kServiceName, access);
    CloseServiceHandle(manager);
    return service;
}

// All zero when the service cannot be asked.
SERVICE_STATUS_PROCESS ServiceStatus() {
    SERVICE_STATUS_PROCESS status = {};
    SC_HANDLE service = OpenService(SERVICE_QUERY_STATUS);
    if (!service) return status;
    DWORD needed = 0;
    QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE *>(&status), sizeof status, &needed);
    CloseServiceHandle(service);
    return status;
}

DWORD ServiceState() { return ServiceStatus().dwCurrentState; }

// Neither starting nor stopping.
bool ServiceSettled() {
    const DWORD state = ServiceState();
    return state == SERVICE_RUNNING || state == SERVICE_STOPPED;
}

void StopService() {
    if (SC_HANDLE service = OpenService(SERVICE_STOP | SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS status = {};
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        CloseServiceHandle(service);
    }
    WaitUntil([] { return ServiceState() == SERVICE_STOPPED; }, kReportTimeoutMs);
}

std::wstring ServiceCommandLine(const std::wstring &eventsFile) {
    return L"\"" + BinDir() + L"\\lighting_service.exe\" \"" + eventsFile + L"\"";
}

// Started directly, the stand-in stays the process started, so that a kill shows on its handle.
HANDLE Launch(const std::wstring &program, ChildEnvironment env) {
    env.Set(L"VANTOR_FIXTURE_STAY", L"1");
    std::wstring line = L"\"" + program + L"\"";
    std::vector<wchar_t> block = env.Block();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

const char *StateName(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED: return "STOPPED";
    case SERVICE_START_PENDING: return "START_PENDING";
    case SERVICE_STOP_PENDING: return "STOP_PENDING";
    case SERVICE_RUNNING: return "RUNNING";
    case 0: return "(not known: the service could not be asked)";
    default: return "(other)";
    }
}

std::string ProcessFate(DWORD pid) {
    if (!pid) return "";
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return " (no such process now)";
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code == STILL_ACTIVE ? " (still running)" : " (ended with exit code " + std::to_string(code) + ")";
}

void AppendLines(std::ostringstream &text, const std::wstring &path) {
    const std::vector<std::string> lines = ReadLines(path);
    text << "\n-- " << Narrow(path) << (lines.empty() ? ": no lines" : ":");
    for (const std::string &line : lines) text << "\n   " << line;
}

bool Running(HANDLE process) { return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

void EndProcess(HANDLE &process) {
    if (!process) return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    process = nullptr;
}

}  // namespace

bool PrepareLightingServiceAndWmi() {
    // COM looks for the locator beside the program, and Wine takes the file it finds there
    // rather than its own provider (sim/wmi/README.md).
    if (RegSetKeyValueW(HKEY_LOCAL_MACHINE, kLocatorServer, nullptr, REG_SZ, L"wbemprox.dll",
                        sizeof L"wbemprox.dll") != ERROR_SUCCESS ||
        RegSetKeyValueW(HKEY_CURRENT_USER, kProgramDllOverrides, L"wbemprox", REG_SZ, L"native,builtin",
                        sizeof L"native,builtin") != ERROR_SUCCESS)
        return false;
    if (SC_HANDLE service = OpenService(SERVICE_QUERY_STATUS)) {
        CloseServiceHandle(service);
        StopService();
        return true;
    }
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return false;
    const std::wstring binary = ServiceCommandLine(std::wstring(kSandboxRoot) + L"\\service_events.txt");
    SC_HANDLE service = CreateServiceW(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    CloseServiceHandle(manager);
    if (!service) return false;
    CloseServiceHandle(service);
    return true;
}

LightingSoftware::LightingSoftware(const std::wstring &root, bool lightingWorkDir, bool companionWorkDir)
    : lightingDir_(root + L"\\Halcyra2"),
      companionDir_(root + L"\\Program Files (x86)\\QYX\\Korvex"),
      serviceEvents_(root + L"\\service_events.txt"),
      programEvents_(root + L"\\program_events.txt") {
    const std::wstring standIn = BinDir() + L"\\lighting_app.exe";
    ok_ = MakeDirectories(lightingDir_) && MakeDirectories(companionDir_) &&
          CopyFileW(standIn.c_str(), (lightingDir_ + L"\\Ostrum.exe").c_str(), FALSE) &&
          CopyFileW(standIn.c_str(), (companionDir_ + L"\\QYX_LED.exe").c_str(), FALSE) &&
          SetLightingWorkDir(lightingWorkDir ? lightingDir_ : std::wstring()) &&
          SetCompanionWorkDir(companionWorkDir ? companionDir_ : std::wstring());
    // The service writes its events where this run looks for them.
    SC_HANDLE service = OpenService(SERVICE_CHANGE_CONFIG);
    ok_ = ok_ && service &&
          ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                               ServiceCommandLine(serviceEvents_).c_str(), nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    if (service) CloseServiceHandle(service);
}

LightingSoftware::~LightingSoftware() {
    EndProcess(ostrum_);
    EndProcess(companion_);
    for (const std::string &line : ProgramEvents()) {
        const size_t pid = line.rfind(" pid=");
        if (pid == std::string::npos) continue;
        HANDLE launched = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(line.substr(pid + 5)));
        EndProcess(launched);
    }
    StopService();
}

bool LightingSoftware::Start(ChildEnvironment &env) {
    env.Set(L"VANTOR_FIXTURE_EVENTS", programEvents_);
    SC_HANDLE service = OpenService(SERVICE_START);
    if (!service) return false;
    const bool started = StartServiceW(service, 0, nullptr) != FALSE;
    CloseServiceHandle(service);
    if (!started || !WaitUntil([this] { return ServiceState() == SERVICE_RUNNING && !ServiceEvents().empty(); },
                               kReportTimeoutMs))
        return false;

    ostrum_ = Launch(lightingDir_ + L"\\Ostrum.exe", env);
    companion_ = Launch(companionDir_ + L"\\QYX_LED.exe", env);
    startLaunches_ = 2;
    return ostrum_ && companion_ &&
           WaitUntil([this] { return ProgramEvents().size() >= startLaunches_; }, kReportTimeoutMs);
}

std::vector<std::string> LightingSoftware::ServiceEvents() const { return ReadLines(serviceEvents_); }

std::vector<std::string> LightingSoftware::ServiceEventsWhenSettled() const {
    WaitUntil(ServiceSettled, kReportTimeoutMs);
    return ServiceEvents();
}

bool LightingSoftware::ServiceRunning() const { return ServiceState() == SERVICE_RUNNING; }

bool LightingSoftware::OstrumRunning() const { return Running(ostrum_); }

bool LightingSoftware::CompanionRunning() const { return Running(companion_); }

std::vector<std::string> LightingSoftware::ProgramEvents() const { return ReadLines(programEvents_); }

std::vector<std::string> LightingSoftware::Launched() const {
    std::vector<std::string> launched;
    const std::vector<std::string> events = ProgramEvents();
    for (size_t i = startLaunches_; i < events.size(); ++i) {
        const std::string &line = events[i];
        const size_t path = line.find(' ') + 1;
        launched.push_back(line.substr(path, line.rfind(" pid=") - path));
    }
    return launched;
}

std::string LightingSoftware::CompanionProgram() const { return Narrow(companionDir_ + L"\\QYX_LED.exe"); }

std::string LightingSoftware::Evidence() const {
    const SERVICE_STATUS_PROCESS status = ServiceStatus();
    std::ostringstream text;
    text << "\n-- at " << Narrow(TimeStamp()) << " the service manager has " << Narrow(kServiceName) << " "
         << StateName(status.dwCurrentState) << ", win32 exit code " << status.dwWin32ExitCode
         << ", service exit code " << status.dwServiceSpecificExitCode << ", pid " << status.dwProcessId
         << ProcessFate(status.dwProcessId);
    AppendLines(text, ServiceLogFor(serviceEvents_));
    AppendLines(text, serviceEvents_);
    AppendLines(text, programEvents_);
    wchar_t wineLog[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"VANTOR_WINE_LOG", wineLog, MAX_PATH))
        text << "\n-- Wine's log of this suite: " << Narrow(wineLog);
    return text.str();
}

}  // namespace e2e
