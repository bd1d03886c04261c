#include "tests/completion/completion_run.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "app/globals.h"
#include "framework/afxwinapp.h"
#include "framework/ui_hooks.h"
#include "host/command.h"
#include "host/process_end.h"
#include "host/wait.h"
#include "sim/qyxhid/firmware_image.h"
#include "sim/qyxhid/hid_sim.h"
#include "sim/wmi/in_process_locator.h"

SimSmbusControl *CompletionRun::smbus_ = nullptr;

namespace {

// The application object the start-up checks take the command line from.
CWinApp g_testApp;
std::wstring g_commandLine;

constexpr wchar_t kUpdaterKeyPath[] = L"SOFTWARE\\QYX\\Tessaly Series\\LED";
constexpr wchar_t kLogName[] = L"Update Vantor.log";
constexpr char kUsbBoard[] = "QZ-2C41";
constexpr char kSmbusBoard[] = "QZ-3B10";
constexpr char kIntelHostBridge[] = "host_bridge=0x3E308086\n";
constexpr char kOtherHostBridge[] = "host_bridge=0x14801022\n";

std::unique_ptr<InProcessLocator> g_locator;

std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\') + 1);
}

void DeleteImages(const std::wstring &directory) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((directory + L"*.bin").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do DeleteFileW((directory + entry.cFileName).c_str());
    while (FindNextFileW(find, &entry));
    FindClose(find);
}

void SetWorkDir(const wchar_t *key, const wchar_t *value) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"WorkDir");
    if (!value) return;
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"WorkDir", REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

// Every process-wide value the start-up checks, the flows and the handlers read or write,
// as the program starts with them. Records from earlier tests are left to leak, as the
// program never frees them either.
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
    for (CString *text : {&g_lastErrorText, &g_programDir, &g_toolVersion, &g_ledVersion, &g_loaderVersion,
                          &g_imageLedVerF, &g_imageLedVerS, &g_imageLoaderVerF, &g_imageLoaderVerS,
                          &g_lightingWorkDir, &g_companionWorkDir, &g_logText})
        text->Empty();
}

