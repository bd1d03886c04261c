#include "host/process_end.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(EndProcess, RecorderGetsTheCodeAndReturns) {
    std::vector<int> recorded;
    SetProcessEndRecorder([&](int code) { recorded.push_back(code); });
    EndProcess(0);
    EndProcess(3);
    SetProcessEndRecorder(nullptr);
    EXPECT_EQ((std::vector<int>{0, 3}), recorded);
}

TEST(EndProcessDeathTest, WithoutRecorderTheProcessEndsWithTheCode) {
    EXPECT_EXIT(EndProcess(3), ::testing::ExitedWithCode(3), "");
}

}  // namespace
