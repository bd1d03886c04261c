#include "tests/update_smbus/smbus_run_fixture.h"

#include <commctrl.h>

#include <cstring>
#include <numeric>
#include <sstream>

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
std::unique_ptr<SimSmbusControl> g_sim;

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

// Every process-wide value the start-up checks and the flows read or write, as at load time.
void ResetProcessState() {
    g_boardCode = 0;
    g_boardRevision = 0;
    g_boardQuirk = 0;
    delete[] g_smbiosTable.data;
    g_smbiosTable = RawSmbiosTable{};
    g_useHidPath = 0;
    g_deviceIds = nullptr;
    g_driverLibrary = nullptr;  // the program never frees the records either
    g_smbusLibrary = nullptr;
    g_driverReady = 0;
    g_smbusReady = 0;
    std::memset(g_smbusCmdBlockShort, 0, sizeof g_smbusCmdBlockShort);
    std::memset(g_smbusCmdBlockLong, 0, sizeof g_smbusCmdBlockLong);
    g_restartAndExit = 0;
    g_pumpMsg = MSG{};
    for (CString *text : {&g_programDir, &g_lastErrorText, &g_toolVersion, &g_ledVersion, &g_loaderVersion,
                          &g_imageLedVerF, &g_imageLedVerS, &g_imageLoaderVerF, &g_imageLoaderVerS,
                          &g_lightingWorkDir, &g_companionWorkDir, &g_logText})
        text->Empty();
}

// A baseboard off the USB list: the SMBus transport.
void ServeSmbusBoard() {
    SmbiosScenario scenario;
    BaseboardTexts texts;
    texts.manufacturer = "QYX";
    texts.product = "QZ-2C30";
    texts.version = "1.0";
    scenario.table = BuildBaseboardTable(texts);
    g_locator = std::make_unique<InProcessLocator>(scenario);
}

