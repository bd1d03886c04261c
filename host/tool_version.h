#pragma once

#include <windows.h>

// Reads this program's file version into g_toolVersion ("%d.%d.%d.%d").
BOOL GetToolVersion();
