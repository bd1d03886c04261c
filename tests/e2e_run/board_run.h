// One run of the program (its test variant unless the setup asks for the shipped file) on a
// simulated board: the stand-in WMI provider names the board, the stand-in "QyxHid.dll" or
// "Wendil.dll" + "Corrant.dll" simulate the controller and keep its state and trace in files
// of the install directory, and the maker's lighting software (our stand-ins) is installed
// and running.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e_run/lighting_software.h"
#include "tests/e2e_support/vantor_run.h"

namespace e2e {

enum class Transport { kUsb, kSmbusIntel, kSmbusOther };
const char *TransportName(Transport transport);

struct BoardSetup {
    Transport transport = Transport::kUsb;
    // More scenario lines for the controller's simulator (sim/qyxhid or sim/smbus README).
    std::string controllerScenario;
    bool driverLibrary = true;  // SMBus: "Wendil.dll" beside the program
    bool lightingWorkDir = true;
    bool companionWorkDir = true;
    // The many runs here take the test variant, its waits on the run's virtual clock; a run of
    // the shipped program sleeps them, checked by the simulators against real time.
    ProgramFile program = ProgramFile::kTestVariant;
};

// The controller as a run left it, from the simulator's state file.
struct ControllerState {
    std::string mode;            // "application", "loader", ...
    std::vector<uint8_t> flash;  // USB: the APROM image held; SMBus: the flash written
};

class BoardRun {
public:
    BoardRun(const std::wstring &name, const BoardSetup &setup);

    bool ok() const { return ok_; }
    VantorRun &run() { return *run_; }
    LightingSoftware &lighting() { return *lighting_; }
    const std::wstring &Dir() const { return run_->sandbox().Dir(); }

    bool PutImage(const std::wstring &name, const std::vector<uint8_t> &bytes);
    // Starts the lighting software, then the program with `args`, in its install directory
    // or in `startDir`.
    bool Start(const std::wstring &args, const std::wstring &startDir = std::wstring());
    // Waits for the end: the exit code, or -1 when the program had to be ended.
    long WaitExit();

    ControllerState Controller() const;
    // The simulator's trace lines holding `part` (USB: call and event lines; SMBus: calls).
    std::vector<std::string> TraceLines(const std::string &part = std::string()) const;
    std::vector<std::string> LogMessages() const;
    // The updater's values under "SOFTWARE\QYX\Tessaly Series\LED", by name.
    static std::map<std::wstring, std::wstring> LedValues();

private:
    BoardSetup setup_;
    std::unique_ptr<VantorRun> run_;
    std::unique_ptr<LightingSoftware> lighting_;
    bool ok_ = false;
};

// The image files each simulator understands, reporting verF.verS once written.
std::vector<uint8_t> UsbImage(uint8_t verF, uint8_t verS, size_t length = 1000);
std::vector<uint8_t> SmbusImage(uint8_t verF, uint8_t verS, size_t length = 4096);

}  // namespace e2e
