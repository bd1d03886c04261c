// The program on a USB board, as its test variant with the waits on a virtual clock (the
// shipped file runs every flow in tests/e2e_run): the stand-in WMI locator names board
// QZ-2C41 and the stand-in "QyxHid.dll" simulates the controller, keeping its state in a file
// between runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/qyxhid/firmware_image.h"
#include "sim/qyxhid/scenario_file.h"
#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/log_file.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/text_conversion.h"
#include "tests/e2e_support/vantor_run.h"

using ::testing::ElementsAre;

namespace {

constexpr wchar_t kImageName[] = L"LED_v0102.bin";
constexpr wchar_t kLocatorServer[] = L"CLSID\\{4590F811-1D3A-11D0-891F-00AA004B2E24}\\InprocServer32";
constexpr wchar_t kProgramDllOverrides[] = L"Software\\Wine\\AppDefaults\\Update_Vantor.exe\\DllOverrides";

// Controller firmware 1.0 and loader 1.4 on board QZ-2C41.
constexpr char kBoardScenario[] = "manufacturer=QYX\nproduct=B650 GAMING (QZ-2C41)\nversion=1.0\n";
constexpr char kControllerScenario[] = "mode=application\nproduct_id=0x2C41\nloader_version=0x14\nfw_version=0x10\n";

// A 1000-byte image that reports version 1.2 once it runs.
std::vector<uint8_t> NewImage() {
    std::vector<uint8_t> image(1000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
    const std::vector<uint8_t> marker = MakeFirmwareImage(1, 2);
    std::copy(marker.begin(), marker.end(), image.begin() + 100);
    return image;
}

std::map<std::wstring, std::wstring> LedValues() {
    std::map<std::wstring, std::wstring> values;
    for (const auto &entry : e2e::ReadLedValues()) values[entry.first] = entry.second.Text();
    return values;
}

class HidEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The locator by its bare name, so that COM looks beside the program first, and the
        // program's own copy preferred to Wine's builtin provider.
        SetText(HKEY_CLASSES_ROOT, kLocatorServer, nullptr, L"wbemprox.dll");
        SetText(HKEY_CURRENT_USER, kProgramDllOverrides, L"wbemprox", L"native,builtin");
    }

    static void SetText(HKEY root, const wchar_t *subkey, const wchar_t *name, const wchar_t *text) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    void SetUp() override { ASSERT_TRUE(e2e::ClearProgramRegistry()); }

    // A run in its own install directory with the image, both stand-ins and the scenarios;
    // the controller's state lives in `statePath`.
    std::unique_ptr<e2e::VantorRun> PrepareRun(const std::wstring &name, const std::wstring &statePath,
                                               const std::string &controllerScenario = kControllerScenario) {
        auto run = std::make_unique<e2e::VantorRun>(name, std::vector<std::wstring>{L"QyxHid.dll"},
                                                    e2e::ProgramFile::kTestVariant);
        e2e::Sandbox &box = run->sandbox();
        EXPECT_TRUE(run->ok());
        EXPECT_TRUE(box.CopyFromBin(L"wmi-standin\\wbemprox.dll", L"wbemprox.dll"));
        EXPECT_TRUE(box.WriteText(L"board.txt", kBoardScenario));
        EXPECT_TRUE(box.WriteText(L"controller.txt", controllerScenario));
        EXPECT_TRUE(box.WriteFile(kImageName, NewImage()));
        run->env().Set(L"VANTOR_SMBIOS_SCENARIO", box.PathOf(L"board.txt"));
        run->env().Set(L"VANTOR_HID_SCENARIO", box.PathOf(L"controller.txt"));
        run->env().Set(L"VANTOR_HID_STATE", statePath);
        return run;
    }

    // The controller as the last run left it.
    static HidSimControllerSetup SavedController(const std::wstring &statePath) {
        std::string text, error;
        HidSimScenario state;
        EXPECT_TRUE(ReadWholeFile(e2e::ToUtf8(statePath), text));
        EXPECT_TRUE(ParseScenario(text, std::string(), state, &error)) << error;
        return state.setup;
    }

    static void ExpectNewFirmware(const HidSimControllerSetup &controller) {
        EXPECT_EQ(controller.mode, HidSimMode::Application);
        EXPECT_EQ(controller.flash, HidSimFlash::Valid);
        EXPECT_EQ(controller.image, NewImage());
        EXPECT_EQ(FirmwareVersionByte(controller.image), 0x12);
    }

