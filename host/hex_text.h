#pragma once

#include "framework/cstring.h"

// Hexadecimal text to number, digit by digit and without validation.
double HexTextToNumber(CString text);