LRESULT CALLBACK RecordProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR positions) {
    if (message == PBM_SETPOS) reinterpret_cast<std::vector<int> *>(positions)->push_back(static_cast<int>(wParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "<ms> <dll> <function> <arguments> -> <result> <outcome>": the call and its arguments.
std::string CallPart(const std::string &line) { return line.substr(0, line.find(" -> ")); }
std::string ResultPart(const std::string &line) {
    const size_t arrow = line.find(" -> ");
    return arrow == std::string::npos ? std::string() : line.substr(arrow + 4);
}
std::string Function(const std::string &line) {
    std::istringstream in(line);
    std::string ms, dll, function;
    in >> ms >> dll >> function;
    return function;
}
std::string Argument(const std::string &line, const std::string &key) {
    const std::string call = CallPart(line);
    const size_t at = call.find(" " + key + "=");
    if (at == std::string::npos) return std::string();
    const size_t first = at + key.size() + 2;
    return call.substr(first, call.find(' ', first) - first);
}

std::string EventOf(const std::string &line) {
    const std::string function = Function(line);
    if (function == "SMB_BlockWrite3") return "write " + Argument(line, "cmd") + "/" + Argument(line, "len");
    if (function == "SMB_BlockRead3") return "read " + Argument(line, "cmd");
    if (function == "SMB_ByteRead") return "byte " + Argument(line, "addr") + ":" + Argument(line, "reg");
    if (function == "PCIConfigRead") return "pci";
    if (function == "DriverRelease") return "release";
    if (function == "DriverInitialization") return "driver init";
    if (function == "SMBusInitialization") return "smbus init";
    return function;
}

std::vector<BYTE> HexBytes(const std::string &hex) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<BYTE>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace

std::vector<BYTE> FirmwareImage(BYTE verF, BYTE verS, size_t size) { return MakeSmbusTestImage(verF, verS, size); }

HANDLE HoldWithoutSharing(const std::wstring &path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<BYTE> ExpectedBlock(const std::vector<BYTE> &image, size_t index, size_t length) {
    std::vector<BYTE> block(length, 0);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(index * 16), 16, block.begin());
    block[16] = static_cast<BYTE>(std::accumulate(block.begin(), block.begin() + 16, 0u) & 0xFF);
    return block;
}

void SmbusRunTest::SetUp() {
    static bool started = false;
    if (!started) {
        CoInitialize(nullptr);  // kept for the whole run: the stand-in locator lives in it
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        g_sim = std::make_unique<SimSmbusControl>(SimSmbusControl::ProgramDirectory());
        started = true;
    }
    ASSERT_TRUE(g_sim->DriverLoaded() && g_sim->SmbusLoaded()) << "Wendil.dll and Corrant.dll belong beside the test";
    sim_ = g_sim.get();

    programDir_ = SimSmbusControl::ProgramDirectory() + L"\\";
    SetCurrentDirectoryW(programDir_.c_str());
    DeleteMatching(programDir_, L"*.bin");
    DeleteFileW((programDir_ + kLogName).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUpdaterKeyPath);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Halcyra2", L"WorkDir");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Korvex", L"WorkDir");
    ResetProcessState();
    boxes_.clear();
    commands_.clear();
    exits_.clear();
    progress_.clear();

    SetWaitRecorder([this](DWORD ms) {
        TakeNewTraceLines();
        events_.push_back("wait " + std::to_string(ms));
        sim_->AdvanceClock(ms);
    });
    SetCommandRecorder([this](const CString &parameters) { commands_.push_back(parameters.GetString()); });
    SetMessageBoxHook([this](HWND, const CString &text, const CString &caption, UINT type) {
        EXPECT_EQ(caption, L"Vantor");
        EXPECT_EQ(type, static_cast<UINT>(MB_OK | MB_TOPMOST));
        boxes_.push_back(text.GetString());
        return IDOK;
    });
    SetProcessEndRecorder([this](int code) { exits_.push_back(code); });

    ServeSmbusBoard();
    ASSERT_TRUE(g_locator->Registered());
    Configure("");
}

void SmbusRunTest::TearDown() {
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

void SmbusRunTest::Configure(const std::string &scenario) {
    ASSERT_TRUE(sim_->Configure(scenario)) << scenario;
    traceLines_.clear();
    events_.clear();
    traceTaken_ = 0;
    markedEvent_ = 0;
    markedTraceLine_ = 0;
}

void SmbusRunTest::PutImage(const std::wstring &name, const std::vector<BYTE> &bytes) {
    HANDLE file = CreateFileW((programDir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

void SmbusRunTest::OpenDialog(const std::wstring &commandLine) {
    g_commandLine = commandLine;
    g_testApp.m_lpCmdLine = &g_commandLine[0];
    dialog_ = std::make_unique<CVantorDlg>();
    ASSERT_TRUE(dialog_->Create(IDD_VANTOR_DIALOG));
}

void SmbusRunTest::MarkTraffic() {
    TakeNewTraceLines();
    markedEvent_ = events_.size();
    markedTraceLine_ = traceLines_.size();
}

void SmbusRunTest::WatchProgress() {
    progress_.clear();
    SetWindowSubclass(GetDlgItem(dialog_->GetSafeHwnd(), IDC_PROGRESS), RecordProgress, 1,
                      reinterpret_cast<DWORD_PTR>(&progress_));
}

void SmbusRunTest::TakeNewTraceLines() {
    const std::vector<std::string> lines = Lines(sim_->Trace());
    for (; traceTaken_ < lines.size(); ++traceTaken_) {
        traceLines_.push_back(lines[traceTaken_]);
        events_.push_back(EventOf(lines[traceTaken_]));
    }
}

std::vector<std::string> SmbusRunTest::Traffic() {
    TakeNewTraceLines();
    return std::vector<std::string>(events_.begin() + static_cast<std::ptrdiff_t>(markedEvent_), events_.end());
}

std::vector<std::vector<BYTE>> SmbusRunTest::DataBlocks() {
    TakeNewTraceLines();
    std::vector<std::vector<BYTE>> blocks;
    for (size_t i = markedTraceLine_; i < traceLines_.size(); ++i)
        if (Function(traceLines_[i]) == "SMB_BlockWrite3" && Argument(traceLines_[i], "cmd") == "21")
            blocks.push_back(HexBytes(Argument(traceLines_[i], "data")));
    return blocks;
}

std::vector<std::string> SmbusRunTest::FailedTransfers() {
    TakeNewTraceLines();
    std::vector<std::string> failed;
    for (const std::string &line : traceLines_)
        if (Function(line).rfind("SMB_", 0) == 0 && ResultPart(line).rfind("1 ", 0) != 0) failed.push_back(line);
    return failed;
}

std::wstring SmbusRunTest::ControlText(int id) const {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog_->GetSafeHwnd(), id, text, 512);
    return text;
}

bool SmbusRunTest::UpdateEnabled() const {
    return IsWindowEnabled(GetDlgItem(dialog_->GetSafeHwnd(), IDC_UPDATE)) != FALSE;
}

int SmbusRunTest::ProgressPosition() const {
    return static_cast<int>(SendDlgItemMessageW(dialog_->GetSafeHwnd(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

std::vector<std::wstring> SmbusRunTest::LogMessages() const {
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
    for (std::string line : Lines(content)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        messages.push_back(line.size() >= kLogStampLength ? std::wstring(line.begin() + kLogStampLength, line.end())
                                                          : L"(short line) " + std::wstring(line.begin(), line.end()));
    }
    return messages;
}

std::wstring SmbusRunTest::UpdaterValue(const wchar_t *name) const {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUpdaterKeyPath, name, RRF_RT_REG_SZ, nullptr, value, &size) != 0)
        return L"(none)";
    return value;
}
