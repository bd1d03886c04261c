// The SMBus update flow on an Intel host, against the simulated controller: the dialog opens
// (the start-up checks leave the controller in its loader), then the flow runs as the Update
// button or the command-line dispatch would start it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/globals.h"
#include "tests/update_smbus/smbus_run_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

constexpr wchar_t kImageName[] = L"1A03_0205.bin";
constexpr size_t kShortBlock = 17;

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> BeginAndBlocks(int blocks) {
    std::vector<std::string> traffic = {"write 23/17", "wait 1000"};
    for (int i = 0; i < blocks; ++i) traffic.insert(traffic.end(), {"write 21/17", "read 25"});
    return traffic;
}

const std::vector<std::string> kReadBackAndEnd = {"read 25",     "write 24/17", "wait 500",    "byte 52:F2", "byte 52:F3",
                                                  "write 20/17", "wait 4500",   "write 24/17", "release"};
const std::vector<std::string> kSilentReread = {"write 24/17", "wait 500",  "byte 52:F2", "byte 52:F3",
                                                "write 20/17", "wait 4500", "read 25"};

class SmbusIntelFlowTest : public SmbusRunTest {
protected:
    // The dialog opened interactively on `image`; the traffic from here on is the flow's.
    void OpenOn(const std::vector<BYTE> &image, const std::string &scenario = "") {
        Configure(scenario);
        PutImage(kImageName, image);
        OpenDialog();
        MarkTraffic();
    }
};

TEST_F(SmbusIntelFlowTest, ImagesOfUpTo512BytesSendNoBlockAndStillFinish) {
    for (size_t size : {size_t{0}, size_t{512}}) {
        SCOPED_TRACE(size);
        TearDown();
        SetUp();
        OpenOn(std::vector<BYTE>(size, 0x5A));

        Dialog().UpdateOverSmbusIntel();

        EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(0), kReadBackAndEnd}));
        EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
        EXPECT_EQ(ProgressPosition(), 100);
        EXPECT_EQ(g_restartAndExit, 1);
    }
}

TEST_F(SmbusIntelFlowTest, EveryWholeGroupOfTheFirstSizeMinus512BytesIsSentInOrder) {
    for (size_t size : {size_t{528}, size_t{543}, size_t{512 + 16 * 6 + 9}}) {
        SCOPED_TRACE(size);
        TearDown();
        SetUp();
        const std::vector<BYTE> image = FirmwareImage(0x1A, 0x04, size);
        OpenOn(image);

        Dialog().UpdateOverSmbusIntel();

        const size_t blocks = (size - 512) / 16;
        EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(static_cast<int>(blocks)), kReadBackAndEnd}));
        std::vector<std::vector<BYTE>> expected;
        for (size_t i = 0; i < blocks; ++i) expected.push_back(ExpectedBlock(image, i, kShortBlock));
        EXPECT_EQ(DataBlocks(), expected);
        const std::vector<BYTE> flash = Flash();
        ASSERT_EQ(flash.size(), blocks * 16);
        EXPECT_TRUE(std::equal(flash.begin(), flash.end(), image.begin()));
        EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
    }
}

TEST_F(SmbusIntelFlowTest, ReadBackStoresTheNewVersions) {
    OpenOn(FirmwareImage(0x1A, 0x04, 512 + 16 * 4));

    Dialog().UpdateOverSmbusIntel();

    EXPECT_THAT(FailedTransfers(), IsEmpty());
    EXPECT_THAT(LogMessages(), ElementsAre(L"LED VerF : 1A", L"LED VerS : 3", L"Loder verf, vers: 2, 5",
                                           L"Loder verf, vers: 2, 5", L"LED VerF : 1A", L"LED VerS : 4"));
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A04");
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0205");
    EXPECT_EQ(Dialog().m_ledVerS, 0x04);
}

