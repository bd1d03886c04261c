#include "host/wait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/virtual_clock.h"

namespace {

TEST(WaitMs, RecorderGetsTheWaitsInsteadOfSleeping) {
    std::vector<DWORD> recorded;
    SetWaitRecorder([&](DWORD ms) { recorded.push_back(ms); });
    const DWORD start = GetTickCount();
    WaitMs(4500);
    WaitMs(800);
    const DWORD spent = GetTickCount() - start;
    SetWaitRecorder(nullptr);

    EXPECT_EQ((std::vector<DWORD>{4500, 800}), recorded);
    EXPECT_LT(spent, 1000u);
}

// Nothing from outside the process turns a wait off: a clock named in the environment, as
// test builds use, is left alone.
TEST(WaitMs, SleepsWithoutRecorderWhateverTheEnvironmentNames) {
    const std::wstring name = L"VantorClockTest" + std::to_wstring(GetCurrentProcessId());
    VirtualClock *clock = MapVirtualClock(name.c_str());
    ASSERT_NE(nullptr, clock);
    SetEnvironmentVariableW(kVirtualClockVariable, name.c_str());

    const DWORD start = GetTickCount();
    WaitMs(300);
    const DWORD spent = GetTickCount() - start;
    SetEnvironmentVariableW(kVirtualClockVariable, nullptr);

    EXPECT_GE(spent, 250u);  // the tick count is coarse
    EXPECT_EQ(0, clock->elapsedMs);
    EXPECT_EQ(0, clock->waitCount);
}

}  // namespace
