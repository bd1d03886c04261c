// vantor_uidriver: the end-to-end operations for shell scripts (demo, screenshots).
// Each command prints key=value lines (UTF-8; tab, CR and LF in values written as \t,
// \r, \n) and exits 0 when it did what it was asked, 1 when not, 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e_support/child_environment.h"
#include "tests/e2e_support/child_process.h"
#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/sandbox.h"
#include "tests/e2e_support/screenshot.h"
#include "tests/e2e_support/test_clock.h"
#include "tests/e2e_support/text_conversion.h"

using namespace e2e;

namespace {

constexpr char kUsage[] =
    "usage: vantor_uidriver COMMAND [options]\n"
    "  prepare --dir D [--copy FILE]...   fresh install dir: Update_Vantor.exe and FILEs from the bin dir\n"
    "  run --dir D [--args A] [--env N=V]... [--virtual-clock] [--timeout S]\n"
    "                                     start, wait for the end: pid, exit_code (waited_ms, wait_count);\n"
    "                                     only the test variant adds its waits to the virtual clock\n"
    "  start --dir D [--args A] [--env N=V]... [--virtual-clock] [--timeout S]\n"
    "          [--window-timeout S]      start, wait for the dialog, a message box or the end:\n"
    "                                     pid, window, msgbox, running; the program is ended after\n"
    "                                     S seconds (default 300)\n"
    "  wait-exit --pid N [--timeout S]    exit_code of a program started by 'start'\n"
    "  wait-window [--pid N] [--timeout S]\n"
    "  read [--pid N]                     caption, current, object, status, update_enabled, progress\n"
    "  controls [--pid N]                 one control= line per control of the main dialog\n"
    "  click-update | close | escape | enter [--pid N]\n"
    "  about [--pid N] [--via-menu] [--ok]\n"
    "                                     open the About box (system command 0x10, or the system\n"
    "                                     menu's last entry), print its texts; --ok presses OK\n"
    "  msgbox [--pid N] [--timeout S] [--ok]   text of a message box captioned Vantor\n"
    "  screenshot FILE.bmp [--pid N] [--window main|about|msgbox|screen]\n"
    "  registry                           the program's values under HKLM\\SOFTWARE\\QYX\\Tessaly Series\\LED\n"
    "Paths may be Windows paths or Unix paths. Under Wine the programs 'start' leaves running keep\n"
    "the driver's stderr open until they end: capture its stdout only (not 2>&1).\n";

constexpr DWORD kDefaultWindowTimeoutS = 30;
constexpr DWORD kDefaultRunTimeoutS = 120;
constexpr DWORD kDefaultStartTimeoutS = 300;

struct Options {
    std::wstring command;
    std::vector<std::wstring> positional;
    std::map<std::wstring, std::vector<std::wstring>> values;
    std::map<std::wstring, bool> flags;

    std::wstring Get(const std::wstring &name, const std::wstring &fallback = std::wstring()) const {
        auto found = values.find(name);
        return found == values.end() ? fallback : found->second.back();
    }
    std::vector<std::wstring> All(const std::wstring &name) const {
        auto found = values.find(name);
        return found == values.end() ? std::vector<std::wstring>() : found->second;
    }
    bool Has(const std::wstring &name) const { return flags.count(name) != 0; }
    DWORD Number(const std::wstring &name, DWORD fallback) const {
        std::wstring text = Get(name);
        return text.empty() ? fallback : static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10));
    }
};

const wchar_t *const kFlagNames[] = {L"--ok", L"--virtual-clock", L"--via-menu"};