TEST_F(SmbusIntelFlowTest, ErasedGroupEndsTheStreamOnlyWhenItsEchoIsWrong) {
    std::vector<BYTE> image = FirmwareImage(0x1A, 0x03, 512 + 16 * 5);
    std::fill(image.begin() + 32, image.begin() + 48, 0xFF);  // group 3

    OpenOn(image);
    Dialog().UpdateOverSmbusIntel();
    EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(5), kReadBackAndEnd}));
    EXPECT_EQ(DataBlocks()[2][16], 0xF0);

    TearDown();
    SetUp();
    OpenOn(image, "wrong_echo_block=3\n");
    Dialog().UpdateOverSmbusIntel();
    EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(3), kReadBackAndEnd}));  // no re-send, nothing after it
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, WrongEchoIsSentAgainOnceAfterAPause) {
    const std::vector<BYTE> image = FirmwareImage(0x1A, 0x03, 512 + 16 * 3);
    OpenOn(image, "wrong_echo_block=2\nwrong_echo_times=1\n");

    Dialog().UpdateOverSmbusIntel();

    EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(2), {"wait 1000", "write 22/17", "read 25"}, {"write 21/17", "read 25"},
                                 kReadBackAndEnd}));
    const std::vector<BYTE> flash = Flash();
    ASSERT_EQ(flash.size(), 48u);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), image.begin()));
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, SecondWrongEchoFailsWithoutResumingTheController) {
    OpenOn(FirmwareImage(0x1A, 0x03, 512 + 16 * 3), "wrong_echo_block=2\nwrong_echo_times=2\n");
    WatchProgress();

    Dialog().UpdateOverSmbusIntel();

    EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(2), {"wait 1000", "write 22/17", "read 25", "release"}}));
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Update FW Error!"));
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_LT(progress_.back(), 100);
}

// A controller that misses a status read or drops a block. The status block is cleared before
// each group's first read, so a missed read shows a wrong echo even when the group's sum equals
// the echo before it; the re-send's read reuses the block, so a missed one is judged by the
// first read's echo again.
TEST_F(SmbusIntelFlowTest, MissedStatusReadsAndDroppedBlocksAreSentAgainOrFailTheUpdate) {
    constexpr size_t kBlocks = 5;
    constexpr size_t kGroupFour = 48;  // group 4 of 5: image bytes 48 to 63
    const std::vector<BYTE> plain = FirmwareImage(0x1A, 0x04, 512 + 16 * kBlocks);
    // Group 4 holds group 3's bytes rotated by one: another group with the same sum.
    std::vector<BYTE> sameSum = plain;
    for (size_t i = 0; i < 16; ++i) sameSum[kGroupFour + i] = plain[32 + (i + 1) % 16];
    // Group 4 sums to 0x00, the echo that a cleared status block shows.
    std::vector<BYTE> zeroSum = plain;
    zeroSum[kGroupFour + 15] = static_cast<BYTE>(zeroSum[kGroupFour + 15] - ExpectedBlock(plain, 3, kShortBlock)[16]);
    ASSERT_NE(ExpectedBlock(sameSum, 3, kShortBlock), ExpectedBlock(sameSum, 2, kShortBlock));
    ASSERT_EQ(ExpectedBlock(sameSum, 3, kShortBlock)[16], ExpectedBlock(sameSum, 2, kShortBlock)[16]);
    ASSERT_NE(ExpectedBlock(sameSum, 3, kShortBlock)[16], 0);
    ASSERT_NE(ExpectedBlock(plain, 3, kShortBlock)[16], ExpectedBlock(plain, 2, kShortBlock)[16]);
    ASSERT_EQ(ExpectedBlock(zeroSum, 3, kShortBlock)[16], 0);
    ASSERT_NE(ExpectedBlock(zeroSum, 2, kShortBlock)[16], 0);

    const std::vector<std::string> resend = {"write 21/17", "read 25", "wait 1000", "write 22/17", "read 25"};
    struct Case {
        const char *name;
        const std::vector<BYTE> &image;
        const char *scenario;  // status reads count from the 0x23: read n follows block n until a re-send
        bool finished;
    };
    const Case cases[] = {
        {"block 4 taken, its status read missed", sameSum, "unanswered_status_reads=4\n", true},
        {"block 4 dropped, its status read missed", sameSum, "lost_block=4\nunanswered_status_reads=4\n", true},
        {"block 4 dropped, the re-send answered", plain, "lost_block=4\n", true},
        {"block 4 dropped, the re-send's status read missed", zeroSum, "lost_block=4\nunanswered_status_reads=5\n",
         false},
        {"block 4 dropped twice, the re-send's status read missed", zeroSum,
         "lost_block=4\nlost_block_times=2\nunanswered_status_reads=5\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        OpenOn(c.image, c.scenario);

        Dialog().UpdateOverSmbusIntel();

        if (c.finished) {
            EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(3), resend, {"write 21/17", "read 25"}, kReadBackAndEnd}));
            EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
            EXPECT_EQ(Flash(), std::vector<BYTE>(c.image.begin(), c.image.begin() + 16 * kBlocks));
            EXPECT_EQ(g_restartAndExit, 1);
        } else {
            // No resume: the controller stays in its loader.
            EXPECT_EQ(Traffic(), Concat({BeginAndBlocks(3), resend, {"release"}}));
            EXPECT_THAT(BoxTexts(), ElementsAre(L"Update FW Error!"));
            EXPECT_EQ(g_restartAndExit, 0);
        }
    }
}

