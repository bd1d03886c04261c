#include "host/log.h"

#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "tests/host/test_files.h"

namespace {

const wchar_t kLogName[] = L"Update Vantor.log";

SYSTEMTIME MakeTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wDayOfWeek = 4;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    return time;
}

// Each test logs into a fresh current folder with a fixed clock.
class WriteLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        now_ = MakeTime(2024, 3, 7, 4, 5, 6, 5);
        SetLocalTimeSource([this](SYSTEMTIME &time) { time = now_; });
    }
    void TearDown() override { SetLocalTimeSource(nullptr); }
    std::string LogBytes() const { return ReadFileBytes(folder_.File(kLogName)); }

    TempFolder folder_;
    CurrentFolder inFolder_{folder_.Path()};
    SYSTEMTIME now_;
};

TEST_F(WriteLogTest, LinesAreStampedPaddedAndAppendedInCallOrderWithCrLf) {
    WriteLog(L"Get Loder version : OK");
    WriteLog(L"second in the same millisecond");
    WriteLog(L"");
    now_ = MakeTime(999, 12, 31, 23, 59, 58, 999);
    WriteLog(L"100% done");

    EXPECT_EQ("2024/03/07 04:05:06.005        Get Loder version : OK\r\n"
              "2024/03/07 04:05:06.005        second in the same millisecond\r\n"
              "2024/03/07 04:05:06.005        \r\n"
              " 999/12/31 23:59:58.999        100% done\r\n",
              LogBytes());
    EXPECT_EQ(0, memcmp(&now_, &g_logTime, sizeof now_));
}

TEST_F(WriteLogTest, AppendsToExistingTextWithoutFinalLineEnd) {
    WriteFileBytes(folder_.File(kLogName), "earlier line\r\nunfinished");
    WriteLog(L"next");
    EXPECT_EQ("earlier line\r\nunfinished2024/03/07 04:05:06.005        next\r\n", LogBytes());
}

TEST_F(WriteLogTest, FileHeldExclusivelyLosesTheLineSilently) {
    WriteFileBytes(folder_.File(kLogName), "kept\r\n");
    HANDLE holder = CreateFileW(folder_.File(kLogName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    WriteLog(L"lost");
    CloseHandle(holder);

    WriteLog(L"after");
    EXPECT_EQ("kept\r\n2024/03/07 04:05:06.005        after\r\n", LogBytes());
}

TEST(WriteLog, WithoutTimeSourceStampsTheLocalTime) {
    TempFolder folder;
    CurrentFolder inFolder(folder.Path());
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    WriteLog(L"now");
    GetLocalTime(&after);

    FILETIME first, logged, last;
    SystemTimeToFileTime(&before, &first);
    SystemTimeToFileTime(&g_logTime, &logged);
    SystemTimeToFileTime(&after, &last);
    EXPECT_LE(CompareFileTime(&first, &logged), 0);
    EXPECT_LE(CompareFileTime(&logged, &last), 0);

    char stamp[32];
    snprintf(stamp, sizeof stamp, "%4d/%02d/%02d %02d:%02d:%02d.%03d", g_logTime.wYear, g_logTime.wMonth,
             g_logTime.wDay, g_logTime.wHour, g_logTime.wMinute, g_logTime.wSecond, g_logTime.wMilliseconds);
    EXPECT_EQ(std::string(stamp) + "        now\r\n", ReadFileBytes(folder.File(kLogName)));
}

}  // namespace