bool Parse(int argc, wchar_t **argv, Options *options) {
    if (argc < 2) return false;
    options->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word.rfind(L"--", 0) != 0) {
            options->positional.push_back(word);
            continue;
        }
        bool isFlag = false;
        for (const wchar_t *flag : kFlagNames) isFlag = isFlag || word == flag;
        if (isFlag) {
            options->flags[word] = true;
        } else if (i + 1 < argc) {
            options->values[word].push_back(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

void Print(const std::string &key, const std::wstring &value) {
    std::wstring escaped;
    for (wchar_t c : value) {
        switch (c) {
        case L'\t': escaped += L"\\t"; break;
        case L'\r': escaped += L"\\r"; break;
        case L'\n': escaped += L"\\n"; break;
        default: escaped += c;
        }
    }
    std::string line = key + "=" + ToUtf8(escaped) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Print(const std::string &key, long long value) { Print(key, std::to_wstring(value)); }

int Fail(const std::string &why) {
    Print("error", FromUtf8(why));
    return 1;
}

// Unix paths from the shell become the Windows paths Wine maps them to.
std::wstring WindowsPath(const std::wstring &path) {
    if (path.empty() || path[0] != L'/') return path;
    using ToDos = wchar_t *(CDECL *)(const char *);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return path;
    wchar_t *dos = toDos(ToUtf8(path).c_str());
    if (!dos) return path;
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::wstring ExitFilePath(DWORD pid) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"vantor_uidriver";
    MakeDirectories(dir);
    return dir + L"\\" + std::to_wstring(pid) + L".exit";
}

std::wstring ReadyEventName(DWORD pid) { return L"vantor_uidriver_watching_" + std::to_wstring(pid); }

void PrintClock(const TestClock &clock) {
    Print("waited_ms", clock.ElapsedMs());
    Print("wait_count", clock.WaitCount());
}

// The environment for the program: --env N=V pairs and, when asked, a virtual clock.
ChildEnvironment MakeEnvironment(const Options &options, const TestClock *clock) {
    ChildEnvironment env;
    for (const std::wstring &pair : options.All(L"--env")) {
        size_t equals = pair.find(L'=');
        if (equals != std::wstring::npos) env.Set(pair.substr(0, equals), pair.substr(equals + 1));
    }
    if (clock) env.Set(kVirtualClockVariable, clock->Name());
    return env;
}

int Prepare(const Options &options) {
    std::wstring dir = WindowsPath(options.Get(L"--dir"));
    if (dir.empty()) return 2;
    size_t slash = dir.find_last_of(L'\\');
    Sandbox sandbox(dir.substr(slash + 1), options.All(L"--copy"), ProgramFile::kShipped, dir.substr(0, slash));
    Print("dir", sandbox.Dir());
    return sandbox.ok() ? 0 : Fail("could not make the directory or copy the files");
}

bool StartProgram(const Options &options, const TestClock *clock, bool keepAfterExit, ChildProcess *process) {
    std::wstring dir = WindowsPath(options.Get(L"--dir"));
    ChildEnvironment env = MakeEnvironment(options, clock);
    if (!process->Start(dir + L"\\" + kProgramName, options.Get(L"--args"), dir, &env, keepAfterExit)) return false;
    Print("pid", process->Pid());
    return true;
}

int Run(const Options &options) {
    if (options.Get(L"--dir").empty()) return 2;
    TestClock clock;
    const TestClock *usedClock = options.Has(L"--virtual-clock") ? &clock : nullptr;
    ChildProcess process;
    if (!StartProgram(options, usedClock, false, &process)) return Fail("could not start the program");
    bool ended = process.WaitExit(options.Number(L"--timeout", kDefaultRunTimeoutS) * 1000);
    if (!ended) {
        process.KillTree();
        Print("timeout", 1);
    }
    Print("exit_code", process.ExitCode());
    if (usedClock) PrintClock(clock);
    return ended ? 0 : 1;
}

int Start(const Options &options, const wchar_t *self) {
    if (options.Get(L"--dir").empty()) return 2;
    TestClock clock;
    bool withClock = options.Has(L"--virtual-clock");
    ChildProcess process;
    if (!StartProgram(options, withClock ? &clock : nullptr, true, &process)) return Fail("could not start the program");

    // A watcher outlives this command: it keeps the exit code (and the clock) for
    // 'wait-exit' and ends the program when it overruns its time.
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(process.Pid()).c_str());
    std::wstring watchArgs = L"watch --pid " + std::to_wstring(process.Pid()) + L" --timeout " +
                             std::to_wstring(options.Number(L"--timeout", kDefaultStartTimeoutS));
    if (withClock) watchArgs += L" --clock " + clock.Name();
    ChildProcess watcher;
    bool watching = watcher.Start(self, watchArgs, std::wstring(), nullptr, true) &&
                    WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0;
    CloseHandle(ready);
    if (!watching) {
        process.KillTree();
        return Fail("could not start the exit watcher");
    }

    // The dialog, or a message box shown before it, or the end of a run without a window.
    HWND dialog = nullptr;
    HWND box = nullptr;
    WaitUntil([&] {
        dialog = WaitForMainDialog(process.Pid(), 0);
        box = FindMessageBox(process.Pid());
        return dialog || box || !process.Running();
    }, options.Number(L"--window-timeout", kDefaultWindowTimeoutS) * 1000);
    Print("window", dialog != nullptr);
    Print("msgbox", box != nullptr);
    Print("running", process.Running());
    return 0;
}

// Internal: the watcher that 'start' leaves behind, recording the exit code in a file.
int Watch(const Options &options) {
    DWORD pid = options.Number(L"--pid", 0);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    VirtualClock *clock = nullptr;
    std::wstring clockName = options.Get(L"--clock");
    if (!clockName.empty()) {
        HANDLE section = OpenFileMappingW(FILE_MAP_READ, FALSE, clockName.c_str());
        if (section) clock = static_cast<VirtualClock *>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof(VirtualClock)));
    }
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(pid).c_str());
    if (ready) SetEvent(ready);
    if (!process) return 1;

    bool ended = WaitForSingleObject(process, options.Number(L"--timeout", kDefaultStartTimeoutS) * 1000) == WAIT_OBJECT_0;
    if (!ended) KillProcessTree(pid);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    std::string record = ended ? "exit_code=" + std::to_string(code) + "\n" : "timeout=1\nexit_code=" + std::to_string(code) + "\n";
    if (clock) {
        record += "waited_ms=" + std::to_string(clock->elapsedMs) + "\nwait_count=" + std::to_string(clock->waitCount) + "\n";
    }
    std::wstring path = ExitFilePath(pid);
    HANDLE file = CreateFileW((path + L".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(file);
        MoveFileExW((path + L".part").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}

int WaitExit(const Options &options) {
    DWORD pid = options.Number(L"--pid", 0);
    if (pid == 0) return 2;
    std::wstring path = ExitFilePath(pid);
    bool found = WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                           options.Number(L"--timeout", kDefaultRunTimeoutS) * 1000, 50);
    if (!found) return Fail("the program did not end in time");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string record(4096, '\0');
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, &record[0], static_cast<DWORD>(record.size()), &got, nullptr);
        CloseHandle(file);
    }
    DeleteFileW(path.c_str());
    record.resize(got);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), record.data(), got, &written, nullptr);
    return record.find("timeout=1") == std::string::npos ? 0 : 1;
}

