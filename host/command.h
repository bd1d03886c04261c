// Hidden console commands, run through cmd.exe and waited for.
#pragma once

#include <functional>

#include "framework/cstring.h"

// Runs "cmd.exe /c <command> <argument>" hidden and returns when it has ended.
void RunCommand(CString command, CString argument);

// Test seam: when set, RunCommand hands the cmd.exe parameters here instead of launching.
using CommandRecorder = std::function<void(const CString &parameters)>;
void SetCommandRecorder(CommandRecorder recorder);
