// What a simulated run starts from and which faults it injects (README: "Scenario file").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Where the loader puts its version (and the checksum echo) in the status block.
enum class StatusLayout { kPlain, kShiftedUp, kShiftedDown };

struct Scenario {
    // Driver library
    BYTE driverInit = 1;
    DWORD hostBridge = 0x3E308086;
    // SMBus library and controller
    BYTE smbusInit = 1;
    bool controllerPresent = true;
    bool startInLoader = false;
    std::vector<BYTE> startFlash;
    BYTE loaderVerF = 0x02;
    BYTE loaderVerS = 0x05;
    StatusLayout statusLayout = StatusLayout::kPlain;
    int wrongEchoBlock = 0;  // 1-based; 0: no fault
    int wrongEchoTimes = 1;
    int lostBlock = 0;  // 1-based; 0: no fault
    int lostBlockTimes = 1;
    std::vector<int> unansweredStatusReads;  // 1-based, counted from the last 0x23
    BYTE dummyValue = 0x23;
    int ffVerFReads = 0;  // after each 0x24 that opens the registers, 0xF2 first answers 0xFF this often
    // Files; empty: none
    std::string stateFile;
    std::string traceFile;

    Scenario();
};

// Applies `text` on top of `scenario`; on a bad line returns false and says why in `error`.
bool ApplyScenarioText(const std::string &text, Scenario &scenario, std::string &error);

// The scenario of a run: defaults, then the file named by VANTOR_SMBUS_SCENARIO, then the
// state and trace paths from the environment when the file names none.
Scenario LoadScenarioFromEnvironment(std::string &error);
