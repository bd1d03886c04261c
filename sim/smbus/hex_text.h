// Bytes as upper-case hexadecimal text, for the trace and the state file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string HexBytes(const BYTE *data, size_t length);
bool ParseHexBytes(const std::string &text, std::vector<BYTE> &bytes);