HWND MainDialog(const Options &options) {
    return WaitForMainDialog(options.Number(L"--pid", 0), options.Number(L"--timeout", kDefaultWindowTimeoutS) * 1000);
}

int Read(HWND dialog) {
    Print("caption", WindowText(dialog));
    Print("current", ControlText(dialog, kCurrentVersion));
    Print("object", ControlText(dialog, kObjectVersion));
    Print("status", ControlText(dialog, kStatusLine));
    Print("update_enabled", ControlEnabled(dialog, kUpdateButton));
    Print("progress", ProgressPosition(dialog));
    int low = 0, high = 0;
    if (ProgressRange(dialog, &low, &high)) Print("progress_range", std::to_wstring(low) + L"-" + std::to_wstring(high));
    return 0;
}

std::wstring Hex(LONG value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

int Controls(HWND dialog) {
    SIZE client = ClientSize(dialog);
    Print("client", std::to_wstring(client.cx) + L"x" + std::to_wstring(client.cy));
    for (const Control &c : ListControls(dialog)) {
        Print("control", std::to_wstring(c.id) + L" " + c.className + L" (" + std::to_wstring(c.rect.left) + L"," +
                             std::to_wstring(c.rect.top) + L"," + std::to_wstring(c.rect.right - c.rect.left) + L"," +
                             std::to_wstring(c.rect.bottom - c.rect.top) + L") " + (c.enabled ? L"enabled " : L"disabled ") +
                             Hex(c.style) + L" " + Hex(c.exStyle) + L" \"" + c.text + L"\"");
    }
    return 0;
}

int About(const Options &options, HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    HWND about = WaitForAboutBox(pid, 0);
    if (!about && options.Has(L"--via-menu")) {
        if (!OpenSystemMenu(dialog, 10000)) return Fail("the system menu did not open");
        PressKey(dialog, VK_UP);  // wraps from the first item to the last, the About entry
        PressKey(dialog, VK_RETURN);
        about = WaitForAboutBox(pid, options.Number(L"--timeout", kDefaultWindowTimeoutS) * 1000);
    } else if (!about) {
        OpenAbout(dialog);
        about = WaitForAboutBox(pid, options.Number(L"--timeout", kDefaultWindowTimeoutS) * 1000);
    }
    if (!about) return Fail("the About box did not open");
    Print("about_caption", WindowText(about));
    for (const Control &c : ListControls(about)) {
        bool isIcon = (c.style & SS_TYPEMASK) == SS_ICON;  // its "text" is the icon's resource id
        if (!c.text.empty() && !isIcon) Print(c.className == L"Button" ? "about_button" : "about_text", c.text);
    }
    if (!options.Has(L"--ok")) return 0;
    if (!PressOk(about) || !WaitForWindowGone(about, 10000)) return Fail("the About box did not close");
    Print("about_closed", 1);
    return 0;
}

int MessageBoxCommand(const Options &options) {
    DWORD pid = options.Number(L"--pid", 0);
    HWND box = WaitForMessageBox(pid, options.Number(L"--timeout", kDefaultWindowTimeoutS) * 1000);
    if (!box) return Fail("no message box");
    Print("msgbox_text", MessageBoxText(box));
    if (!options.Has(L"--ok")) return 0;
    if (!PressOk(box) || !WaitForWindowGone(box, 10000)) return Fail("the message box did not close");
    Print("msgbox_closed", 1);
    return 0;
}

int Screenshot(const Options &options) {
    if (options.positional.empty()) return 2;
    std::wstring path = WindowsPath(options.positional[0]);
    std::wstring which = options.Get(L"--window", L"main");
    DWORD pid = options.Number(L"--pid", 0);
    DWORD timeout = options.Number(L"--timeout", kDefaultWindowTimeoutS) * 1000;
    bool saved = false;
    if (which == L"screen") {
        saved = SaveScreenScreenshot(path);
    } else {
        HWND window = which == L"about"    ? WaitForAboutBox(pid, timeout)
                      : which == L"msgbox" ? WaitForMessageBox(pid, timeout)
                                           : WaitForMainDialog(pid, timeout);
        if (!window) return Fail("no such window");
        Sleep(300);  // let the window finish painting
        saved = SaveWindowScreenshot(window, path);
    }
    if (!saved) return Fail("could not save the picture");
    Print("screenshot", path);
    return 0;
}

int Registry() {
    for (const auto &value : ReadLedValues()) Print("reg." + ToUtf8(value.first), value.second.Text());
    return 0;
}

int Dispatch(const Options &options) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring &command = options.command;
    if (command == L"prepare") return Prepare(options);
    if (command == L"run") return Run(options);
    if (command == L"start") return Start(options, self);
    if (command == L"watch") return Watch(options);
    if (command == L"wait-exit") return WaitExit(options);
    if (command == L"msgbox") return MessageBoxCommand(options);
    if (command == L"screenshot") return Screenshot(options);
    if (command == L"registry") return Registry();

    bool known = command == L"wait-window" || command == L"read" || command == L"controls" ||
                 command == L"click-update" || command == L"close" || command == L"escape" ||
                 command == L"enter" || command == L"about";
    if (!known) return 2;
    HWND dialog = MainDialog(options);
    if (!dialog) return Fail("no Vantor dialog");
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    Print("pid", pid);
    if (command == L"read") return Read(dialog);
    if (command == L"controls") return Controls(dialog);
    if (command == L"about") return About(options, dialog);
    if (command == L"click-update") {
        bool clicked = ClickUpdate(dialog);
        Print("clicked", clicked);
        return clicked ? 0 : Fail("the Update button is disabled");
    }
    if (command == L"close") PostClose(dialog);
    if (command == L"escape") PressEscape(dialog);
    if (command == L"enter") PressEnter(dialog);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    Options options;
    int result = Parse(argc, argv, &options) ? Dispatch(options) : 2;
    if (result == 2) fputs(kUsage, stderr);
    return result;
}
