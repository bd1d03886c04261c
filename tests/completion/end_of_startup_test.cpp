// The end of the start-up checks: what a command line runs, and the commands that start the
// lighting software again before the process ends.
#include <gmock/gmock.h>

#include "app/globals.h"
#include "host/command.h"
#include "sim/qyxhid/hid_sim.h"
#include "tests/completion/completion_run.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::SizeIs;

namespace {

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

using EndOfStartupTest = CompletionRun;

TEST_F(EndOfStartupTest, RestartCommandsFollowTheWorkDirValuesFoundAtStartUp) {
    struct Case {
        const wchar_t *lighting;
        const wchar_t *companion;
        std::vector<std::wstring> restart;
    };
    const Case cases[] = {
        {nullptr, nullptr, {}},
        {kLightingDir, nullptr, {kServiceStart}},
        {nullptr, kCompanionDir, {kCompanionLaunch}},
        {kLightingDir, kCompanionDir, {kServiceStart, kCompanionLaunch}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "lighting=" << (c.lighting ? "set" : "none")
                                        << " companion=" << (c.companion ? "set" : "none"));
        SetWorkDirs(c.lighting, c.companion);
        commands_.clear();
        exits_.clear();
        OpenDialog(L"-x");
        EXPECT_EQ(commands_.size(), (c.lighting ? 2u : 0u) + (c.companion ? 1u : 0u) + c.restart.size());
        std::vector<std::wstring> restart(commands_.end() - static_cast<std::ptrdiff_t>(c.restart.size()),
                                          commands_.end());
        EXPECT_EQ(restart, c.restart);
        EXPECT_THAT(exits_, ElementsAre(0));
    }
}

TEST_F(EndOfStartupTest, CompanionDirectoryIsQuotedWhateverItHolds) {
    SetWorkDirs(nullptr, L"C:\\Tools\\a&calc (1)");
    OpenDialog(L"-x");
    ASSERT_THAT(commands_, SizeIs(2));
    EXPECT_EQ(commands_[1], L"/d /c \"\"C:\\Tools\\a&calc (1)\\QYX_LED.exe\"\" ");
}

// The program runs elevated: what it names without a path must be the system's own tool.
TEST_F(EndOfStartupTest, SystemToolsStartInTheSystemFolderTheCompanionInTheCurrentOne) {
    std::vector<std::pair<std::wstring, std::wstring>> launched;
    SetCommandRecorder([&](const LaunchedCommand &command) {
        launched.emplace_back(command.parameters.GetString(), command.directory.GetString());
    });
    OpenDialog(L"-x");
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    EXPECT_THAT(launched, ElementsAre(Pair(L"/d /c sc.exe stop Halcyra2_Service", system),
                                      Pair(L"/d /c taskkill /F /IM Ostrum.exe", system),
                                      Pair(L"/d /c taskkill /F /IM QYX_LED.exe", system),
                                      Pair(kServiceStart, system), Pair(kCompanionLaunch, L"")));
}

TEST_F(EndOfStartupTest, EmptyCommandLineOpensTheDialogWithoutRestarting) {
    PutImage(L"LED_v0103.bin", UsbImage(1, 3));
    OpenDialog();
    EXPECT_TRUE(DialogShown());
    const RECT rect = WindowRect(dialog_->GetSafeHwnd());
    EXPECT_GT(rect.right - rect.left, 0);
    EXPECT_THAT(commands_, IsEmpty());
    EXPECT_THAT(exits_, IsEmpty());
    EXPECT_EQ(g_restartAndExit, 0);
}

TEST_F(EndOfStartupTest, UsbCommandLineShrinksTheWindowRunsTheFlowAndEnds) {
    OpenDialog(L"-x");
    const RECT rect = WindowRect(dialog_->GetSafeHwnd());
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 0);
    // The flow of any other text only asks to end: the controller is never reached.
    EXPECT_THAT(HidSimCalls(), IsEmpty());
    EXPECT_THAT(commands_, ElementsAre(L"/d /c sc.exe stop Halcyra2_Service", L"/d /c taskkill /F /IM Ostrum.exe",
                                       L"/d /c taskkill /F /IM QYX_LED.exe", kServiceStart, kCompanionLaunch));
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(EndOfStartupTest, UsbSilentRunEndsWhateverTheFlowReports) {
    // The firmware read fails: the flow leaves the flag clear, the run still ends.
    HidSimControllerSetup unplugged;
    unplugged.mode = HidSimMode::None;
    HidSimReset(unplugged);
    PutImage(L"LED_v0103.bin", UsbImage(1, 3));
    OpenDialog(L"-F");
    EXPECT_EQ(ControlText(IDC_STATUS), L"Get FW version : Open device fail.");
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(exits_, ElementsAre(0));
    EXPECT_EQ(commands_.back(), kCompanionLaunch);
}

TEST_F(EndOfStartupTest, SmbusCommandLineRunsTheFlowOfTheHostKind) {
    for (Board board : {Board::kSmbusIntel, Board::kSmbusOther}) {
        const bool intel = board == Board::kSmbusIntel;
        SCOPED_TRACE(intel ? "Intel host" : "other host");
        UseBoard(board);
        exits_.clear();
        commands_.clear();
        OpenDialog(L"-x");
        const std::vector<std::string> trace = SmbusTraceSinceOpen();
        // The resume command in the host's block length is the run's only SMBus transfer.
        EXPECT_THAT(Matching(trace, "SMB_"), SizeIs(1));
        EXPECT_THAT(Matching(trace, intel ? "cmd=24 len=17" : "cmd=24 len=31"), SizeIs(1));
        EXPECT_THAT(Matching(trace, "DriverRelease"), SizeIs(1));
        EXPECT_THAT(exits_, ElementsAre(0));
        EXPECT_EQ(commands_.back(), kCompanionLaunch);
    }
}

TEST_F(EndOfStartupTest, SmbusWithoutDriverOpensTheDialogWhateverTheCommandLine) {
    UseBoard(Board::kSmbusOther, "driver_init=0\n");
    PutImage(L"1A04_0205.bin", std::vector<BYTE>(4096, 0x11));
    OpenDialog(L"-f");
    EXPECT_TRUE(DialogShown());
    const RECT rect = WindowRect(dialog_->GetSafeHwnd());
    EXPECT_GT(rect.right - rect.left, 0);
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_THAT(Matching(SmbusTraceSinceOpen(), "Corrant"), IsEmpty());
    EXPECT_THAT(commands_, IsEmpty());
    EXPECT_THAT(exits_, IsEmpty());
}
