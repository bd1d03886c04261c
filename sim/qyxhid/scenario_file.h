// Scenario and state files of the simulated controller: line-based key=value text, '#' starts
// a comment line. A state file is a scenario holding only the controller's state keys, so one
// parser reads both (README.md lists the keys).
#pragma once

#include <string>

#include "sim/qyxhid/hid_sim_types.h"

struct HidSimScenario {
    HidSimControllerSetup setup;
    HidSimFaults faults;
    std::string statePath;  // "" when the scenario names none
    std::string tracePath;
};

// Parses `text` into `scenario` (keys absent from the text keep the values `scenario` holds).
// File names in it resolve against `baseDir`. False, with the line and reason in `error`,
// on an unknown key, a bad value or an unreadable flash file.
bool ParseScenario(const std::string &text, const std::string &baseDir, HidSimScenario &scenario,
                   std::string *error);

// The state keys for `setup` (mode, product_id, loader_version, flash_state, image).
std::string FormatStateFile(const HidSimControllerSetup &setup);

// Whole file as bytes; false when it cannot be read.
bool ReadWholeFile(const std::string &path, std::string &contents);
