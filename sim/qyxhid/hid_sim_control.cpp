// The in-process fake: one simulated controller, driven by the test through hid_sim.h.
#include <memory>

#include "sim/qyxhid/active_simulator.h"
#include "sim/qyxhid/hid_sim.h"
#include "sim/qyxhid/scenario_file.h"

namespace {
uint64_t g_manualNow = 0;
std::function<uint64_t()> g_installedClock;
std::unique_ptr<HidSimulator> g_simulator;

uint64_t ReadClock() { return g_installedClock ? g_installedClock() : g_manualNow; }
}  // namespace

HidSimulator &ActiveSimulator() {
    if (!g_simulator) HidSimReset();
    return *g_simulator;
}

void AfterLibraryCall() {}

void HidSimReset(const HidSimControllerSetup &setup) {
    g_manualNow = 0;
    g_installedClock = nullptr;
    g_simulator = std::make_unique<HidSimulator>(setup, HidSimFaults(), [] { return ReadClock(); });
}

bool HidSimResetFromScenario(const std::string &scenarioText, std::string *error, const std::string &baseDir) {
    HidSimScenario scenario;
    if (!ParseScenario(scenarioText, baseDir, scenario, error)) return false;
    HidSimReset(scenario.setup);
    g_simulator->SetFaults(scenario.faults);
    return true;
}

void HidSimSetFaults(const HidSimFaults &faults) { ActiveSimulator().SetFaults(faults); }

void HidSimAdvanceClock(uint64_t milliseconds) { g_manualNow += milliseconds; }
uint64_t HidSimNow() { return ReadClock(); }
void HidSimUseClock(std::function<uint64_t()> clock) { g_installedClock = std::move(clock); }

HidSimMode HidSimCurrentMode() { return ActiveSimulator().Controller().Mode(); }
bool HidSimTransitionPending() { return ActiveSimulator().Controller().TransitionPending(); }
HidSimFlash HidSimFlashState() { return ActiveSimulator().Controller().FlashState(); }
std::vector<uint8_t> HidSimFlashImage() { return ActiveSimulator().Controller().FlashImage(); }
uint8_t HidSimFirmwareVersionByte() { return ActiveSimulator().Controller().FirmwareVersionByte(); }
uint8_t HidSimLoaderVersionByte() { return ActiveSimulator().Controller().LoaderVersionByte(); }
int HidSimProductId() { return ActiveSimulator().Controller().ProductId(); }
int HidSimOpenHandleCount() { return ActiveSimulator().Controller().OpenHandleCount(); }

std::vector<HidSimCall> HidSimCalls() { return ActiveSimulator().Calls(); }
std::vector<HidSimEvent> HidSimEvents() { return ActiveSimulator().Events(); }

std::vector<std::string> HidSimProtocolErrors() {
    std::vector<std::string> errors;
    for (const HidSimEvent &event : ActiveSimulator().Events())
        if (event.kind == "protocol_error") errors.push_back(event.detail);
    return errors;
}

std::vector<std::string> HidSimTraceLines() { return ActiveSimulator().TraceLines(); }
void HidSimClearTrace() { ActiveSimulator().ClearTrace(); }
