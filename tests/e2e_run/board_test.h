// What the end-to-end tests on a simulated board share: the lighting service and WMI set up
// once, the dialog opened and answered as a user would, and the lighting software's fate.
#pragma once

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e_run/board_run.h"

namespace e2e {

// One of the update flows: a transport, interactive (the Update button) or silent ("-f").
struct Flow {
    Transport transport;
    bool silent;

    std::string Name() const;   // for test traces: "USB, -f"
    std::wstring Tag() const;   // for sandbox names: "0_f"
};
// Each transport, interactive and silent.
std::vector<Flow> EveryFlow();

// How a flow's run got going: the dialog and the text of the one message box the Update
// button brought up (interactive), or neither ("-f").
struct FlowStart {
    bool started;
    HWND dialog;
    std::wstring message;
};

class BoardTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(PrepareLightingServiceAndWmi()); }

    // Starts an interactive run and waits for its dialog.
    static HWND Open(BoardRun &board);
    // Clicks Update and answers the one message box the flow shows; returns its text.
    static std::wstring ClickAndAnswer(BoardRun &board, HWND dialog);
    // Starts the run with "-f", or opens the dialog, clicks Update and answers the message box.
    static FlowStart StartFlow(BoardRun &board, const Flow &flow);
};

// The service stopped at start-up and started again, "Ostrum.exe" and the companion killed,
// the companion relaunched from its folder. Each failure says what the lighting software went
// through.
inline void ExpectStoppedAndRestarted(const LightingSoftware &lighting) {
    EXPECT_THAT(lighting.ServiceEventsWhenSettled(),
                ::testing::ElementsAre("service started", "service stopped", "service started"))
        << lighting.Evidence();
    EXPECT_TRUE(lighting.ServiceRunning()) << lighting.Evidence();
    EXPECT_FALSE(lighting.OstrumRunning()) << lighting.Evidence();
    EXPECT_FALSE(lighting.CompanionRunning()) << lighting.Evidence();
    EXPECT_THAT(lighting.Launched(), ::testing::ElementsAre(lighting.CompanionProgram())) << lighting.Evidence();
}

// Stopped at the start and left so.
inline void ExpectLeftStopped(const LightingSoftware &lighting) {
    EXPECT_THAT(lighting.ServiceEventsWhenSettled(), ::testing::ElementsAre("service started", "service stopped"))
        << lighting.Evidence();
    EXPECT_FALSE(lighting.ServiceRunning()) << lighting.Evidence();
    EXPECT_FALSE(lighting.CompanionRunning()) << lighting.Evidence();
    EXPECT_THAT(lighting.Launched(), ::testing::IsEmpty()) << lighting.Evidence();
}

}  // namespace e2e
