#include "tests/completion/completion_run.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "sim/qyxhid/firmware_image.h"

SimSmbusControl *CompletionRun::smbus_ = nullptr;

namespace {

constexpr char kUsbBoard[] = "QZ-2C41";
constexpr char kSmbusBoard[] = "QZ-3B10";
constexpr char kIntelHostBridge[] = "host_bridge=0x3E308086\n";
constexpr char kOtherHostBridge[] = "host_bridge=0x14801022\n";

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
    DialogRunTest::SetUp();
    if (HasFatalFailure()) return;
    if (!smbus_) smbus_ = new SimSmbusControl(SimSmbusControl::ProgramDirectory());  // loaded once for the run
    ASSERT_TRUE(smbus_->DriverLoaded() && smbus_->SmbusLoaded()) << "Wendil.dll and Corrant.dll beside the program";

    SetWorkDirs(kLightingDir, kCompanionDir);
    ResetUsbController();
    UseBoard(Board::kUsb);
}

void CompletionRun::TearDown() {
    DialogRunTest::TearDown();
    SetWorkDirs(nullptr, nullptr);
}

void CompletionRun::OnWait(DWORD ms) {
    HidSimAdvanceClock(ms);
    smbus_->AdvanceClock(ms);
}

void CompletionRun::UseBoard(Board board, const std::string &smbusScenario) {
    ServeBoard(board == Board::kUsb ? kUsbBoard : kSmbusBoard, "1.0");
    smbus_->Reset();
    if (board != Board::kUsb) {
        ASSERT_TRUE(smbus_->Configure((board == Board::kSmbusIntel ? kIntelHostBridge : kOtherHostBridge) +
                                      smbusScenario));
    }
}

void CompletionRun::ResetUsbController(HidSimMode mode) {
    HidSimControllerSetup controller;
    controller.mode = mode;
    controller.image = MakeFirmwareImage(1, 2);
    HidSimReset(controller);
}

void CompletionRun::OpenDialog(const wchar_t *commandLine) {
    smbusTraceMark_ = Lines(smbus_->Trace()).size();
    DialogRunTest::OpenDialog(commandLine);
    if (HasFatalFailure()) return;

    // What a command line ends inside the start-up checks stays in the lists; an opened dialog
    // starts them afresh for the handlers.
    if (exits_.empty()) {
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
