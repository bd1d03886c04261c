// The controller behind QyxHid.dll: set up from the environment at the first call, its state
// saved to the state file as the calls change it and when the library unloads.
#include <windows.h>

#include <cstdio>
#include <string>

#include "sim/qyxhid/active_simulator.h"
#include "sim/qyxhid/scenario_file.h"
#include "sim/qyxhid/sim_clock.h"

namespace {
struct DllSimulation {
    HidSimulator *simulator = nullptr;
    std::string statePath;
    FILE *trace = nullptr;
};
// Heap-held and never freed, so that the library's detach can still save it at process exit.
DllSimulation *g_simulation = nullptr;

std::string EnvironmentText(const char *name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string DirectoryOf(const std::string &path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void SaveState() {
    if (!g_simulation || g_simulation->statePath.empty()) return;
    std::string text = FormatStateFile(g_simulation->simulator->Controller().Snapshot());
    if (FILE *file = std::fopen(g_simulation->statePath.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

DllSimulation *SetUp() {
    auto *simulation = new DllSimulation;
    HidSimScenario scenario;
    std::string problem;
    std::string source = "default";
    std::string scenarioPath = EnvironmentText("VANTOR_HID_SCENARIO");
    if (!scenarioPath.empty()) {
        std::string text, error;
        if (!ReadWholeFile(scenarioPath, text))
            problem = "cannot read scenario " + scenarioPath;
        else if (!ParseScenario(text, DirectoryOf(scenarioPath), scenario, &error))
            problem = "scenario " + error;
        source = "scenario";
    }
    std::string statePath = EnvironmentText("VANTOR_HID_STATE");
    std::string tracePath = EnvironmentText("VANTOR_HID_TRACE");
    simulation->statePath = statePath.empty() ? scenario.statePath : statePath;
    if (tracePath.empty()) tracePath = scenario.tracePath;

    // A saved state is the controller as the last run left it; the scenario's timing still applies.
    HidSimControllerSetup setup = scenario.setup;
    std::string saved;
    if (problem.empty() && !simulation->statePath.empty() && ReadWholeFile(simulation->statePath, saved)) {
        HidSimScenario state;
        state.setup.timing = scenario.setup.timing;
        std::string error;
        if (ParseScenario(saved, std::string(), state, &error)) {
            setup = state.setup;
            source = "state";
        } else {
            problem = "state file " + error;
        }
    }
    // A broken set-up must not pass for a working controller.
    if (!problem.empty()) setup.mode = HidSimMode::None;

    if (!tracePath.empty()) simulation->trace = std::fopen(tracePath.c_str(), "ab");
    FILE *trace = simulation->trace;
    simulation->simulator = new HidSimulator(setup, scenario.faults, ProcessClock(), [trace](const std::string &line) {
        if (!trace) return;
        std::fputs(line.c_str(), trace);
        std::fputc('\n', trace);
        std::fflush(trace);
    });
    simulation->simulator->Note("run_start", "source=" + source + " process=" + std::to_string(GetCurrentProcessId()) +
                                                 " mode=" + HidSimModeName(setup.mode) +
                                                 " flash=" + HidSimFlashName(setup.flash));
    if (!problem.empty()) simulation->simulator->Note("setup_error", problem);
    return simulation;
}
}  // namespace

HidSimulator &ActiveSimulator() {
    if (!g_simulation) g_simulation = SetUp();
    return *g_simulation->simulator;
}

void AfterLibraryCall() {
    // Mid-stream packets are saved with the library's unload (or the end of the stream), not each one.
    if (!g_simulation->simulator->Controller().StreamInProgress()) SaveState();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) SaveState();
    return TRUE;
}