TEST_F(SmbusIntelFlowTest, InteractiveProgressFollowsEveryByteAfterTheFirst) {
    OpenOn(FirmwareImage(0x1A, 0x03, 512 + 100));
    WatchProgress();

    Dialog().UpdateOverSmbusIntel();

    // i / 100 * 100 in double precision: 0.29, 0.57 and 0.58 fall just short of their
    // hundredths, 0.53 and 0.59 do not (with the x87 unit's extra bits they would).
    std::vector<int> expected;
    for (int i = 1; i < 100; ++i) expected.push_back(i == 29 || i == 57 || i == 58 ? i - 1 : i);
    expected.push_back(100);  // after the read-back
    EXPECT_EQ(progress_, expected);
}

TEST_F(SmbusIntelFlowTest, SilentRunReadsTheVersionsAgainAndStoresItsOutcome) {
    OpenOn(FirmwareImage(0x1A, 0x03, 512 + 32));
    WatchProgress();
    Dialog().m_strCmdLine = L"-f";
    Dialog().m_ledVerS = 0x09;  // a silent run trusts only what it reads itself

    Dialog().UpdateOverSmbusIntel();

    EXPECT_EQ(Traffic(), Concat({kSilentReread, BeginAndBlocks(2), kReadBackAndEnd}));
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"Finish!");
    EXPECT_THAT(progress_, ElementsAre(100));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, RefusalsAreReportedByBoxOrMsgAndEndWithTheResume) {
    struct Case {
        const char *scenario;
        const wchar_t *image;
        const wchar_t *box;
        const wchar_t *msg;
    };
    const Case cases[] = {
        {"loader_version=0105\n", L"1A03_0205.bin", L"Loder Version doesn't match!\nYour Loder Version is 15",
         L"Loder Version doesn't match!"},
        {"loader_version=010A\n", L"1A03_010B.bin", L"Loder Version doesn't match!\nYour Loder Version is 1A",
         L"Loder Version doesn't match!"},
        {"app_version=1903\n", L"1A03_0205.bin", L"LED Version doesn't match!\nYour LED Version is 193",
         L"LED Version doesn't match!"},
        {"app_version=1A04\n", L"1A03_0205.bin",
         L"Your LED version is newer, doesn't require updating!\nYour LED Version is 1A4",
         L"Your LED version is newer, doesn't require updating!"},
    };
    for (const Case &c : cases) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.scenario << (silent ? " silent" : " interactive"));
            TearDown();
            SetUp();
            Configure(c.scenario);
            PutImage(c.image, FirmwareImage(0x1A, 0x03, 1024));
            OpenDialog();
            MarkTraffic();
            if (silent) Dialog().m_strCmdLine = L"-f";

            Dialog().UpdateOverSmbusIntel();

            const std::vector<std::string> end = {"write 24/17", "release"};
            EXPECT_EQ(Traffic(), silent ? Concat({kSilentReread, end}) : end);
            EXPECT_EQ(BoxTexts(), silent ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.box});
            EXPECT_EQ(UpdaterValue(L"Msg"), silent ? c.msg : L"(none)");
            EXPECT_EQ(g_restartAndExit, 1);
        }
    }
}

