// The start-up checks on a USB board, against the simulated controller.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "tests/update_hid/hid_run_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr wchar_t kNewer[] = L"Your LED version is newer, doesn't require updating!";

using HidStartupTest = HidRunTest;

TEST_F(HidStartupTest, EqualVersionsShowBothLinesAndKeepUpdateEnabled) {
    SetWorkDirs(L"C:\\Halcyra2", L"C:\\Korvex");
    HidSimReset(ControllerRunning(1, 2, 0x14));
    PutImage(L"led_v0102.bin", PatternImage(300, 1, 2));
    StartElsewhere();  // the program's folder holds the image and gets the log

    OpenDialog();

    EXPECT_EQ(CurrentDirectory(), programDir_);
    EXPECT_EQ(g_useHidPath, 1);
    EXPECT_EQ(g_boardCode, 0x2C41);
    EXPECT_EQ(g_apProductId, 0x2C41);
    EXPECT_THAT(commands_, ElementsAre(L"/d /c sc.exe stop Halcyra2_Service", L"/d /c taskkill /F /IM Ostrum.exe",
                                       L"/d /c taskkill /F /IM QYX_LED.exe"));
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 0102\tLoder ver.: 0104");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: 0102\tLoder ver.: 0104");
    EXPECT_EQ(ControlText(IDC_STATUS), L"");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_EQ(ProgressPosition(), 0);
    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Loder verf, vers: 1, 4", L"LED VerF : 1", L"LED VerS : 2"));
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"1.0.0.16");  // this program carries no version
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0104");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_THAT(waits_, IsEmpty());
    EXPECT_THAT(boxes_, IsEmpty());
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_THAT(exits_, IsEmpty());
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
}

TEST_F(HidStartupTest, VersionGateComparesFirmwareWithTheImageName) {
    struct Case {
        uint8_t verF, verS;
        bool enabled;
    };
    // Image 0x01.0x02: newer controllers are refused, equal and older ones may be updated.
    for (const Case &c : {Case{1, 3, false}, Case{2, 0, false}, Case{1, 2, true}, Case{0, 15, true}}) {
        SCOPED_TRACE(testing::Message() << "controller " << int(c.verF) << "." << int(c.verS));
        TearDown();
        SetUp();
        HidSimReset(ControllerRunning(c.verF, c.verS));
        PutImage(L"LED_v0102.bin", PatternImage(100));
        OpenDialog();
        EXPECT_EQ(UpdateEnabled(), c.enabled);
        EXPECT_EQ(ControlText(IDC_STATUS), c.enabled ? L"" : kNewer);
    }
}

TEST_F(HidStartupTest, ImageNamesWithoutVersionDigitsAreTakenAsTheyStand) {
    // No "_v": characters 1-2 and 3-4.
    PutImage(L"abcdef.bin", PatternImage(100));
    OpenDialog();
    EXPECT_EQ(g_imageLedVerF, L"bc");
    EXPECT_EQ(g_imageLedVerS, L"de");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: bcde\tLoder ver.: 0104");
    EXPECT_TRUE(UpdateEnabled());  // 0xBC.0xDE is above any controller

    TearDown();
    SetUp();
    // "_v" right before the extension: ".b" and "in", converted by the digit rule (0xEB, 0x37).
    HidSimReset(ControllerRunning(15, 15));
    PutImage(L"x_v.bin", PatternImage(100));
    OpenDialog();
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: .bin\tLoder ver.: 0104");
    EXPECT_TRUE(UpdateEnabled());
}

TEST_F(HidStartupTest, OnlyTheFirstImageTheSearchReturnsCounts) {
    PutImage(L"b_v0F0F.bin", PatternImage(100));
    PutImage(L"a_v0001.bin", PatternImage(100));
    PutImage(L"c_v0000.bin", PatternImage(100));
    WIN32_FIND_DATAW first;
    HANDLE find = FindFirstFileW(L"*.bin", &first);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    const std::wstring name = first.cFileName;
    const std::wstring digits = name.substr(3, 4);

    HidSimReset(ControllerRunning(0, 1));
    OpenDialog();

    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: " + digits + L"\tLoder ver.: 0104");
    EXPECT_EQ(UpdateEnabled(), digits != L"0000") << name;
}

TEST_F(HidStartupTest, WithoutAnyControllerOrImageTheFailureStaysInTheStatusLine) {
    HidSimControllerSetup unplugged = ControllerRunning(1, 2);
    unplugged.mode = HidSimMode::None;
    HidSimReset(unplugged);

    OpenDialog();

    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Get Loder version : Open device fail.",
                                           L"Get Loder version : Open device fail.", L"Loder verf, vers: 0, 0",
                                           L"LED VerF : 0", L"LED VerS : 0"));
    EXPECT_THAT(waits_, ElementsAre(800u));
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 0000\tLoder ver.: 0000");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Can not find (*.bin) file");
    EXPECT_EQ(ControlText(IDC_STATUS), L"Get FW version : Open device fail.");
    EXPECT_EQ(g_lastErrorText, L"Open device fail.");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0000");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0000");
}

