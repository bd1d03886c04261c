#include "tests/dialog_run/dialog_run.h"

#include <commctrl.h>

#include <algorithm>

#include "app/globals.h"
#include "framework/afxwinapp.h"
#include "framework/ui_hooks.h"
#include "host/command.h"
#include "host/process_end.h"
#include "host/wait.h"
#include "sim/wmi/in_process_locator.h"

namespace {

// The application object the start-up checks take the command line from.
CWinApp g_testApp;
std::wstring g_commandLine;

constexpr wchar_t kUpdaterKeyPath[] = L"SOFTWARE\\QYX\\Tessaly Series\\LED";
constexpr wchar_t kLogName[] = L"Update Vantor.log";
constexpr size_t kLogStampLength = 23 + 8;  // "yyyy/mm/dd hh:mm:ss.mmm" and eight blanks

std::unique_ptr<InProcessLocator> g_locator;

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\') + 1);
}

void DeleteMatching(const std::wstring &directory, const wchar_t *pattern) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((directory + pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring path = directory + entry.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

void SetWorkDir(const wchar_t *key, const wchar_t *value) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"WorkDir");
    if (!value) return;
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != 0)
        return;
    RegSetValueExW(opened, L"WorkDir", 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

// Every process-wide value the start-up checks, the flows and the handlers read or write, as
// at load time. Records from earlier tests are left to leak, as the program never frees them.
void ResetProcessState() {
    g_boardCode = 0;
    g_boardRevision = 0;
    g_boardQuirk = 0;
    delete[] g_smbiosTable.data;
    g_smbiosTable = RawSmbiosTable{};
    g_useHidPath = 0;
    g_deviceIds = nullptr;
    g_apProductId = 0;
    g_driverLibrary = nullptr;
    g_driverReady = 0;
    g_smbusLibrary = nullptr;
    g_smbusReady = 0;
    std::fill(std::begin(g_smbusCmdBlockShort), std::end(g_smbusCmdBlockShort), 0);
    std::fill(std::begin(g_smbusCmdBlockLong), std::end(g_smbusCmdBlockLong), 0);
    g_restartAndExit = 0;
    g_pumpMsg = MSG{};
    for (CString *text : {&g_programDir, &g_lastErrorText, &g_toolVersion, &g_ledVersion, &g_loaderVersion,
                          &g_imageLedVerF, &g_imageLedVerS, &g_imageLoaderVerF, &g_imageLoaderVerS,
                          &g_lightingWorkDir, &g_companionWorkDir, &g_logText})
        text->Empty();
}

LRESULT CALLBACK RecordProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR positions) {
    if (message == PBM_SETPOS) reinterpret_cast<std::vector<int> *>(positions)->push_back(static_cast<int>(wParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

HANDLE HoldWithoutSharing(const std::wstring &path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void DialogRunTest::SetUp() {
    static bool started = false;
    if (!started) {
        CoInitialize(nullptr);  // kept for the whole run: the stand-in locator lives in it
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        started = true;
    }

    programDir_ = ProgramDirectory();
    SetCurrentDirectoryW(programDir_.c_str());
    DeleteMatching(programDir_, L"*.bin");
    DeleteFileW((programDir_ + kLogName).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUpdaterKeyPath);
    SetWorkDirs(nullptr, nullptr);
    ResetProcessState();
    waits_.clear();
    commands_.clear();
    boxes_.clear();
    exits_.clear();
    progress_.clear();

    SetWaitRecorder([this](DWORD ms) {
        waits_.push_back(ms);
        OnWait(ms);
    });
    SetCommandRecorder([this](const LaunchedCommand &command) { commands_.push_back(command.parameters.GetString()); });
    SetMessageBoxHook([this](HWND, const CString &text, const CString &caption, UINT type) {
        boxes_.push_back({text.GetString(), caption.GetString(), type});
        return IDOK;
    });
    SetProcessEndRecorder([this](int code) { exits_.push_back(code); });
}

void DialogRunTest::TearDown() {
    if (dialog_ && dialog_->GetSafeHwnd()) dialog_->DestroyWindow();
    dialog_.reset();
    g_locator.reset();
    SetWaitRecorder(nullptr);
    SetCommandRecorder(nullptr);
    SetMessageBoxHook(nullptr);
    SetProcessEndRecorder(nullptr);
    DeleteMatching(programDir_, L"*.bin");
    DeleteFileW((programDir_ + kLogName).c_str());
}

void DialogRunTest::ServeBoard(const std::string &product, const std::string &version) {
    g_locator.reset();
    SmbiosScenario scenario;
    BaseboardTexts texts;
    texts.manufacturer = "QYX";
    texts.product = product;
    texts.version = version;
    scenario.table = BuildBaseboardTable(texts);
    g_locator = std::make_unique<InProcessLocator>(scenario);
    ASSERT_TRUE(g_locator->Registered());
}

void DialogRunTest::SetWorkDirs(const wchar_t *lighting, const wchar_t *companion) {
    SetWorkDir(L"SOFTWARE\\QYX\\Halcyra2", lighting);
    SetWorkDir(L"SOFTWARE\\QYX\\Korvex", companion);
}

void DialogRunTest::PutImage(const std::wstring &name, const std::vector<BYTE> &bytes) {
    HANDLE file = CreateFileW((programDir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

void DialogRunTest::OpenDialog(const wchar_t *commandLine) {
    g_commandLine = commandLine ? commandLine : L"";
    g_testApp.m_lpCmdLine = commandLine ? &g_commandLine[0] : nullptr;
    dialog_ = std::make_unique<CVantorDlg>();
    ASSERT_TRUE(dialog_->Create(IDD_VANTOR_DIALOG));
}

void DialogRunTest::StartElsewhere() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_TRUE(SetCurrentDirectoryW(windows));
    ASSERT_NE(CurrentDirectory(), programDir_);
}

std::wstring DialogRunTest::CurrentDirectory() const {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring directory(current);
    if (directory.empty() || directory.back() != L'\\') directory += L'\\';
    return directory;
}

void DialogRunTest::WatchProgress() {
    progress_.clear();
    SetWindowSubclass(GetDlgItem(dialog_->GetSafeHwnd(), IDC_PROGRESS), RecordProgress, 1,
                      reinterpret_cast<DWORD_PTR>(&progress_));
}

std::wstring DialogRunTest::ControlText(int id) const {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog_->GetSafeHwnd(), id, text, 512);
    return text;
}

bool DialogRunTest::UpdateEnabled() const {
    return IsWindowEnabled(GetDlgItem(dialog_->GetSafeHwnd(), IDC_UPDATE)) != FALSE;
}

int DialogRunTest::ProgressPosition() const {
    return static_cast<int>(SendDlgItemMessageW(dialog_->GetSafeHwnd(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

std::vector<std::wstring> DialogRunTest::LogMessages() const {
    std::string content;
    HANDLE file = CreateFileW((programDir_ + kLogName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
        CloseHandle(file);
    }
    std::vector<std::wstring> messages;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        messages.push_back(line.size() >= kLogStampLength
                               ? std::wstring(line.begin() + kLogStampLength, line.end())
                               : L"(short line) " + std::wstring(line.begin(), line.end()));
        start = end + 2;
    }
    return messages;
}

std::wstring DialogRunTest::UpdaterValue(const wchar_t *name) const {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUpdaterKeyPath, name, RRF_RT_REG_SZ, nullptr, value, &size) != 0)
        return L"(none)";
    return value;
}

std::vector<std::wstring> DialogRunTest::BoxTexts() const {
    std::vector<std::wstring> texts;
    for (const RecordedMessageBox &box : boxes_) texts.push_back(box.text);
    return texts;
}