    static void ExpectReadBackRecorded(const std::wstring &dir) {
        const std::vector<std::string> log = e2e::ReadLogMessages(dir);
        ASSERT_GE(log.size(), 3u);
        EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
                    ElementsAre("Loder verf, vers: 1, 4", "LED VerF : 1", "LED VerS : 2"));
        auto values = LedValues();
        EXPECT_EQ(values[L"Loder Version"], L"0104");
        EXPECT_EQ(values[L"LED Version"], L"0102");
    }

    // Clicks Update and answers the one message box; returns its text.
    static std::wstring ClickUpdateAndAnswer(e2e::VantorRun &run, HWND dialog) {
        EXPECT_TRUE(e2e::ClickUpdate(dialog));
        HWND box = e2e::WaitForMessageBox(run.process().Pid(), e2e::kDialogTimeoutMs);
        if (!box) return L"(no message box)";
        const std::wstring text = e2e::MessageBoxText(box);
        EXPECT_TRUE(e2e::PressOk(box));
        return text;
    }
};

TEST_F(HidEndToEndTest, InteractiveUpdateStreamsTheImageAndReadsTheNewVersionBack) {
    const std::wstring statePath = e2e::Sandbox(L"hid_interactive_state").PathOf(L"state.txt");
    auto run = PrepareRun(L"hid_interactive", statePath);
    ASSERT_TRUE(run->Start());
    HWND dialog = run->WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(e2e::ControlText(dialog, e2e::kCurrentVersion), L"Led ver.: 0100\tLoder ver.: 0104");
    EXPECT_EQ(e2e::ControlText(dialog, e2e::kObjectVersion), L"Led ver.: 0102\tLoder ver.: 0104");
    EXPECT_EQ(e2e::ControlText(dialog, e2e::kStatusLine), L"");
    EXPECT_TRUE(e2e::ControlEnabled(dialog, e2e::kUpdateButton));

    EXPECT_EQ(ClickUpdateAndAnswer(*run, dialog), L"Finish!");
    DWORD exitCode = 1;
    ASSERT_TRUE(run->WaitExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);

    ExpectNewFirmware(SavedController(statePath));
    ExpectReadBackRecorded(run->sandbox().Dir());
    auto values = LedValues();
    EXPECT_EQ(values[L"Tool Version"], L"1.0.0.23");
    EXPECT_EQ(values.count(L"Msg"), 0u);
    EXPECT_GE(run->clock().ElapsedMs(), 800 + 1 + 2000);
}

TEST_F(HidEndToEndTest, SilentUpdateReportsFinishInTheRegistry) {
    const std::wstring statePath = e2e::Sandbox(L"hid_silent_state").PathOf(L"state.txt");
    auto run = PrepareRun(L"hid_silent", statePath);
    ASSERT_TRUE(run->Start(L"-f"));
    DWORD exitCode = 1;
    ASSERT_TRUE(run->WaitExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);

    EXPECT_EQ(LedValues()[L"Msg"], L"Finish!");
    EXPECT_EQ(LedValues().count(L"Tool Version"), 0u);  // "-f" skips the start-up checks
    ExpectNewFirmware(SavedController(statePath));
    ExpectReadBackRecorded(run->sandbox().Dir());
}

TEST_F(HidEndToEndTest, FailedPacketLeavesTheLoaderAndTheNextRunFinishesTheUpdate) {
    const std::wstring statePath = e2e::Sandbox(L"hid_fault_state").PathOf(L"state.txt");
    // Silent run: two version reads, enter loader, erase, then the third packet fails.
    {
        auto run = PrepareRun(L"hid_fault_1", statePath, std::string(kControllerScenario) + "fail_write=7\n");
        ASSERT_TRUE(run->Start(L"-f"));
        DWORD exitCode = 1;
        ASSERT_TRUE(run->WaitExit(&exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(LedValues()[L"Msg"], L"Send data fail.");
        const HidSimControllerSetup controller = SavedController(statePath);
        EXPECT_EQ(controller.mode, HidSimMode::Loader);
        EXPECT_EQ(controller.flash, HidSimFlash::Partial);
    }

    // Interactive run on the controller as it was left: its firmware cannot be read, so the
    // image is allowed, and the update brings it back.
    e2e::ClearProgramRegistry();
    auto run = PrepareRun(L"hid_fault_2", statePath);
    ASSERT_TRUE(run->Start());
    HWND dialog = run->WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::ControlText(dialog, e2e::kCurrentVersion), L"Led ver.: 0000\tLoder ver.: 0104");
    EXPECT_TRUE(e2e::ControlEnabled(dialog, e2e::kUpdateButton));
    const std::vector<std::string> startLog = e2e::ReadLogMessages(run->sandbox().Dir());
    ASSERT_FALSE(startLog.empty());
    EXPECT_EQ(startLog.front(), "On Boot Mode.");

    EXPECT_EQ(ClickUpdateAndAnswer(*run, dialog), L"Finish!");
    DWORD exitCode = 1;
    ASSERT_TRUE(run->WaitExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);
    ExpectNewFirmware(SavedController(statePath));
    ExpectReadBackRecorded(run->sandbox().Dir());
}

}  // namespace