LRESULT CALLBACK RecordStatusText(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR history) {
    if (message == WM_SETTEXT)
        reinterpret_cast<std::vector<std::wstring> *>(history)->push_back(reinterpret_cast<LPCWSTR>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<BYTE> UsbImage(BYTE verF, BYTE verS, size_t length) {
    std::vector<BYTE> image(length);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<BYTE>(i * 13 + 5);
    std::copy_n(kFirmwareVersionMarker, kFirmwareVersionMarkerLength, image.begin() + 32);
    image[32 + kFirmwareVersionMarkerLength] = verF;
    image[32 + kFirmwareVersionMarkerLength + 1] = verS;
    return image;
}

void CompletionRun::SetUp() {
    static bool started = false;
    if (!started) {
        CoInitialize(nullptr);  // kept for the whole run: the stand-in locator lives in it
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        smbus_ = new SimSmbusControl(SimSmbusControl::ProgramDirectory());
        started = true;
    }
    ASSERT_TRUE(smbus_->DriverLoaded() && smbus_->SmbusLoaded()) << "Wendil.dll and Corrant.dll beside the program";

    programDir_ = ProgramDirectory();
    SetCurrentDirectoryW(programDir_.c_str());
    DeleteImages(programDir_);
    DeleteFileW((programDir_ + kLogName).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUpdaterKeyPath);
    SetWorkDirs(kLightingDir, kCompanionDir);
    ResetProcessState();

    SetWaitRecorder([this](DWORD ms) {
        waits_.push_back(ms);
        HidSimAdvanceClock(ms);
        smbus_->AdvanceClock(ms);
    });
    SetCommandRecorder([this](const CString &parameters) { commands_.push_back(parameters.GetString()); });
    SetMessageBoxHook([this](HWND, const CString &text, const CString &, UINT) {
        boxes_.push_back(text.GetString());
        return IDOK;
    });
    SetProcessEndRecorder([this](int code) { exits_.push_back(code); });

    HidSimControllerSetup controller;
    controller.image = MakeFirmwareImage(1, 2);
    HidSimReset(controller);
    UseBoard(Board::kUsb);
}

void CompletionRun::TearDown() {
    if (dialog_ && dialog_->GetSafeHwnd()) dialog_->DestroyWindow();
    dialog_.reset();
    g_locator.reset();
    SetWaitRecorder(nullptr);
    SetCommandRecorder(nullptr);
    SetMessageBoxHook(nullptr);
    SetProcessEndRecorder(nullptr);
    DeleteImages(programDir_);
    DeleteFileW((programDir_ + kLogName).c_str());
    SetWorkDirs(nullptr, nullptr);
}

void CompletionRun::UseBoard(Board board, const std::string &smbusScenario) {
    g_locator.reset();
    SmbiosScenario scenario;
    BaseboardTexts texts;
    texts.manufacturer = "QYX";
    texts.product = board == Board::kUsb ? kUsbBoard : kSmbusBoard;
    texts.version = "1.0";
    scenario.table = BuildBaseboardTable(texts);
    g_locator = std::make_unique<InProcessLocator>(scenario);
    ASSERT_TRUE(g_locator->Registered());

    smbus_->Reset();
    if (board != Board::kUsb) {
        ASSERT_TRUE(smbus_->Configure((board == Board::kSmbusIntel ? kIntelHostBridge : kOtherHostBridge) +
                                      smbusScenario));
    }
}

void CompletionRun::SetWorkDirs(const wchar_t *lighting, const wchar_t *companion) {
    SetWorkDir(L"SOFTWARE\\QYX\\Halcyra2", lighting);
    SetWorkDir(L"SOFTWARE\\QYX\\Korvex", companion);
}

void CompletionRun::PutImage(const std::wstring &name, const std::vector<BYTE> &bytes) {
    HANDLE file = CreateFileW((programDir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

void CompletionRun::OpenDialog(const std::wstring &commandLine) {
    g_commandLine = commandLine;
    g_testApp.m_lpCmdLine = &g_commandLine[0];
    smbusTraceMark_ = Lines(smbus_->Trace()).size();
    dialog_ = std::make_unique<CVantorDlg>();
    ASSERT_TRUE(dialog_->Create(IDD_VANTOR_DIALOG));

    // What a command line ends inside the start-up checks stays in the lists; an opened dialog
    // starts them afresh for the handlers.
    if (exits_.empty()) {
        startupCommands_ = commands_;
        commands_.clear();
        waits_.clear();
        smbusTraceMark_ = Lines(smbus_->Trace()).size();
        HidSimClearTrace();
    }
    SetWindowSubclass(GetDlgItem(dialog_->GetSafeHwnd(), IDC_STATUS), RecordStatusText, 1,
                      reinterpret_cast<DWORD_PTR>(&statusHistory_));
}

void CompletionRun::ClickUpdate() {
    SendMessageW(dialog_->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog_->GetSafeHwnd(), IDC_UPDATE)));
}

void CompletionRun::CloseWindow() {
    SendMessageW(dialog_->GetSafeHwnd(), WM_CLOSE, 0, 0);
    PumpMessages();  // the system's close posts its IDCANCEL
}

void CompletionRun::PressKey(WORD virtualKey) {
    HWND dialog = dialog_->GetSafeHwnd();
    HWND target = GetFocus();
    if (!target || (target != dialog && !IsChild(dialog, target))) target = dialog;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
    PumpMessages();
}

void CompletionRun::PumpMessages() {
    HWND dialog = dialog_->GetSafeHwnd();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool CompletionRun::DialogShown() const { return IsWindowVisible(dialog_->GetSafeHwnd()) != FALSE; }

bool CompletionRun::UpdateEnabled() const {
    return IsWindowEnabled(GetDlgItem(dialog_->GetSafeHwnd(), IDC_UPDATE)) != FALSE;
}

std::wstring CompletionRun::StatusText() const {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog_->GetSafeHwnd(), IDC_STATUS, text, 512);
    return text;
}

std::vector<std::string> CompletionRun::SmbusTraceSinceOpen() const {
    std::vector<std::string> lines = Lines(smbus_->Trace());
    if (smbusTraceMark_ >= lines.size()) return {};
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(smbusTraceMark_), lines.end());
}

std::vector<std::string> CompletionRun::Matching(const std::vector<std::string> &lines, const std::string &part) {
    std::vector<std::string> found;
    for (const std::string &line : lines)
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}