TEST_F(HidStartupTest, ControllerInItsLoaderIsSentBackBeforeTheFirmwareIsRead) {
    HidSimControllerSetup inLoader = ControllerRunning(1, 2, 0x25);
    inLoader.mode = HidSimMode::Loader;
    HidSimReset(inLoader);
    PutImage(L"led_v0102.bin", PatternImage(100));

    OpenDialog();

    EXPECT_THAT(LogMessages(), ElementsAre(L"On Boot Mode.", L"Loder verf, vers: 2, 5", L"LED VerF : 1", L"LED VerS : 2"));
    EXPECT_THAT(waits_, IsEmpty());
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 0102\tLoder ver.: 0205");
    EXPECT_TRUE(UpdateEnabled());
}

TEST_F(HidStartupTest, FirmwareWithoutLoaderVersionIsAskedThroughItsLoader) {
    HidSimReset(ControllerRunning(1, 2, 0x14));
    HidSimFaults faults;
    faults.noLoaderVersion = true;
    HidSimSetFaults(faults);
    PutImage(L"led_v0102.bin", PatternImage(100));

    OpenDialog();

    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Get Loder version : Switch to LDROM fail.",
                                           L"Loder verf, vers: 1, 4", L"LED VerF : 1", L"LED VerS : 2"));
    EXPECT_THAT(waits_, ElementsAre(800u));
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_THAT(HidSimProtocolErrors(), IsEmpty());
    EXPECT_EQ(ControlText(IDC_STATUS), L"");  // cleared once the image is found
    EXPECT_EQ(g_lastErrorText, L"Switch to LDROM fail.");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0104");
    EXPECT_TRUE(UpdateEnabled());
}

TEST_F(HidStartupTest, FailedReturnFromTheLoaderLeavesTheFirmwareVersionAtZeroUnlogged) {
    HidSimControllerSetup inLoader = ControllerRunning(1, 2, 0x25);
    inLoader.mode = HidSimMode::Loader;
    HidSimReset(inLoader);
    HidSimFaults faults;
    faults.failWriteCalls = {2};  // the loader-version read, then the return to the application
    HidSimSetFaults(faults);

    OpenDialog();

    EXPECT_EQ(ControlText(IDC_STATUS), L"Loder to AP : Switch to LDROM fail.");
    EXPECT_EQ(g_lastErrorText, L"Switch to LDROM fail.");
    EXPECT_THAT(LogMessages(), ElementsAre(L"On Boot Mode.", L"Loder verf, vers: 2, 5", L"LED VerF : 0", L"LED VerS : 0"));
    EXPECT_EQ(CallCount("WriteDeviceOutput"), 2);  // the firmware version is not asked for
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 0000\tLoder ver.: 0205");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0000");
    EXPECT_TRUE(UpdateEnabled());
}

// The switch to the loader is the call after the failed loader-version read.
HidSimFaults EnterLoaderFails() {
    HidSimFaults faults;
    faults.noLoaderVersion = true;
    faults.failWriteCalls = {2};
    return faults;
}

TEST_F(HidStartupTest, FailedSwitchToTheLoaderStopsTheChecksWithTheDialogOpen) {
    HidSimSetFaults(EnterLoaderFails());
    PutImage(L"led_v0102.bin", PatternImage(100));

    OpenDialog();

    EXPECT_EQ(ControlText(IDC_STATUS), L"AP to Loder : Switch to LDROM fail.");
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Static");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Static");
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Get Loder version : Switch to LDROM fail.",
                                           L"AP to Loder : Switch to LDROM fail."));
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"1.0.0.16");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"(none)");
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_THAT(exits_, IsEmpty());
}

TEST_F(HidStartupTest, FailedSwitchToTheLoaderWithVStoresTheLoaderVersionAndEnds) {
    SetWorkDirs(L"C:\\Halcyra2", nullptr);
    HidSimSetFaults(EnterLoaderFails());
    PutImage(L"led_v0102.bin", PatternImage(100));

    OpenDialog(L"-V");

    EXPECT_EQ(dialog_->m_strCmdLine, L"-v");
    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Get Loder version : Switch to LDROM fail.",
                                           L"AP to Loder : Switch to LDROM fail."));
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"1.0.0.16");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0000");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"(none)");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(exits_, ElementsAre(0));
    EXPECT_THAT(commands_, ElementsAre(L"/d /c sc.exe stop Halcyra2_Service", L"/d /c taskkill /F /IM Ostrum.exe",
                                       L"/d /c sc.exe start Halcyra2_Service"));
}

