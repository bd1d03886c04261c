// The program on an SMBus board, as its test variant (the shipped file runs every flow in
// tests/e2e_run): Wine serves no SMBIOS table, so the board code is 0, and the stand-in
// "Wendil.dll" and "Corrant.dll" simulate the controller, keeping its state in a file of the
// install directory. The waits pass on the run's virtual clock.
// The program imports "QyxHid.dll" whatever the board: the USB stand-in goes along.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/smbus/controller_state.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_support/dialog_driver.h"
#include "tests/e2e_support/log_file.h"
#include "tests/e2e_support/registry_values.h"
#include "tests/e2e_support/text_conversion.h"
#include "tests/e2e_support/vantor_run.h"

using ::testing::ElementsAre;

namespace {

constexpr wchar_t kImageName[] = L"1A04_0205.bin";
constexpr size_t kImageSize = 512 + 16 * 40 + 7;  // 40 whole groups, 7 bytes and the tail unsent
constexpr char kIntelHost[] = "host_bridge=0x3E308086\n";
constexpr char kOtherHost[] = "host_bridge=0x14501022\nstatus_layout=shifted_up\n";
// Controller firmware 0x1A.0x03 and loader 0x02.0x05, running its application.
constexpr char kController[] = "app_version=1A03\nloader_version=0205\n";

const std::vector<BYTE> &NewImage() {
    static const std::vector<BYTE> image = MakeSmbusTestImage(0x1A, 0x04, kImageSize);
    return image;
}

std::map<std::wstring, std::wstring> LedValues() {
    std::map<std::wstring, std::wstring> values;
    for (const auto &entry : e2e::ReadLedValues()) values[entry.first] = entry.second.Text();
    return values;
}

class SmbusEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(e2e::ClearProgramRegistry()); }

    // A run in its own install directory with the image, the stand-ins and the scenario.
    std::unique_ptr<e2e::VantorRun> PrepareRun(const std::wstring &name, const std::string &host,
                                               const std::string &faults = std::string(),
                                               const std::vector<std::wstring> &libraries = {
                                                   L"QyxHid.dll", L"Wendil.dll", L"Corrant.dll"}) {
        auto run = std::make_unique<e2e::VantorRun>(name, libraries, e2e::ProgramFile::kTestVariant);
        e2e::Sandbox &box = run->sandbox();
        EXPECT_TRUE(run->ok());
        EXPECT_TRUE(box.WriteText(L"controller.txt", host + kController + faults));
        EXPECT_TRUE(box.WriteFile(kImageName, NewImage()));
        run->env().Set(L"VANTOR_SMBUS_SCENARIO", box.PathOf(L"controller.txt"));
        return run;
    }

    static ControllerState SavedController(e2e::VantorRun &run) {
        ControllerState state;
        EXPECT_TRUE(LoadStateFile(e2e::ToUtf8(run.sandbox().PathOf(L"controller.txt.state")), state));
        return state;
    }

    // The controller runs the new firmware: every whole group of the first size - 512 bytes.
    static void ExpectNewFirmware(e2e::VantorRun &run) {
        const ControllerState state = SavedController(run);
        EXPECT_FALSE(state.inLoader);
        const size_t sent = (kImageSize - 512) / 16 * 16;
        ASSERT_EQ(state.flash.size(), sent);
        EXPECT_TRUE(std::equal(state.flash.begin(), state.flash.end(), NewImage().begin()));
        BYTE verF = 0, verS = 0;
        EXPECT_TRUE(FindApplicationVersion(state.flash, verF, verS));
        EXPECT_EQ(verS, 0x04);

        const std::vector<std::string> log = e2e::ReadLogMessages(run.sandbox().Dir());
        ASSERT_GE(log.size(), 3u);
        EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
                    ElementsAre("Loder verf, vers: 2, 5", "LED VerF : 1A", "LED VerS : 4"));
        EXPECT_EQ(LedValues()[L"LED Version"], L"1A04");
    }

    static std::wstring AnswerMessageBox(e2e::VantorRun &run) {
        HWND box = e2e::WaitForMessageBox(run.process().Pid(), e2e::kDialogTimeoutMs);
        if (!box) return L"(no message box)";
        const std::wstring text = e2e::MessageBoxText(box);
        EXPECT_TRUE(e2e::PressOk(box));
        return text;
    }

    void InteractiveUpdate(const std::wstring &name, const std::string &host) {
        auto run = PrepareRun(name, host);
        ASSERT_TRUE(run->Start());
        HWND dialog = run->WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(e2e::ControlText(dialog, e2e::kCurrentVersion), L"Led ver.: 1A03\tLoder ver.: 0205");
        EXPECT_EQ(e2e::ControlText(dialog, e2e::kObjectVersion), L"Led ver.: 1A04\tLoder ver.: 0205");
        EXPECT_EQ(e2e::ControlText(dialog, e2e::kStatusLine), L"");
        ASSERT_TRUE(e2e::ClickUpdate(dialog));
        EXPECT_EQ(AnswerMessageBox(*run), L"Finish!");
        DWORD exitCode = 1;
        ASSERT_TRUE(run->WaitExit(&exitCode));
        EXPECT_EQ(exitCode, 0u);
        ExpectNewFirmware(*run);
        EXPECT_EQ(LedValues().count(L"Msg"), 0u);
        // 0x20 at start-up, 0x23, the read-back's 0x24 and 0x20: the simulator took each only after its wait.
        EXPECT_GE(run->clock().ElapsedMs(), 4500 + 1000 + 500 + 4500);
    }

    void SilentUpdate(const std::wstring &name, const std::string &host) {
        auto run = PrepareRun(name, host);
        ASSERT_TRUE(run->Start(L"-F"));
        DWORD exitCode = 1;
        ASSERT_TRUE(run->WaitExit(&exitCode));
        EXPECT_EQ(exitCode, 0u);
        ExpectNewFirmware(*run);
        EXPECT_EQ(LedValues()[L"Msg"], L"Finish!");
    }
};

