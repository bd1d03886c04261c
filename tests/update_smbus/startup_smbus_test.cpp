// The start-up checks on an SMBus board, against the simulated controller.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/globals.h"
#include "tests/update_smbus/smbus_run_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using SmbusStartupTest = SmbusRunTest;

TEST_F(SmbusStartupTest, IntelHostReadsBothVersionsAndAcceptsTheMatchingImage) {
    PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 4096));

    OpenDialog();

    EXPECT_THAT(Traffic(), ElementsAre("driver init", "pci", "smbus init", "pci", "write 24/17", "wait 500",
                                       "byte 52:F2", "byte 52:F3", "pci", "write 20/17", "wait 4500", "pci",
                                       "read 25"));
    EXPECT_THAT(FailedTransfers(), IsEmpty());
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 1A03\tLoder ver.: 0205");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Led ver.: 1A03\tLoder ver.: 0205");
    EXPECT_EQ(ControlText(IDC_STATUS), L"");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_THAT(LogMessages(), ElementsAre(L"LED VerF : 1A", L"LED VerS : 3", L"Loder verf, vers: 2, 5"));
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"1.0.0.14");  // this program carries no version
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A03");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0205");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");

    EXPECT_EQ(g_useHidPath, 0);
    EXPECT_EQ(g_driverReady, 1);
    EXPECT_EQ(g_smbusReady, 1);
    EXPECT_EQ(g_programDir + L"\\", CString(programDir_.c_str()));
    EXPECT_EQ(g_ledVersion, L"1A03");  // the image's texts from here on
    EXPECT_EQ(g_loaderVersion, L"0205");
    const BYTE preamble[] = {0x51, 0x56, 0x4E, 0x54, 0x52, 0x56, 0x31};
    EXPECT_TRUE(std::equal(preamble, preamble + 7, g_smbusCmdBlockShort));
    EXPECT_TRUE(std::equal(preamble, preamble + 7, g_smbusCmdBlockLong));
    PBRANGE range = {};
    SendDlgItemMessageW(Dialog().GetSafeHwnd(), IDC_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(ProgressPosition(), 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_THAT(exits_, IsEmpty());
    EXPECT_EQ(g_restartAndExit, 0);
}

TEST_F(SmbusStartupTest, OtherHostReadsThroughTheDummyReadAndTheLongBlocks) {
    Configure(std::string(kOtherHost) + "status_layout=shifted_up\n");
    PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 4096));

    OpenDialog();

    EXPECT_THAT(Traffic(), ElementsAre("driver init", "pci", "smbus init", "pci", "byte A0:00", "wait 500",
                                       "write 24/31", "wait 500", "byte 52:F2", "byte 52:F3", "pci", "write 20/31",
                                       "wait 4500", "pci", "read 25"));
    EXPECT_THAT(FailedTransfers(), IsEmpty());
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 1A03\tLoder ver.: 0205");
    EXPECT_EQ(ControlText(IDC_STATUS), L"");
    EXPECT_TRUE(UpdateEnabled());
}

TEST_F(SmbusStartupTest, VersionChecksDecideTheStatusAndTheUpdateButton) {
    struct Case {
        const char *scenario;
        const wchar_t *image;
        const wchar_t *status;
        const wchar_t *object;
    };
    const Case cases[] = {
        {"app_version=1A04\n", L"1A03_0205.bin", L"Your LED version is newer, doesn't require updating!",
         L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"app_version=1A02\n", L"1A03_0205.bin", L"", L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"app_version=1903\n", L"1A03_0205.bin", L"LED Version doesn't match!", L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"app_version=1B03\n", L"1A03_0205.bin", L"LED Version doesn't match!", L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"loader_version=0206\n", L"1A03_0205.bin", L"Loder Version doesn't match!",
         L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"loader_version=0206\napp_version=1B04\n", L"1A03_0205.bin", L"Loder Version doesn't match!",
         L"Led ver.: 1A03\tLoder ver.: 0205"},
        {"", L"1a03_0205.bin", L"", L"Led ver.: 1a03\tLoder ver.: 0205"},
        // Names of other shapes: the fields as they stand, checked as any other.
        {"", L"abcdef.bin", L"Loder Version doesn't match!", L"Led ver.: abab\tLoder ver.: abcd"},
        {"", L"AB_CD.bin", L"Loder Version doesn't match!", L"Led ver.: ABAB\tLoder ver.: CD.b"},
        {"", L"_0205.bin", L"LED Version doesn't match!", L"Led ver.: _0_0\tLoder ver.: 0205"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.scenario << " image " << CString(c.image).GetString());
        TearDown();
        SetUp();
        Configure(c.scenario);
        PutImage(c.image, FirmwareImage(0x1A, 0x03, 1024));
        OpenDialog();
        EXPECT_EQ(ControlText(IDC_STATUS), c.status);
        EXPECT_EQ(UpdateEnabled(), CString(c.status).IsEmpty());
        EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), c.object);
        EXPECT_THAT(BoxTexts(), IsEmpty());
    }
}

