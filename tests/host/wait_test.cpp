#include "host/wait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/virtual_clock.h"

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

TEST(WaitMs, SleepsWithoutRecorderOrClock) {
    ASSERT_EQ(nullptr, OpenVirtualClock());
    const DWORD start = GetTickCount();
    WaitMs(300);
    EXPECT_GE(GetTickCount() - start, 250u);  // the tick count is coarse
}

// Must run after the test above: once found, the clock stays for the life of the process.
TEST(WaitMs, NamedVirtualClockTakesTheWaitInsteadOfSleeping) {
    const std::wstring name = L"VantorClockTest" + std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", name.c_str());

    // The simulated device's side: its own view of the same section.
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(VirtualClock),
                                        name.c_str());
    ASSERT_NE(nullptr, section);
    auto *deviceView =
        static_cast<VirtualClock *>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(VirtualClock)));
    ASSERT_NE(nullptr, deviceView);
    deviceView->elapsedMs = 1000;

    const DWORD start = GetTickCount();
    WaitMs(4500);
    WaitMs(2000);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(7500, deviceView->elapsedMs);
    EXPECT_EQ(2, deviceView->waitCount);

    // A recorder still takes precedence over the clock.
    SetWaitRecorder([](DWORD) {});
    WaitMs(100);
    SetWaitRecorder(nullptr);
    EXPECT_EQ(7500, deviceView->elapsedMs);

    UnmapViewOfFile(deviceView);
    CloseHandle(section);
    SetEnvironmentVariableW(L"VANTOR_VIRTUAL_CLOCK", nullptr);
}

}  // namespace