TEST_F(HidStartupTest, VStoresTheVersionsWithoutUpdating) {
    PutImage(L"led_v0F0F.bin", PatternImage(100));

    OpenDialog(L"-v");

    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0104");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_EQ(CallCount("WriteDeviceOutput"), 2);  // the two version reads
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x12);
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(HidStartupTest, WithoutACommandLineTheDialogOpensForTheUser) {
    PutImage(L"led_v0102.bin", PatternImage(100));

    OpenDialog(nullptr);

    EXPECT_TRUE(dialog_->m_strCmdLine.IsEmpty());
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: 0102\tLoder ver.: 0104");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_THAT(exits_, IsEmpty());
}

TEST_F(HidStartupTest, OtherCommandLinesSkipTheChecksButSetUpTheRun) {
    PutImage(L"led_v0F0F.bin", PatternImage(100));

    OpenDialog(L"-x");

    EXPECT_EQ(dialog_->m_strCmdLine, L"-x");
    EXPECT_NE(g_deviceIds, nullptr);
    EXPECT_EQ(g_apProductId, 0x2C41);
    EXPECT_THAT(HidSimCalls(), IsEmpty());
    EXPECT_THAT(LogMessages(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"(none)");
    int low = -1, high = -1;
    dialog_->m_progress.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(HidStartupTest, QuirkBoardShowsItsFirmwareAsZeroOnlyUnderItsOwnProductId) {
    ServeBoard("B650 (QZ-2C52)", "2.0");
    HidSimControllerSetup quirk = ControllerRunning(1, 2);
    quirk.productId = 0x2C52;
    HidSimReset(quirk);
    PutImage(L"led_v0001.bin", PatternImage(100));

    OpenDialog();

    EXPECT_EQ(g_boardRevision, 2);
    EXPECT_EQ(g_boardQuirk, 1);
    EXPECT_EQ(g_apProductId, 0x2C52);
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0000");
    EXPECT_THAT(LogMessages(), ElementsAre(L"On AP Mode.", L"Loder verf, vers: 1, 4", L"LED VerF : 0", L"LED VerS : 0"));
    EXPECT_TRUE(UpdateEnabled());  // 0.0 is never newer than the image

    TearDown();
    SetUp();
    ServeBoard("B650 (QZ-2C52)", "2");
    HidSimControllerSetup fallback = ControllerRunning(1, 2);
    fallback.productId = kFallbackApProductId;
    HidSimReset(fallback);
    PutImage(L"led_v0001.bin", PatternImage(100));

    OpenDialog();

    EXPECT_EQ(g_boardQuirk, 1);
    EXPECT_EQ(g_apProductId, kFallbackApProductId);
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");
    EXPECT_EQ(ControlText(IDC_STATUS), kNewer);
    EXPECT_FALSE(UpdateEnabled());
}

TEST_F(HidStartupTest, SystemMenuEndsWithTheAboutEntryAndTheWindowCarriesItsIcon) {
    OpenDialog();
    const HWND window = dialog_->GetSafeHwnd();

    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, count - 2, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    wchar_t text[64] = {};
    MENUITEMINFOW about = {};
    about.cbSize = sizeof about;
    about.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    about.dwTypeData = text;
    about.cch = 64;
    ASSERT_TRUE(GetMenuItemInfoW(menu, count - 1, TRUE, &about));
    EXPECT_EQ(about.wID, 0x0010u);
    EXPECT_EQ(about.fType & MFT_SEPARATOR, 0u);
    EXPECT_STREQ(text, L"\u95DC\u65BC Vantor(&A)...");

    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), icon);
}

TEST_F(HidStartupTest, EmptyWorkDirValuesRunNoCommand) {
    SetWorkDirs(L"", L"");
    PutImage(L"led_v0102.bin", PatternImage(100));
    OpenDialog();
    EXPECT_THAT(commands_, IsEmpty());
    EXPECT_TRUE(g_lightingWorkDir.IsEmpty());
    EXPECT_TRUE(g_companionWorkDir.IsEmpty());
}

TEST_F(HidStartupTest, BoardsOffTheUsbListTakeTheOtherTransport) {
    ServeBoard("B650 (QZ-2C42)", "1.0");
    OpenDialog();
    EXPECT_EQ(g_boardCode, 0x2C42);
    EXPECT_EQ(g_useHidPath, 0);
    EXPECT_THAT(HidSimCalls(), IsEmpty());
}

}  // namespace
