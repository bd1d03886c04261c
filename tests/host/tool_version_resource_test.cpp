#include "host/tool_version.h"

#include <gtest/gtest.h>

#include "app/globals.h"

namespace {

// This test program carries the updater's version resource (tool_version.rc).
TEST(GetToolVersion, ReadsTheProgramsOwnFileVersion) {
    ASSERT_TRUE(GetToolVersion());
    EXPECT_EQ(CString(L"1.0.0.23"), g_toolVersion);
}

}  // namespace
