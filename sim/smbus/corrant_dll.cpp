// Stand-in "Corrant.dll": the SMBus library. It learns the host kind through the driver
// record it is handed, as a real one would, and passes every transfer to the controller model.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "sim/smbus/controller_model.h"
#include "sim/smbus/hex_text.h"
#include "sim/smbus/scenario.h"
#include "sim/smbus/sim_exports.h"
#include "sim/smbus/sim_session.h"
#include "sim/smbus/smbus_library_exports.h"
#include "sim/smbus/wire_format.h"

namespace {
constexpr char kDll[] = "Corrant";
constexpr DWORD kLargestBlock = 256;

struct SmbusSim {
    Scenario scenario;
    std::string scenarioError;
    std::unique_ptr<LightingController> controller;
    bool initialized = false;

    // What a later run will find.
    ~SmbusSim() { Save(); }
    void Save() const {
        if (controller) SaveStateFile(scenario.stateFile, controller->Settled());
    }
};

// The controller continues from the state file; only without one does the scenario's start state apply.
void CreateController(SmbusSim &sim) {
    ControllerState start;
    if (!LoadStateFile(sim.scenario.stateFile, start)) {
        start.inLoader = sim.scenario.startInLoader;
        start.loaderVerF = sim.scenario.loaderVerF;
        start.loaderVerS = sim.scenario.loaderVerS;
        start.flash = sim.scenario.startFlash;
    }
    sim.controller = std::make_unique<LightingController>(sim.scenario, start);
}

SmbusSim &Sim() {
    static SmbusSim sim;
    if (!sim.controller) {
        sim.scenario = LoadScenarioFromEnvironment(sim.scenarioError);
        CreateController(sim);
        if (!sim.scenarioError.empty())
            SimTrace(kDll, "scenario error: " + sim.scenarioError, sim.scenario.traceFile);
    }
    return sim;
}

void Trace(const std::string &text) { SimTrace(kDll, text, Sim().scenario.traceFile); }

TransferOutcome Refused() { return {false, "refused: SMBus library not initialised"}; }

std::string Result(const TransferOutcome &outcome) {
    return std::string(" -> ") + (outcome.acknowledged ? "1 " : "0 ") + outcome.note;
}

void NotSimulated(const char *name) { Trace(std::string(name) + " -> 0 not simulated"); }

// The host bridge's vendor, read through the driver record under the driver's own mutex.
bool ReadHostBridge(const DriverRecord &driver, DWORD &value) {
    const auto pciConfigRead = driver.entryPoints.PCIConfigRead;
    if (!driver.ready || !pciConfigRead) return false;
    if (driver.mutex) WaitForSingleObject(driver.mutex, INFINITE);
    const BOOL read = pciConfigRead(0, 0, 0, 0, &value, kExpectedAccessValue);
    if (driver.mutex) ReleaseMutex(driver.mutex);
    return read != FALSE;
}
}  // namespace

SIM_EXPORT BYTE __stdcall SMBusInitialization(DriverRecord *driver, DWORD reserved) {
    SmbusSim &sim = Sim();
    DWORD hostBridge = 0;
    BYTE result = 0;
    std::string outcome;
    if (!driver || !ReadHostBridge(*driver, hostBridge)) {
        outcome = "driver record not usable";
    } else {
        const bool intelHost = LOWORD(hostBridge) == kIntelHostBridgeVendor;
        result = sim.scenario.smbusInit;
        outcome = std::string("host=") + (intelHost ? "intel" : "other");
        if (result) sim.controller->BeginSession(intelHost);
    }
    sim.initialized = result != 0;
    Trace(SimFormat("SMBusInitialization driver=%p reserved=%lu -> %u %s", static_cast<void *>(driver), reserved,
                    result, outcome.c_str()));
    return result;
}

SIM_EXPORT BOOL __stdcall SMB_ByteRead(BYTE *value, BYTE address, BYTE reg) {
    SmbusSim &sim = Sim();
    BYTE read = 0;
    const TransferOutcome outcome =
        sim.initialized ? sim.controller->ByteRead(SimNowMs(), address, reg, read) : Refused();
    if (outcome.acknowledged && value) *value = read;
    Trace(SimFormat("SMB_ByteRead addr=%02X reg=%02X", address, reg) + Result(outcome) +
          (outcome.acknowledged ? SimFormat(" value=%02X", read) : std::string()));
    return outcome.acknowledged;
}

SIM_EXPORT BOOL __stdcall SMB_BlockRead3(BYTE *buffer, BYTE address, BYTE command) {
    SmbusSim &sim = Sim();
    BYTE status[wire::kStatusBytes] = {};
    const TransferOutcome outcome =
        sim.initialized ? sim.controller->BlockRead(SimNowMs(), address, command, status) : Refused();
    if (outcome.acknowledged && buffer) std::copy(status, status + sizeof status, buffer);
    Trace(SimFormat("SMB_BlockRead3 addr=%02X cmd=%02X", address, command) + Result(outcome) +
          (outcome.acknowledged ? " data=" + HexBytes(status, sizeof status) : std::string()));
    return outcome.acknowledged;
}

