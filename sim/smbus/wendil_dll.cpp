// Stand-in "Wendil.dll": the driver library. It answers the host bridge's vendor from the
// scenario and otherwise does nothing but trace what it is asked.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "sim/smbus/driver_library_exports.h"
#include "sim/smbus/scenario.h"
#include "sim/smbus/sim_exports.h"
#include "sim/smbus/sim_session.h"

namespace {
constexpr char kDll[] = "Wendil";
constexpr DWORD kNoDevice = 0xFFFFFFFF;
constexpr wchar_t kDriverMutexName[] = L"Global\\Access_Driver.HTP.Method";

struct DriverSim {
    Scenario scenario;
    std::string scenarioError;
    bool initialized = false;
    int initializations = 0;
    int releases = 0;
};

DriverSim FromEnvironment() {
    DriverSim sim;
    sim.scenario = LoadScenarioFromEnvironment(sim.scenarioError);
    return sim;
}

DriverSim &Sim() {
    static DriverSim sim = FromEnvironment();
    static bool errorTraced = false;
    if (!errorTraced && !sim.scenarioError.empty()) {
        errorTraced = true;
        SimTrace(kDll, "scenario error: " + sim.scenarioError, sim.scenario.traceFile);
    }
    return sim;
}

void Trace(const std::string &text) { SimTrace(kDll, text, Sim().scenario.traceFile); }

bool DriverMutexExists() {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kDriverMutexName);
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

void NotSimulated(const char *name) { Trace(std::string(name) + " -> 0 not simulated"); }
}  // namespace

SIM_EXPORT BYTE __stdcall DriverInitialization(BSTR directory, BSTR instanceName, DWORD accessValue) {
    DriverSim &sim = Sim();
    ++sim.initializations;
    const BYTE result = accessValue == kExpectedAccessValue ? sim.scenario.driverInit : 0;
    sim.initialized = result != 0;
    // The lengths show whether real system strings were passed; the mutex whether the
    // caller made it before or after this call.
    Trace(SimFormat("DriverInitialization directory=\"%s\" (%u chars) instance=\"%s\" (%u chars) access=%08lX "
                    "driver_mutex=%s -> %u",
                    Utf8(directory).c_str(), directory ? SysStringLen(directory) : 0, Utf8(instanceName).c_str(),
                    instanceName ? SysStringLen(instanceName) : 0, accessValue,
                    DriverMutexExists() ? "present" : "absent", result));
    return result;
}

SIM_EXPORT BOOL __stdcall PCIConfigRead(DWORD bus, DWORD device, DWORD function, DWORD offset, DWORD *value,
                                        DWORD accessValue) {
    DriverSim &sim = Sim();
    BOOL result = FALSE;
    std::string outcome;
    if (!sim.initialized) {
        outcome = "refused: driver not initialised";
    } else if (accessValue != kExpectedAccessValue || !value) {
        outcome = "refused: bad access value or no result address";
    } else {
        *value = bus == 0 && device == 0 && function == 0 && offset == 0 ? sim.scenario.hostBridge : kNoDevice;
        result = TRUE;
        outcome = SimFormat("value=%08lX", *value);
    }
    Trace(SimFormat("PCIConfigRead bus=%lu device=%lu function=%lu offset=%lX access=%08lX -> %d %s", bus,
                    device, function, offset, accessValue, result, outcome.c_str()));
    return result;
}

SIM_EXPORT void __stdcall DriverRelease() {
    DriverSim &sim = Sim();
    ++sim.releases;
    // Calls after a release still work, as the program relies on.
    Trace(SimFormat("DriverRelease -> released %d", sim.releases));
}

SIM_EXPORT BYTE __stdcall ReadIoPortByte(WORD) { NotSimulated("ReadIoPortByte"); return 0; }
SIM_EXPORT void __stdcall WriteIoPortByte(WORD, BYTE) { NotSimulated("WriteIoPortByte"); }
SIM_EXPORT WORD __stdcall ReadIoPortWord(WORD) { NotSimulated("ReadIoPortWord"); return 0; }
SIM_EXPORT void __stdcall WriteIoPortWord(WORD, WORD) { NotSimulated("WriteIoPortWord"); }
SIM_EXPORT BYTE __stdcall ReadCMOSByte(BYTE) { NotSimulated("ReadCMOSByte"); return 0; }
SIM_EXPORT void __stdcall WriteCMOSByte(BYTE, BYTE) { NotSimulated("WriteCMOSByte"); }
SIM_EXPORT BOOL __stdcall Rdmsr(DWORD, DWORD *, DWORD *) { NotSimulated("Rdmsr"); return FALSE; }
SIM_EXPORT BOOL __stdcall Wrmsr(DWORD, DWORD, DWORD) { NotSimulated("Wrmsr"); return FALSE; }
SIM_EXPORT BOOL __stdcall ReadPhysicalMemory(DWORD, BYTE *, DWORD) { NotSimulated("ReadPhysicalMemory"); return FALSE; }
SIM_EXPORT BYTE __stdcall ReadPhysicalMemory_Byte(DWORD) { NotSimulated("ReadPhysicalMemory_Byte"); return 0; }
SIM_EXPORT void __stdcall WritePhysicalMemory_Byte(DWORD, BYTE) { NotSimulated("WritePhysicalMemory_Byte"); }
SIM_EXPORT DWORD __stdcall ReadPhysicalMemory_DWORD(DWORD) { NotSimulated("ReadPhysicalMemory_DWORD"); return 0; }
SIM_EXPORT void __stdcall WritePhysicalMemory_DWORD(DWORD, DWORD) { NotSimulated("WritePhysicalMemory_DWORD"); }
SIM_EXPORT BOOL __stdcall PCIConfigWrite(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
    NotSimulated("PCIConfigWrite");
    return FALSE;
}

namespace {
// The definitions above are the entry points the library states, in record order.
[[maybe_unused]] constexpr DriverLibraryExports kDefinedExports = {
    DriverInitialization,   ReadIoPortByte,           WriteIoPortByte,          ReadIoPortWord,
    WriteIoPortWord,        ReadCMOSByte,             WriteCMOSByte,            Rdmsr,
    Wrmsr,                  ReadPhysicalMemory,       ReadPhysicalMemory_Byte,  WritePhysicalMemory_Byte,
    ReadPhysicalMemory_DWORD, WritePhysicalMemory_DWORD, PCIConfigRead,         PCIConfigWrite,
    DriverRelease};
}  // namespace

SIM_EXPORT void __stdcall SimSmbus_Reset() {
    SimSessionReset();
    Sim() = DriverSim();
}

SIM_EXPORT BOOL __stdcall SimSmbus_Configure(const char *scenarioText) {
    SimSmbus_Reset();
    DriverSim &sim = Sim();
    return ApplyScenarioText(scenarioText ? scenarioText : "", sim.scenario, sim.scenarioError);
}

SIM_EXPORT void __stdcall SimSmbus_AdvanceClock(DWORD milliseconds) { SimAdvanceClock(milliseconds); }

SIM_EXPORT DWORD __stdcall SimSmbus_TraceText(char *buffer, DWORD size) {
    return CopyText(SimTraceText(), buffer, size);
}

SIM_EXPORT DWORD __stdcall SimSmbus_StateText(char *buffer, DWORD size) {
    const DriverSim &sim = Sim();
    return CopyText(SimFormat("driver_initialized=%d\ndriver_initializations=%d\ndriver_releases=%d\n",
                              sim.initialized ? 1 : 0, sim.initializations, sim.releases),
                    buffer, size);
}
