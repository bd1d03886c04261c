// The trace's text form: one line per library call or controller event, key=value fields
// separated by blanks, buffers in hexadecimal (see README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/qyxhid/hid_sim_types.h"

std::string HexBytes(const std::vector<uint8_t> &bytes);
std::string FormatTraceLine(const HidSimCall &call);
std::string FormatTraceLine(const HidSimEvent &event);