TEST_F(SmbusStartupTest, VerFOf0xFFIsReadOnceMoreAndTheSecondAnswerStands) {
    struct Case {
        const char *scenario;
        const wchar_t *verFLine;
        const wchar_t *ledVersion;
        const wchar_t *status;
    };
    const Case cases[] = {
        {"verf_ff_reads=1\n", L"LED VerF : 1A", L"1A03", L""},
        {"verf_ff_reads=2\n", L"LED VerF : FF", L"FF03", L"LED Version doesn't match!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario);
        TearDown();
        SetUp();
        Configure(c.scenario);
        PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 1024));

        OpenDialog();

        EXPECT_THAT(Traffic(), ElementsAre("driver init", "pci", "smbus init", "pci", "write 24/17", "wait 500",
                                           "byte 52:F2", "byte 52:F2", "byte 52:F3", "pci", "write 20/17", "wait 4500",
                                           "pci", "read 25"));
        EXPECT_THAT(LogMessages(), ElementsAre(c.verFLine, L"LED VerS : 3", L"Loder verf, vers: 2, 5"));
        EXPECT_EQ(UpdaterValue(L"LED Version"), c.ledVersion);
        EXPECT_EQ(ControlText(IDC_STATUS), c.status);
    }
}

TEST_F(SmbusStartupTest, NoImageLeavesTheStatusAndTheButtonAsTheyWere) {
    OpenDialog();

    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 1A03\tLoder ver.: 0205");
    EXPECT_EQ(ControlText(IDC_OBJECT_VERSION), L"Can not find (*.bin) file");
    EXPECT_EQ(ControlText(IDC_STATUS), L"Static");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_EQ(g_ledVersion, L"1A03");  // the controller's texts stay
}

TEST_F(SmbusStartupTest, SmbusLibraryNotInitialisedReadsZerosAfterTheSameWaits) {
    struct Case {
        std::string scenario;
        std::vector<std::string> traffic;
    };
    const Case cases[] = {
        {"smbus_init=0\n", {"driver init", "pci", "smbus init", "pci", "wait 500", "pci", "wait 4500", "pci"}},
        {std::string(kOtherHost) + "smbus_init=0\n",
         {"driver init", "pci", "smbus init", "pci", "wait 500", "wait 500", "pci", "wait 4500", "pci"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario);
        TearDown();
        SetUp();
        Configure(c.scenario);
        PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 1024));
        OpenDialog();
        EXPECT_EQ(Traffic(), c.traffic);
        EXPECT_EQ(g_driverReady, 1);
        EXPECT_EQ(g_smbusReady, 0);
        EXPECT_THAT(LogMessages(), ElementsAre(L"LED VerF : 0", L"LED VerS : 0", L"Loder verf, vers: 0, 0"));
        EXPECT_EQ(UpdaterValue(L"LED Version"), L"0000");
        EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0000");
        EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Led ver.: 0000\tLoder ver.: 0000");
        EXPECT_EQ(ControlText(IDC_STATUS), L"Loder Version doesn't match!");
        EXPECT_FALSE(UpdateEnabled());
    }
}

TEST_F(SmbusStartupTest, DriverNotReadyLeavesThePlaceholdersWhateverTheCommandLine) {
    Configure("driver_init=0\n");
    PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 1024));
    wchar_t elsewhere[MAX_PATH] = {};
    GetWindowsDirectoryW(elsewhere, MAX_PATH);
    SetCurrentDirectoryW(elsewhere);

    OpenDialog(L"-v");

    EXPECT_THAT(Traffic(), ElementsAre("driver init"));
    EXPECT_EQ(g_driverReady, 0);
    EXPECT_EQ(g_smbusLibrary, nullptr);
    EXPECT_EQ(g_smbusReady, 0);
    EXPECT_TRUE(std::all_of(g_smbusCmdBlockLong, g_smbusCmdBlockLong + 31, [](BYTE b) { return b == 0; }));
    EXPECT_TRUE(Dialog().m_strCmdLine.IsEmpty());
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_STREQ(current, elsewhere);
    for (int id : {IDC_CURRENT_VERSION, IDC_OBJECT_VERSION, IDC_STATUS}) EXPECT_EQ(ControlText(id), L"Static");
    EXPECT_TRUE(UpdateEnabled());
    EXPECT_THAT(LogMessages(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"(none)");
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_THAT(exits_, IsEmpty());
}

TEST_F(SmbusStartupTest, VersionSwitchStoresTheVersionsThenResumesAndEnds) {
    PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 1024));

    OpenDialog(L"-V");

    const std::vector<std::string> traffic = Traffic();
    ASSERT_GE(traffic.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(traffic.end() - 4, traffic.end()),
                ElementsAre("read 25", "pci", "write 24/17", "release"));
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"1.0.0.14");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A03");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0205");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(SmbusStartupTest, AnyOtherTextSkipsTheChecksAndOnlyResumes) {
    Configure(kOtherHost);
    PutImage(L"1A03_0205.bin", FirmwareImage(0x1A, 0x03, 1024));

    OpenDialog(L"-x");

    EXPECT_THAT(Traffic(), ElementsAre("driver init", "pci", "smbus init", "pci", "write 24/31", "release"));
    EXPECT_THAT(LogMessages(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"(none)");
    EXPECT_EQ(ControlText(IDC_CURRENT_VERSION), L"Static");
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_THAT(exits_, ElementsAre(0));
}

}  // namespace
