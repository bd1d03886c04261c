#pragma once

#include "framework/cstring.h"

// Wraps a program path so that "cmd.exe /c" runs exactly that program, whatever the path
// holds (blanks, parentheses, "&", "|"): cmd drops the outer pair of quotes and keeps the inner.
CString QuoteProgramForCmd(const CString &programPath);