TEST_F(SmbusEndToEndTest, InteractiveUpdateOnAnIntelHost) { InteractiveUpdate(L"smbus_intel", kIntelHost); }
TEST_F(SmbusEndToEndTest, InteractiveUpdateOnAnotherHost) { InteractiveUpdate(L"smbus_other", kOtherHost); }
TEST_F(SmbusEndToEndTest, SilentUpdateOnAnIntelHost) { SilentUpdate(L"smbus_intel_silent", kIntelHost); }
TEST_F(SmbusEndToEndTest, SilentUpdateOnAnotherHost) { SilentUpdate(L"smbus_other_silent", kOtherHost); }

TEST_F(SmbusEndToEndTest, DoubleWrongEchoKeepsTheDialogOpenUntilItIsClosed) {
    auto run = PrepareRun(L"smbus_echo_error", kIntelHost, "wrong_echo_block=3\nwrong_echo_times=2\n");
    ASSERT_TRUE(run->Start());
    HWND dialog = run->WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::ClickUpdate(dialog));
    EXPECT_EQ(AnswerMessageBox(*run), L"Update FW Error!");

    ASSERT_FALSE(run->process().WaitExit(1000));
    EXPECT_EQ(e2e::FindMainDialog(run->process().Pid()), dialog);
    EXPECT_FALSE(e2e::ControlEnabled(dialog, e2e::kUpdateButton));
    EXPECT_TRUE(SavedController(*run).inLoader);

    e2e::PostClose(dialog);
    DWORD exitCode = 1;
    ASSERT_TRUE(run->WaitExit(&exitCode));
    EXPECT_FALSE(SavedController(*run).inLoader);  // the close handler resumed it
}

TEST_F(SmbusEndToEndTest, MissingDriverLibraryLeavesThePlaceholders) {
    auto run = PrepareRun(L"smbus_no_driver", kIntelHost, std::string(), {L"QyxHid.dll", L"Corrant.dll"});
    ASSERT_TRUE(run->Start(L"-f"));
    HWND dialog = run->WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    for (int id : {e2e::kCurrentVersion, e2e::kObjectVersion, e2e::kStatusLine})
        EXPECT_EQ(e2e::ControlText(dialog, id), L"Static");
    EXPECT_TRUE(e2e::ControlEnabled(dialog, e2e::kUpdateButton));
    EXPECT_TRUE(LedValues().empty());

    e2e::PostClose(dialog);
    DWORD exitCode = 1;
    ASSERT_TRUE(run->WaitExit(&exitCode));
    // The SMBus library was never loaded: nothing reached the controller.
    EXPECT_FALSE(run->sandbox().Exists(L"controller.txt.state"));
}

}  // namespace
