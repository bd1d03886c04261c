// The SMBus update flow on a host other than Intel, against the simulated controller, whose
// 8-block input buffer loses blocks when the flow does not pause.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/globals.h"
#include "tests/update_smbus/smbus_run_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr wchar_t kImageName[] = L"1A03_0205.bin";
constexpr size_t kLongBlock = 31;

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::vector<std::string> kBegin = {"byte A0:00", "wait 500", "write 23/31", "wait 1000"};
const std::vector<std::string> kReadBackAndEnd = {"read 25",     "write 24/31", "wait 500",    "byte 52:F2", "byte 52:F3",
                                                  "write 20/31", "wait 4500",   "write 24/31", "release"};

class SmbusOtherFlowTest : public SmbusRunTest {
protected:
    void OpenOn(const std::vector<BYTE> &image, const std::string &scenario = "") {
        Configure(std::string(kOtherHost) + scenario);
        PutImage(kImageName, image);
        OpenDialog();
        MarkTraffic();
    }
};

TEST_F(SmbusOtherFlowTest, ImagesOfUpTo512BytesSendNoBlockAndStillPause) {
    for (size_t size : {size_t{0}, size_t{512}}) {
        SCOPED_TRACE(size);
        TearDown();
        SetUp();
        OpenOn(std::vector<BYTE>(size, 0x5A));

        Dialog().UpdateOverSmbusOther();

        EXPECT_EQ(Traffic(), Concat({kBegin, {"wait 50"}, kReadBackAndEnd}));
        EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
        EXPECT_EQ(ProgressPosition(), 100);
        EXPECT_EQ(g_restartAndExit, 1);
    }
}

TEST_F(SmbusOtherFlowTest, PausesFollowEveryEighthBlockAndTheStream) {
    struct Case {
        int blocks;
        std::vector<std::string> stream;
    };
    const std::string w = "write 21/31";
    const Case cases[] = {
        {7, {w, w, w, w, w, w, w, "wait 50"}},
        {8, {w, w, w, w, w, w, w, w, "wait 50", "wait 50"}},
        {9, {w, w, w, w, w, w, w, w, "wait 50", w, "wait 50"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.blocks);
        TearDown();
        SetUp();
        const std::vector<BYTE> image = FirmwareImage(0x1A, 0x04, 512 + 16 * c.blocks + 5);
        OpenOn(image);

        Dialog().UpdateOverSmbusOther();

        EXPECT_EQ(Traffic(), Concat({kBegin, c.stream, kReadBackAndEnd}));
        std::vector<std::vector<BYTE>> expected;
        for (int i = 0; i < c.blocks; ++i) expected.push_back(ExpectedBlock(image, static_cast<size_t>(i), kLongBlock));
        EXPECT_EQ(DataBlocks(), expected);
        EXPECT_THAT(FailedTransfers(), IsEmpty());  // the controller took every block
        const std::vector<BYTE> flash = Flash();
        ASSERT_EQ(flash.size(), static_cast<size_t>(16 * c.blocks));
        EXPECT_TRUE(std::equal(flash.begin(), flash.end(), image.begin()));
        EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A04");
        EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
        EXPECT_EQ(g_restartAndExit, 1);
    }
}

TEST_F(SmbusOtherFlowTest, SilentRunReadsTheVersionsAgainThroughTheDummyRead) {
    OpenOn(FirmwareImage(0x1A, 0x03, 512 + 16), "status_layout=shifted_down\n");
    WatchProgress();
    Dialog().m_strCmdLine = L"-f";
    Dialog().m_loaderVerF = 0x07;  // a silent run trusts only what it reads itself

    Dialog().UpdateOverSmbusOther();

    EXPECT_EQ(Traffic(), Concat({{"byte A0:00", "wait 500", "write 24/31", "wait 500", "byte 52:F2", "byte 52:F3",
                                  "write 20/31", "wait 4500", "read 25"},
                                 kBegin,
                                 {"write 21/31", "wait 50"},
                                 kReadBackAndEnd}));
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"Finish!");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0205");
    EXPECT_THAT(progress_, ElementsAre(100));
}

TEST_F(SmbusOtherFlowTest, RefusalEndsWithTheResumeAlone) {
    OpenOn(FirmwareImage(0x1A, 0x03, 1024), "loader_version=0105\n");

    Dialog().UpdateOverSmbusOther();

    EXPECT_THAT(Traffic(), ElementsAre("write 24/31", "release"));
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Loder Version doesn't match!\nYour Loder Version is 15"));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusOtherFlowTest, ImageHeldElsewhereIsStoredAsMsgAndNothingIsSent) {
    OpenOn(FirmwareImage(0x1A, 0x03, 1024));
    const HANDLE heldElsewhere = HoldWithoutSharing(programDir_ + kImageName);
    ASSERT_NE(heldElsewhere, INVALID_HANDLE_VALUE);
    Dialog().m_strCmdLine = L"-f";

    Dialog().UpdateOverSmbusOther();
    CloseHandle(heldElsewhere);

    const std::vector<std::string> traffic = Traffic();
    EXPECT_EQ(std::count(traffic.begin(), traffic.end(), "write 23/31"), 0);
    EXPECT_THAT(std::vector<std::string>(traffic.end() - 2, traffic.end()), ElementsAre("write 24/31", "release"));
    EXPECT_EQ(UpdaterValue(L"Msg"), L"Get bin file fail.");
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusOtherFlowTest, OtherCommandLinesAndAnUninitialisedLibraryEndAtOnce) {
    OpenOn(FirmwareImage(0x1A, 0x03, 1024));
    Dialog().m_strCmdLine = L"-v";
    Dialog().UpdateOverSmbusOther();
    EXPECT_THAT(Traffic(), ElementsAre("write 24/31", "release"));
    EXPECT_EQ(g_restartAndExit, 1);

    TearDown();
    SetUp();
    OpenOn(FirmwareImage(0x1A, 0x03, 1024), "smbus_init=0\n");
    Dialog().UpdateOverSmbusOther();
    EXPECT_THAT(Traffic(), ElementsAre("release"));
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(g_restartAndExit, 1);
}

}  // namespace
