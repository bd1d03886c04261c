// What the simulated controller keeps across program runs (README: "State file").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ControllerState {
    bool inLoader = false;
    BYTE loaderVerF = 0;
    BYTE loaderVerS = 0;
    bool updating = false;    // a 0x23 began an update that no 0x20/0x24 ended yet
    std::vector<BYTE> flash;  // the bytes written so far; the write offset is its size
    BYTE echo = 0;            // sum of the last block stored
};

std::string StateText(const ControllerState &state);
bool ParseStateText(const std::string &text, ControllerState &state);

// Reading and writing the state file; a missing file reads as false.
bool LoadStateFile(const std::string &path, ControllerState &state);
void SaveStateFile(const std::string &path, const ControllerState &state);