SIM_EXPORT BOOL __stdcall SMB_BlockWrite3(BYTE address, BYTE command, const BYTE *data, DWORD length) {
    SmbusSim &sim = Sim();
    const TransferOutcome outcome =
        sim.initialized ? sim.controller->BlockWrite(SimNowMs(), address, command, data, length) : Refused();
    Trace(SimFormat("SMB_BlockWrite3 addr=%02X cmd=%02X len=%lu data=", address, command, length) +
          (data ? HexBytes(data, std::min(length, kLargestBlock)) : std::string("(null)")) + Result(outcome));
    // Blocks come by the thousand; the commands around them are where the state is worth keeping.
    if (command != wire::kWriteBlock && command != wire::kRewriteBlock) sim.Save();
    return outcome.acknowledged;
}

SIM_EXPORT BOOL __stdcall SMB_ByteWrite(BYTE, BYTE, BYTE) { NotSimulated("SMB_ByteWrite"); return FALSE; }
SIM_EXPORT BOOL __stdcall SMB_BlockRead1(BYTE *, BYTE, BYTE) { NotSimulated("SMB_BlockRead1"); return FALSE; }
SIM_EXPORT BOOL __stdcall SMB_BlockWrite1(BYTE, BYTE, const BYTE *, DWORD) {
    NotSimulated("SMB_BlockWrite1");
    return FALSE;
}
SIM_EXPORT BOOL __stdcall SMB_BlockRead2(BYTE *, BYTE, BYTE) { NotSimulated("SMB_BlockRead2"); return FALSE; }
SIM_EXPORT BOOL __stdcall SMB_BlockWrite2(BYTE, BYTE, const BYTE *, DWORD) {
    NotSimulated("SMB_BlockWrite2");
    return FALSE;
}
SIM_EXPORT BOOL __stdcall SMB_BlockRead(BYTE *, BYTE, BYTE, DWORD) { NotSimulated("SMB_BlockRead"); return FALSE; }
SIM_EXPORT DWORD __stdcall SMBusGetAddress() { NotSimulated("SMBusGetAddress"); return 0; }
SIM_EXPORT BOOL __stdcall SMBusReload() { NotSimulated("SMBusReload"); return FALSE; }
SIM_EXPORT void __stdcall SMBusRelease() { NotSimulated("SMBusRelease"); }

namespace {
// The definitions above are the entry points the library states, in their order.
[[maybe_unused]] constexpr SmbusLibraryExports kDefinedExports = {
    SMBusInitialization, SMB_ByteRead,    SMB_ByteWrite,  SMB_BlockRead1,  SMB_BlockWrite1,
    SMB_BlockRead2,      SMB_BlockWrite2, SMB_BlockRead3, SMB_BlockWrite3, SMB_BlockRead,
    SMBusGetAddress,     SMBusReload,     SMBusRelease};
}  // namespace

SIM_EXPORT void __stdcall SimSmbus_Reset() {
    SimSessionReset();
    SmbusSim &sim = Sim();
    sim.scenario = Scenario();
    sim.scenarioError.clear();
    sim.initialized = false;
    CreateController(sim);
}

SIM_EXPORT BOOL __stdcall SimSmbus_Configure(const char *scenarioText) {
    SimSessionReset();
    SmbusSim &sim = Sim();
    sim.scenario = Scenario();
    sim.scenarioError.clear();
    sim.initialized = false;
    const bool parsed = ApplyScenarioText(scenarioText ? scenarioText : "", sim.scenario, sim.scenarioError);
    CreateController(sim);
    return parsed;
}

SIM_EXPORT void __stdcall SimSmbus_AdvanceClock(DWORD milliseconds) { SimAdvanceClock(milliseconds); }

SIM_EXPORT DWORD __stdcall SimSmbus_TraceText(char *buffer, DWORD size) {
    return CopyText(SimTraceText(), buffer, size);
}

SIM_EXPORT DWORD __stdcall SimSmbus_StateText(char *buffer, DWORD size) {
    SmbusSim &sim = Sim();
    sim.controller->FlashAt(SimNowMs());
    const std::string session = SimFormat("smbus_initialized=%d\nhost=%s\n", sim.initialized ? 1 : 0,
                                          sim.controller->IntelHost() ? "intel" : "other");
    return CopyText(session + StateText(sim.controller->Settled()), buffer, size);
}

SIM_EXPORT DWORD __stdcall SimSmbus_Flash(BYTE *buffer, DWORD size) {
    const std::vector<BYTE> &flash = Sim().controller->FlashAt(SimNowMs());
    if (buffer && size >= flash.size()) std::copy(flash.begin(), flash.end(), buffer);
    return static_cast<DWORD>(flash.size());
}
