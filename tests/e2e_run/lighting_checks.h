// What a run that ends through the restart commands leaves of the lighting software.
#pragma once

#include <gmock/gmock.h>

#include "tests/e2e_run/lighting_software.h"

namespace e2e {

// The service stopped at start-up and started again, "Ostrum.exe" and the companion killed,
// the companion relaunched from its folder.
inline void ExpectStoppedAndRestarted(const LightingSoftware &lighting) {
    EXPECT_THAT(lighting.ServiceEventsWhenSettled(3),
                ::testing::ElementsAre("service started", "service stopped", "service started"));
    EXPECT_TRUE(lighting.ServiceRunning());
    EXPECT_FALSE(lighting.OstrumRunning());
    EXPECT_FALSE(lighting.CompanionRunning());
    EXPECT_THAT(lighting.LaunchedWhenSettled(1), ::testing::ElementsAre(lighting.CompanionProgram()));
}

// Stopped at the start and left so.
inline void ExpectLeftStopped(const LightingSoftware &lighting) {
    EXPECT_THAT(lighting.ServiceEventsWhenSettled(2), ::testing::ElementsAre("service started", "service stopped"));
    EXPECT_FALSE(lighting.ServiceRunning());
    EXPECT_FALSE(lighting.CompanionRunning());
    EXPECT_THAT(lighting.LaunchedWhenSettled(0), ::testing::IsEmpty());
}

}  // namespace e2e
