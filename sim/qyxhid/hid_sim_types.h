// Plain records describing the simulated USB lighting controller: its initial setup, the
// faults injected into the HID library calls and the trace of those calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/qyxhid/firmware_image.h"

// Which USB identities the controller shows. Both is an edge case (two functions enumerated);
// None means unplugged.
enum class HidSimMode { Application, Loader, Both, None };

// What the APROM holds. Only a Valid image boots into application mode.
enum class HidSimFlash { Valid, Erased, Partial };

// The names the scenario, state and trace files use.
inline const char *HidSimModeName(HidSimMode mode) {
    switch (mode) {
    case HidSimMode::Application: return "application";
    case HidSimMode::Loader: return "loader";
    case HidSimMode::Both: return "both";
    case HidSimMode::None: return "none";
    }
    return "none";
}

inline const char *HidSimFlashName(HidSimFlash flash) {
    switch (flash) {
    case HidSimFlash::Valid: return "valid";
    case HidSimFlash::Erased: return "erased";
    case HidSimFlash::Partial: return "partial";
    }
    return "partial";
}

// Re-enumeration and settle times of the controller, in milliseconds of the simulation clock;
// by default exactly the updater's waits, so that a shorter wait fails.
struct HidSimTiming {
    uint32_t enterLoaderMs = 800;  // application 0xA0 -> loader enumerated
    uint32_t resetMs = 2000;       // application 0xD0 or loader 0xAD -> booted again
    uint32_t runApromMs = 0;       // loader 0xAB -> application enumerated
    uint32_t eraseSettleMs = 1;    // loader 0xA3 reply -> next loader command accepted
};

// The controller as it is powered on (or as a scenario describes it).
struct HidSimControllerSetup {
    HidSimMode mode = HidSimMode::Application;
    int productId = 0x2C41;          // application-mode product ID (vendor 0x2E19)
    uint8_t loaderVersion = 0x14;    // VerF << 4 | VerS of the loader
    HidSimFlash flash = HidSimFlash::Valid;
    // APROM contents from address 0; the rest of the flash reads 0xFF. Ignored when Erased.
    std::vector<uint8_t> image = MakeFirmwareImage(0x01, 0x02);
    HidSimTiming timing;
};

// Faults injected at the library boundary. Call numbers count from 1, per function, since the
// simulator was set up; a listed call fails without reaching the controller.
struct HidSimFaults {
    std::vector<int> failOpenCalls;   // openMyDevice_Read returns 0
    std::vector<int> failWriteCalls;  // WriteDeviceOutput returns 0
    std::vector<int> failReadCalls;   // ReadDeviceInput returns 0
    std::vector<int> failCloseCalls;  // CloseDevice returns 0
    int vanishAtPacket = 0;           // the controller is unplugged at this image packet (1-based)
    bool noLoaderVersion = false;     // the application firmware does not answer 0xB6
    bool closeZeroFails = false;      // CloseDevice(0) returns 0 instead of 1
    int connectCount = 1;             // IsDeviceConnect's answer for a present identity
};

// One call of the five library functions, as the trace records it.
struct HidSimCall {
    uint64_t timeMs = 0;
    std::string function;  // "IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput", ...
    std::vector<int> args;  // integer arguments (IDs, reserved values, mode) in call order
    uintptr_t handle = 0;   // handle passed (write, read, close) or returned (open)
    int length = 0;         // buffer length passed (write, read)
    std::vector<uint8_t> data;  // bytes written, or the caller's buffer after a read
    std::vector<uint8_t> bufferBefore;  // reads: the caller's buffer as it was passed in
    intptr_t result = 0;
    bool faultInjected = false;
};

// Something the controller did or refused, in order with the calls.
struct HidSimEvent {
    uint64_t timeMs = 0;
    std::string kind;    // "enumerate", "vanish", "protocol_error", "run_refused", "flash", ...
    std::string detail;  // key=value text
};
