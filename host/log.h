// The run's log file "Update Vantor.log" in the current directory.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/cstring.h"

void WriteLog(CString message);

// Test seam: the source of the local time that stamps each line (GetLocalTime when unset).
using LocalTimeSource = std::function<void(SYSTEMTIME &now)>;
void SetLocalTimeSource(LocalTimeSource source);
