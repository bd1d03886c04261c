#include "host/tool_version.h"

#include <gtest/gtest.h>

#include "app/globals.h"

namespace {

// This test program carries no version resource.
TEST(GetToolVersion, ProgramWithoutVersionResourceLeavesTextAsItWas) {
    EXPECT_TRUE(g_toolVersion.IsEmpty());
    EXPECT_FALSE(GetToolVersion());
    EXPECT_TRUE(g_toolVersion.IsEmpty());

    g_toolVersion = L"earlier";
    EXPECT_FALSE(GetToolVersion());
    EXPECT_EQ(CString(L"earlier"), g_toolVersion);
    g_toolVersion.Empty();
}

}  // namespace