TEST_F(SmbusIntelFlowTest, NoImageIsReportedAndEndsWithTheResume) {
    OpenOn({});
    DeleteFileW((programDir_ + kImageName).c_str());

    Dialog().UpdateOverSmbusIntel();

    EXPECT_THAT(Traffic(), ElementsAre("write 24/17", "release"));
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Doesn't Find Bin File!"));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, ImageHeldElsewhereIsReportedAndNothingIsSent) {
    OpenOn(FirmwareImage(0x1A, 0x03, 1024));
    const HANDLE heldElsewhere = HoldWithoutSharing(programDir_ + kImageName);
    ASSERT_NE(heldElsewhere, INVALID_HANDLE_VALUE);

    Dialog().UpdateOverSmbusIntel();
    CloseHandle(heldElsewhere);

    EXPECT_THAT(Traffic(), ElementsAre("write 24/17", "release"));
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Get bin file fail."));
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, OtherCommandLinesOnlyResumeAndRelease) {
    for (const wchar_t *commandLine : {L"-v", L"-f -v"}) {
        SCOPED_TRACE(CString(commandLine).GetString());
        TearDown();
        SetUp();
        OpenOn(FirmwareImage(0x1A, 0x03, 1024));
        const std::vector<std::wstring> log = LogMessages();
        Dialog().m_strCmdLine = commandLine;

        Dialog().UpdateOverSmbusIntel();

        EXPECT_THAT(Traffic(), ElementsAre("write 24/17", "release"));
        EXPECT_THAT(BoxTexts(), IsEmpty());
        EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
        EXPECT_EQ(LogMessages(), log);
        EXPECT_EQ(g_restartAndExit, 1);
    }
}

TEST_F(SmbusIntelFlowTest, SmbusNotReadyOnlyReleasesTheDriver) {
    OpenOn(FirmwareImage(0x1A, 0x03, 1024), "smbus_init=0\n");
    StartElsewhere();
    const std::wstring elsewhere = CurrentDirectory();

    Dialog().UpdateOverSmbusIntel();

    EXPECT_THAT(Traffic(), ElementsAre("release"));
    EXPECT_EQ(CurrentDirectory(), elsewhere);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(g_restartAndExit, 1);
}

TEST_F(SmbusIntelFlowTest, VerFOf0xFFIsReadOnceMoreAndLoggedOnce) {
    OpenOn(FirmwareImage(0x1A, 0x03, 512 + 32), "verf_ff_reads=1\n");
    const size_t logged = LogMessages().size();

    Dialog().UpdateOverSmbusIntel();

    const std::vector<std::string> traffic = Traffic();
    EXPECT_EQ(std::count(traffic.begin(), traffic.end(), "byte 52:F2"), 2);
    const std::vector<std::wstring> log = LogMessages();
    EXPECT_THAT(std::vector<std::wstring>(log.begin() + static_cast<std::ptrdiff_t>(logged), log.end()),
                ElementsAre(L"Loder verf, vers: 2, 5", L"LED VerF : 1A", L"LED VerS : 3"));
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"1A03");
}

}  // namespace
