// What the end-to-end tests on a simulated board share: the lighting service and WMI set up
// once, the dialog opened and answered as a user would, and the lighting software's fate.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e_run/board_run.h"

namespace e2e {

class BoardTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(PrepareLightingServiceAndWmi()); }

    // Starts an interactive run and waits for its dialog.
    static HWND Open(BoardRun &board);
    // Clicks Update and answers the one message box the flow shows; returns its text.
    static std::wstring ClickAndAnswer(BoardRun &board, HWND dialog);

    // Stopped at the start, started again at the end, the companion program relaunched.
    static void ExpectRestarted(LightingSoftware &lighting);
    // Stopped at the start and left so.
    static void ExpectLeftStopped(LightingSoftware &lighting);
};

}  // namespace e2e
